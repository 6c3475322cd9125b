#pragma once
// Finds one decoder ID in the index of a decoder software file, for the update procedures.

#include "software/IndexEntry.h"

#include <QIODevice>

enum class LookupOutcome {
    Found,     // Entry holds the decoder's index entry, read whole up to its separator
    Absent,    // the index does not name the ID (also when the file ends inside the index)
    Malformed, // the file is not a decoder software file, or its index breaks off in
               // something no index holds (see IndexReader)
};

struct LookupResult {
    LookupOutcome Outcome = LookupOutcome::Malformed;
    IndexEntry Entry;
};

// Reads from the start of file, which is open for reading as raw bytes; the file is left
// positioned somewhere behind the index fields that were read (the reader reads ahead).
LookupResult LookupDecoder(QIODevice &file, int id);

// The same for a caller that accepts only the fixed-width layout: any other file is malformed.
LookupResult LookupDecoderInFixedIndex(QIODevice &file, int id);
