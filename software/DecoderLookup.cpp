#include "software/DecoderLookup.h"

#include "software/IndexReader.h"

namespace {
// The index was read to its end, or to the end of the file, without the ID.
LookupResult NotFound(const IndexReader &reader)
{
    return {reader.Malformed() ? LookupOutcome::Malformed : LookupOutcome::Absent, {}};
}

// Found needs the whole entry up to its TYPE's separator: a file that ends inside it is cut off
// before that entry's image too.
LookupResult LookupInTokenIndex(IndexReader &reader, int id)
{
    if (!reader.ReadTokenHead())
        return {LookupOutcome::Malformed, {}};
    IndexEntry entry;
    do {
        if (!reader.ReadTokenDescription(entry))
            break;
        if (reader.ReadTokenType(entry) && entry.Id == id)
            return {LookupOutcome::Found, entry};
    } while (reader.SkipExtraFields() == ';');
    return NotFound(reader);
}

LookupResult LookupInFixedIndex(IndexReader &reader, int id)
{
    IndexEntry entry;
    while (reader.ReadFixedDescription(entry)) {
        const char separator = reader.ReadFixedTypeAndSeparator(entry);
        if (separator == Module_DU::NoSeparator)
            break;
        if (entry.Id == id)
            return {LookupOutcome::Found, entry};
        if (separator != ';')
            break;
    }
    return NotFound(reader);
}
} // namespace

LookupResult LookupDecoder(QIODevice &file, int id)
{
    IndexReader reader(file);
    switch (reader.ReadLayout()) {
    case IndexReader::Layout::Token:
        return LookupInTokenIndex(reader, id);
    case IndexReader::Layout::Fixed:
        return LookupInFixedIndex(reader, id);
    case IndexReader::Layout::Unknown:
        break;
    }
    return {LookupOutcome::Malformed, {}};
}

LookupResult LookupDecoderInFixedIndex(QIODevice &file, int id)
{
    IndexReader reader(file);
    if (reader.ReadLayout() != IndexReader::Layout::Fixed)
        return {LookupOutcome::Malformed, {}};
    return LookupInFixedIndex(reader, id);
}
