#pragma once
// Writes decoder software files with made-up images, in either index layout. The build uses it
// for the demo's file, the tests and benchmarks for their files, and tobrik-cli make-dsw for
// anyone who needs one. Every image carries the generator's mark, so none of them is ever sent
// to a real decoder.

#include <QByteArray>
#include <QString>
#include <QVector>
#include <cstdint>
#include <optional>

namespace DswGenerator {

enum class Layout { Token, Fixed };

struct Entry {
    int Id = 0;
    QString Name;
    QString Version; // MAJOR.MINOR for the token layout, three characters for the fixed one
    int Type = 1;
    int PayloadLength = 0; // image bytes after the lead byte and the ID byte
};

constexpr uint8_t DefaultLeadByte = 0x5A;

// Parses ID:NAME:VERSION:TYPE:PAYLOAD_LENGTH. On failure returns nothing and sets error.
std::optional<Entry> ParseEntry(const QString &text, QString &error);

// The whole file: the index, then each image (lead byte, ID byte, a payload that depends only
// on the entry's ID and length and opens with the mark of DswGeneratorMark.h) in entry order. On failure returns nothing and sets error.
std::optional<QByteArray> Build(Layout layout, const QVector<Entry> &entries, uint8_t leadByte,
                                QString &error);

} // namespace DswGenerator
