#include "port/LineSettings.h"

#include "port/SerialError.h"

#include <QStringList>

namespace {
[[noreturn]] void Reject(const QString &text)
{
    throw SerialError(QStringLiteral("Invalid port settings \"%1\"").arg(text));
}

QSerialPort::Parity ParityOf(const QString &letter, const QString &text)
{
    const QString upper = letter.trimmed().toUpper();
    if (upper == QLatin1String("N"))
        return QSerialPort::NoParity;
    if (upper == QLatin1String("E"))
        return QSerialPort::EvenParity;
    if (upper == QLatin1String("O"))
        return QSerialPort::OddParity;
    if (upper == QLatin1String("M"))
        return QSerialPort::MarkParity;
    if (upper == QLatin1String("S"))
        return QSerialPort::SpaceParity;
    Reject(text);
}

QSerialPort::StopBits StopBitsOf(const QString &field, const QString &text)
{
    const QString trimmed = field.trimmed();
    if (trimmed == QLatin1String("1"))
        return QSerialPort::OneStop;
    if (trimmed == QLatin1String("1.5"))
        return QSerialPort::OneAndHalfStop;
    if (trimmed == QLatin1String("2"))
        return QSerialPort::TwoStop;
    Reject(text);
}
} // namespace

LineSettings LineSettings::Parse(const QString &text)
{
    const QStringList fields = text.split(QLatin1Char(','));
    if (fields.size() != 4)
        Reject(text);
    bool baudOk = false;
    bool dataOk = false;
    const int baud = fields[0].trimmed().toInt(&baudOk);
    const int data = fields[2].trimmed().toInt(&dataOk);
    if (!baudOk || baud <= 0 || !dataOk || data < 5 || data > 8)
        Reject(text);

    LineSettings settings;
    settings.baudRate = baud;
    settings.parity = ParityOf(fields[1], text);
    settings.dataBits = static_cast<QSerialPort::DataBits>(data);
    settings.stopBits = StopBitsOf(fields[3], text);
    return settings;
}

bool LineSettings::operator==(const LineSettings &other) const
{
    return baudRate == other.baudRate && parity == other.parity && dataBits == other.dataBits
        && stopBits == other.stopBits;
}
