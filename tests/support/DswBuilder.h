#pragma once
// Decoder software files for the tests, made by the same generator as tobrik-cli make-dsw.

#include <QByteArray>
#include <QDateTime>
#include <QStringList>

namespace DswBuilder {

// A file from entries "ID:NAME:VERSION:TYPE:PAYLOAD_LENGTH"; empty when an entry is invalid.
QByteArray Build(const QStringList &entries, bool fixed = false);

// Writes bytes to path, with time as its last write time when time is valid; false on failure.
bool WriteFile(const QString &path, const QByteArray &bytes, const QDateTime &time = {});

} // namespace DswBuilder
