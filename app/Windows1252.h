#pragma once
// The texts file and the version list are 8-bit Windows text: one byte, one character of
// code page 1252. Qt has no codec for it without ICU, and the table is small.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace Windows1252 {

QString Decode(QByteArrayView bytes);
QByteArray Encode(const QString &text); // characters outside the code page become '?'

} // namespace Windows1252
