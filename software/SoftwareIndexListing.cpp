#include "software/SoftwareIndexListing.h"

namespace {
void ListTokenIndex(QIODevice &file, SoftwareIndexListing &listing)
{
    if (!IndexReader::ReadTokenHead(file))
        return;
    IndexEntry entry;
    QString separator;
    do {
        if (!IndexReader::ReadTokenDescription(file, entry))
            return;
        listing.Entries.append(entry);
        const Module_DU::Token type = IndexReader::ReadTokenType(file, entry);
        if (entry.Type == KtImageType)
            listing.HasKtEntry = true;
        separator = IndexReader::SkipExtraFields(file, type);
    } while (separator == QLatin1String(";"));
}

// The TYPE of this layout is never looked at for the KT family.
void ListFixedIndex(QIODevice &file, SoftwareIndexListing &listing)
{
    IndexEntry entry;
    char separator = ';';
    while (separator == ';' && IndexReader::ReadFixedEntry(file, entry)) {
        listing.Entries.append(entry);
        if (!file.getChar(&separator))
            return;
    }
}
} // namespace

SoftwareIndexListing ListSoftwareIndex(QIODevice &file)
{
    SoftwareIndexListing listing;
    char first = 0;
    if (!file.getChar(&first))
        return listing;
    if (first == 'D')
        ListTokenIndex(file, listing);
    else if (first == ';')
        ListFixedIndex(file, listing);
    return listing;
}
