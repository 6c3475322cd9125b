#pragma once
// Reads a small 8-bit text file whole: the texts file or the version list.

#include <QByteArray>
#include <QString>
#include <optional>

namespace SmallTextFile {

// A texts file or a version list holds a few kilobytes. A much larger file is not one, and
// reading it whole could take gigabytes (one of 2 GiB does not even fit a QString).
constexpr qint64 MaxSize = 4 << 20; // bytes

// The bytes of the file at path; nothing when it cannot be opened or holds more than MaxSize
// bytes. The second refusal is written to the log.
std::optional<QByteArray> Read(const QString &path);

} // namespace SmallTextFile
