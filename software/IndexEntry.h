#pragma once
// One entry of a decoder software file's index and the readers of both index layouts.
// A numeric field that does not convert keeps the value the entry had before, so a caller
// that reads every entry into the same IndexEntry gets the previous entry's value there.

#include "software/ReadToken.h"

#include <QIODevice>
#include <QString>
#include <cstdint>

struct IndexEntry {
    int16_t Id = 0;
    int32_t Start = 0;  // position of the image's first byte, counting from 1
    int32_t Length = 0; // bytes of the image: lead byte, ID byte, payload
    QString Name;
    QString Version; // MAJOR "." MINOR in a token index, three characters in a fixed-width one
    int32_t Type = 0; // 1: 32-byte blocks, 2: 64-byte blocks, 3: KT decoder, not updated here
};

// Image type of the decoder family this program does not update.
constexpr int32_t KtImageType = 3;

namespace IndexReader {

// After the leading 'D': reads the field that must be "F" and the unused header field.
// False when the second field is not "F".
bool ReadTokenHead(QIODevice &file);

// Reads ID, START, LENGTH, NAME, MAJOR and MINOR of a token entry. False when the file ends
// before MINOR is complete; the entry is then not part of the index.
bool ReadTokenDescription(QIODevice &file, IndexEntry &entry);

// Reads the TYPE field that follows the description.
Module_DU::Token ReadTokenType(QIODevice &file, IndexEntry &entry);

// Skips the EXTRA fields that follow while the previous field was ended by a tab; returns the
// separator that ends the entry (";" means another entry follows; empty at the end of the file).
QString SkipExtraFields(QIODevice &file, const Module_DU::Token &typeToken);

// Reads the 28 characters of a fixed-width entry (the separator after it is left unread).
// False when the file ends inside the entry.
bool ReadFixedEntry(QIODevice &file, IndexEntry &entry);

} // namespace IndexReader
