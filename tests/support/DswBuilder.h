#pragma once
// Decoder software files for the tests, made by the same generator as tobrik-cli make-dsw.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace DswBuilder {

// Files from entries "ID:NAME:VERSION:TYPE:PAYLOAD_LENGTH"; empty when an entry is invalid.
QByteArray Token(const QStringList &entries);
QByteArray Fixed(const QStringList &entries);

// Writes bytes to path; false when that fails.
bool WriteFile(const QString &path, const QByteArray &bytes);

} // namespace DswBuilder
