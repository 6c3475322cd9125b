// Feeds arbitrary bytes to the index listing and the lookup by ID: neither may crash, hang or
// read past the end, and a file that is not recognised lists nothing.
#include "software/DecoderLookup.h"
#include "software/SoftwareIndexListing.h"

#include <QBuffer>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    const SoftwareIndexListing listing = ListSoftwareIndex(buffer);
    if (!listing.Recognised && (!listing.Entries.isEmpty() || listing.Malformed))
        __builtin_trap();
    const int wanted = listing.Entries.isEmpty() ? (size > 0 ? data[0] : 0)
                                                 : listing.Entries.last().Id;
    buffer.seek(0);
    const LookupResult result = LookupDecoder(buffer, wanted);
    if (result.Outcome == LookupOutcome::Found && result.Entry.Id != wanted)
        __builtin_trap();
    return 0;
}
