#pragma once
// The field reader of a token index: a field runs up to the next ".", ":", ";" or tab.

#include "software/IndexInput.h"

#include <QString>

namespace Module_DU {

// An index field is a number, a type name or a version part: a few characters. A longer run
// without a separator means the file is no index, and reading it whole could take gigabytes.
constexpr int MaxFieldLength = 255; // characters

struct Token {
    QString Text;      // the field without its separator
    QString Separator; // the character that ended the field; empty when the file ended first
                       // or the field ran too long
    bool Overlong = false; // more than MaxFieldLength characters came without a separator
};

// Reads one field from the current position of the index, one character at a time, and consumes
// its separator. At the end of the file it returns what it read with an empty Separator, so a
// caller can stop there instead of reading on. After MaxFieldLength characters without a
// separator it stops with Overlong set, having consumed one character more.
Token ReadToken(IndexInput &index);

} // namespace Module_DU
