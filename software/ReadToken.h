#pragma once
// The field reader of a token index: a field runs up to the next ".", ":", ";" or tab.

#include <QIODevice>
#include <QString>

namespace Module_DU {

struct Token {
    QString Text;      // the field without its separator
    QString Separator; // the character that ended the field; empty when the file ended first
};

// Reads one field from the current position of file, one character at a time, and consumes
// its separator. At the end of the file it returns what it read with an empty Separator, so a
// caller can stop there instead of reading on.
Token ReadToken(QIODevice &file);

} // namespace Module_DU
