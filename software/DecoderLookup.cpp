#include "software/DecoderLookup.h"

namespace {
LookupResult LookupInTokenIndex(QIODevice &file, int id)
{
    if (!IndexReader::ReadTokenHead(file))
        return {LookupOutcome::Malformed, {}};
    IndexEntry entry;
    QString separator;
    do {
        if (!IndexReader::ReadTokenDescription(file, entry))
            return {LookupOutcome::Absent, {}};
        const Module_DU::Token type = IndexReader::ReadTokenType(file, entry);
        if (entry.Id == id)
            return {LookupOutcome::Found, entry};
        separator = IndexReader::SkipExtraFields(file, type);
    } while (separator == QLatin1String(";"));
    return {LookupOutcome::Absent, {}};
}

LookupResult LookupInFixedIndex(QIODevice &file, int id)
{
    IndexEntry entry;
    while (IndexReader::ReadFixedEntry(file, entry)) {
        if (entry.Id == id)
            return {LookupOutcome::Found, entry};
        char separator = 0;
        if (!file.getChar(&separator) || separator == ':')
            return {LookupOutcome::Absent, {}};
        if (separator != ';')
            return {LookupOutcome::Malformed, {}};
    }
    return {LookupOutcome::Absent, {}};
}
} // namespace

LookupResult LookupDecoder(QIODevice &file, int id)
{
    char first = 0;
    if (!file.getChar(&first))
        return {LookupOutcome::Malformed, {}};
    if (first == 'D')
        return LookupInTokenIndex(file, id);
    if (first == ';')
        return LookupInFixedIndex(file, id);
    return {LookupOutcome::Malformed, {}};
}
