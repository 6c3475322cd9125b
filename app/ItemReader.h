#pragma once
// Reads the texts file and the version list as a sequence of items, as both are written: items
// are separated by commas or line ends (CR, LF or CR LF);
// blanks and tabs before an item are skipped and trailing ones dropped; an item that begins
// with a double quote runs to the next double quote, may hold commas and line ends, and loses
// its quotes (anything between the closing quote and the next separator is dropped).

#include <QString>
#include <optional>

class ItemReader {
public:
    explicit ItemReader(QString text);

    // The next item, or nothing when the text is used up.
    std::optional<QString> Next();

private:
    bool AtEnd() const;
    void SkipBlanks();
    void SkipSeparator();
    QString ReadQuoted();
    QString ReadPlain();

    QString text_;
    qsizetype pos_ = 0;
};
