#pragma once
// Files of more than 2 GiB that take neither the disk nor the memory: the head is written and
// the rest is a hole, which reads as zero bytes.

#include <QByteArray>
#include <QString>

namespace SparseFile {

// Just past what a 32-bit position or a QString can count.
constexpr qint64 BeyondTwoGiB = (qint64(2) << 30) + 4096;

// Writes head to path and extends the file to size bytes; false on failure.
bool Write(const QString &path, const QByteArray &head, qint64 size = BeyondTwoGiB);

} // namespace SparseFile
