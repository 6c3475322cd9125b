// Feeds arbitrary bytes to the decoder software file's readers: the file page's loading, the
// index listing and both lookups by ID. None may crash, hang or read past the end; a file that
// is not recognised lists nothing; and the update must find a decoder the way the page listed
// it, or the user picks a row the update then calls absent or reads a different image for.
#include "FuzzSupport.h"
#include "software/DecoderLookup.h"
#include "software/SoftwareFilePage.h"
#include "software/SoftwareIndexListing.h"

#include <QBuffer>
#include <QFile>
#include <cstddef>
#include <cstdint>

namespace {
using FuzzSupport::Require;

bool SameEntry(const IndexEntry &a, const IndexEntry &b)
{
    return a.Id == b.Id && a.Start == b.Start && a.Length == b.Length && a.Name == b.Name
           && a.Version == b.Version && a.Type == b.Type;
}

// The first listed decoder is the first entry of its ID, so the lookup must return exactly that
// entry; and once a second row follows it, the first one was read whole and must be found.
void CheckLookupAgreesWithListing(const SoftwareIndexListing &listing, const LookupResult &result)
{
    if (result.Outcome == LookupOutcome::Found)
        Require(SameEntry(result.Entry, listing.Entries.first()));
    if (listing.Entries.size() > 1)
        Require(result.Outcome == LookupOutcome::Found);
}

void CheckFileLoading(const QByteArray &bytes)
{
    const QString path = FuzzSupport::ScratchFolder() + QStringLiteral("/DECODERSW.DAT");
    QFile file(path);
    // An input that never reaches the loader would test nothing.
    Require(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size());
    file.close();
    SilentDecoderList rows;
    const LoadResult loaded = SoftwareFilePage::LoadSoftwareFile(rows, path);
    Require(loaded.Opened);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    const SoftwareIndexListing listing = ListSoftwareIndex(buffer);
    Require(listing.Recognised || (listing.Entries.isEmpty() && !listing.Malformed));

    const int wanted = listing.Entries.isEmpty() ? (size > 0 ? data[0] : 0)
                                                 : listing.Entries.first().Id;
    buffer.seek(0);
    const LookupResult result = LookupDecoder(buffer, wanted);
    Require(result.Outcome != LookupOutcome::Found || result.Entry.Id == wanted);
    if (!listing.Entries.isEmpty())
        CheckLookupAgreesWithListing(listing, result);

    // The alternative method's lookup reads a fixed-width index the same way, and nothing else.
    buffer.seek(0);
    const LookupResult fixedOnly = LookupDecoderInFixedIndex(buffer, wanted);
    if (size > 0 && data[0] == ';')
        Require(fixedOnly.Outcome == result.Outcome && SameEntry(fixedOnly.Entry, result.Entry));
    else
        Require(fixedOnly.Outcome == LookupOutcome::Malformed);

    CheckFileLoading(bytes);
    return 0;
}
