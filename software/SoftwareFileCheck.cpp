#include "software/SoftwareFileCheck.h"

#include "software/SoftwareIndexListing.h"

QString SoftwareFileProblem(QIODevice &file)
{
    if (!file.seek(0))
        return QStringLiteral("it cannot be read");
    const SoftwareIndexListing listing = ListSoftwareIndex(file);
    if (!listing.Recognised)
        return QStringLiteral("it is no decoder software file");
    if (listing.Malformed)
        return QStringLiteral("its index is malformed");
    const qint64 size = file.size();
    for (const IndexEntry &entry : listing.Entries) {
        // In 64 bits: START and LENGTH near the 32-bit limit must not wrap into the file.
        const qint64 first = entry.Start;
        const qint64 last = first + entry.Length - 1;
        if (first < 1 || entry.Length < 1 || last > size)
            return QStringLiteral("the image of decoder %1 (bytes %2 to %3) does not lie within "
                                  "its %4 bytes")
                .arg(entry.Id)
                .arg(first)
                .arg(last)
                .arg(size);
    }
    return {};
}
