#pragma once
// Reads the index of a decoder software file part by part, in either layout, from the start of
// a file open for reading. It reads ahead of the index fields in chunks: afterwards the file's
// position lies somewhere behind the last field read, so an image is read by seeking to it.
// Reading ends for good at the end of the file, or as malformed at something no index holds: a field longer than Module_DU::MaxFieldLength, an index longer than
// MaxIndexLength, or a fixed-width entry followed by neither ";" nor ":". Once it has ended,
// every further read reads nothing and reports so.
//
// A numeric field that does not convert keeps the value the entry had before, so a caller that
// reads every entry into the same IndexEntry gets the previous entry's value there.

#include "software/IndexEntry.h"
#include "software/IndexInput.h"
#include "software/ReadToken.h"

#include <QIODevice>
#include <QString>

class IndexReader {
public:
    // Decoder IDs are bytes, so a real index names at most a few hundred decoder types in some
    // ten kilobytes. The bound stops a file whose index never ends (millions of tiny fields or
    // entries, endless extra fields) from holding the file page for minutes and filling the
    // memory with rows: the listing ends after at most some 75,000 rows of the tiniest kind.
    static constexpr qint64 MaxIndexLength = 1 << 20; // bytes

    enum class Layout { Token, Fixed, Unknown };

    explicit IndexReader(QIODevice &file);

    // Reads the first character of the file, which tells the layout: "D" or ";".
    Layout ReadLayout();

    // Reading ended at something no index holds.
    bool Malformed() const;

    // Token index. After the leading "D": the field that must be "F", then the unused header
    // field. False when the second field is not "F".
    bool ReadTokenHead();
    // ID, START, LENGTH, NAME, MAJOR and MINOR. False when reading ended before MINOR's
    // separator; the entry is then not part of the index.
    bool ReadTokenDescription(IndexEntry &entry);
    // TYPE, converted even when the file ends inside it; true only when it is complete with
    // its separator.
    bool ReadTokenType(IndexEntry &entry);
    // Skips the EXTRA fields that follow while the last field was ended by a tab; returns the
    // separator that ends the entry (';' means another entry follows; Module_DU::NoSeparator
    // once reading ended).
    char SkipExtraFields();

    // Fixed-width index. ID, START, LENGTH, NAME and VERSION, the first 27 characters of an
    // entry; false when reading ended before them.
    bool ReadFixedDescription(IndexEntry &entry);
    // TYPE and the separator after it; returns the separator (';' means another entry follows,
    // ':' that the index ends), Module_DU::NoSeparator when the file ended before it.
    char ReadFixedTypeAndSeparator(IndexEntry &entry);

private:
    enum class End { NotYet, EndOfFile, Malformed };

    bool StillReading();
    // Reads the next field into token; false once reading has ended.
    bool ReadField(Module_DU::Token &token);
    QByteArray ReadFixed(int width);

    IndexInput index_;
    End end_ = End::NotYet;
    char lastSeparator_ = Module_DU::NoSeparator;
    Module_DU::Token field_;
    QByteArray version_; // MAJOR "." MINOR of the entry being read
};
