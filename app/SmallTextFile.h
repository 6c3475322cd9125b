#pragma once
// Reads a small 8-bit text file whole: the texts file, the settings file or the version list.

#include <QByteArray>
#include <QString>
#include <optional>

namespace SmallTextFile {

// Such a file holds a few kilobytes. A much larger file is not one, and reading it whole could
// take gigabytes (one of 2 GiB does not even fit a QString).
constexpr qint64 MaxSize = 4 << 20; // bytes

// The bytes of the file at path; nothing when it is missing, cannot be opened or read, or holds
// more than MaxSize bytes. A missing file is a normal case and goes unreported; every other
// refusal is reported (Log::Problem) with the file, the reason and then insteadText, which
// says what the program does without the file.
std::optional<QByteArray> Read(const QString &path, const QString &insteadText);

} // namespace SmallTextFile
