#include "software/SoftwareIndexListing.h"

#include "software/IndexReader.h"

#include <utility>

namespace {
// A row is listed once its description is read, even when the file ends inside its TYPE.
void ListTokenIndex(IndexReader &reader, SoftwareIndexListing &listing)
{
    listing.Recognised = reader.ReadTokenHead();
    if (!listing.Recognised)
        return;
    IndexEntry entry;
    do {
        if (!reader.ReadTokenDescription(entry))
            return;
        reader.ReadTokenType(entry);
        if (entry.Type == KtImageType)
            listing.HasKtEntry = true;
        // Moved: the next description sets the texts again and keeps the numbers.
        listing.Entries.append(std::move(entry));
    } while (reader.SkipExtraFields() == ';');
}

// The TYPE of this layout is never looked at for the KT family.
void ListFixedIndex(IndexReader &reader, SoftwareIndexListing &listing)
{
    listing.Recognised = true;
    IndexEntry entry;
    while (reader.ReadFixedDescription(entry)) {
        const char separator = reader.ReadFixedTypeAndSeparator(entry);
        listing.Entries.append(std::move(entry));
        if (separator != ';')
            return;
    }
}
} // namespace

SoftwareIndexListing ListSoftwareIndex(QIODevice &file)
{
    SoftwareIndexListing listing;
    IndexReader reader(file);
    switch (reader.ReadLayout()) {
    case IndexReader::Layout::Token:
        ListTokenIndex(reader, listing);
        break;
    case IndexReader::Layout::Fixed:
        ListFixedIndex(reader, listing);
        break;
    case IndexReader::Layout::Unknown:
        break;
    }
    listing.Malformed = listing.Recognised && reader.Malformed();
    return listing;
}
