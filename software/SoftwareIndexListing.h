#pragma once
// Reads the whole index of a decoder software file, as the file page lists it. Only the index
// is read, never the images.

#include "software/IndexEntry.h"

#include <QIODevice>
#include <QVector>

struct SoftwareIndexListing {
    QVector<IndexEntry> Entries; // in index order
    bool HasKtEntry = false;     // a token entry of image type 3
    bool Recognised = false;     // the file starts like a decoder software file of either layout
    bool Malformed = false;      // reading stopped at something no index holds (see IndexReader);
                                 // Entries holds the rows before it
};

// Reads from the start of file, which is open for reading. A file that is not a decoder
// software file gives an empty listing; one that ends inside the index keeps what was read.
SoftwareIndexListing ListSoftwareIndex(QIODevice &file);
