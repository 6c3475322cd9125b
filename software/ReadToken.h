#pragma once
// The field reader of a token index: a field runs up to the next ".", ":", ";" or tab.

#include "software/IndexInput.h"

#include <QByteArray>
#include <QByteArrayView>

namespace Module_DU {

// An index field is a number, a type name or a version part: a few characters. A longer run
// without a separator means the file is no index, and reading it whole could take gigabytes.
constexpr int MaxFieldLength = 255; // characters

// Separator of a field that ended without one.
constexpr char NoSeparator = '\0';

// One field as read. Its text is seen where it lies in the input's read-ahead, without a copy
// (an index has thousands of fields, and copying each costs more than reading it); only a field
// that runs across two chunks of the input is put together in the token's own buffer. So the
// text is valid until the next field is read from the same input.
class Token {
public:
    QByteArrayView Text() const { return text_; } // as the file holds it (Windows-1252)
    char Separator = NoSeparator; // the character that ended the field; NoSeparator when the
                                  // file ended first or the field ran too long
    bool Overlong = false; // more than MaxFieldLength characters came without a separator

private:
    friend void ReadToken(IndexInput &index, Token &token);
    QByteArrayView text_;
    QByteArray pieces_; // a field across chunks; its storage is kept from field to field
};

// Reads one field from the current position of the index into token and consumes its
// separator. At the end of the file token holds what was read with NoSeparator, so a caller can
// stop there instead of reading on. After MaxFieldLength characters without a separator it
// stops with Overlong set, having consumed one character more.
void ReadToken(IndexInput &index, Token &token);

} // namespace Module_DU
