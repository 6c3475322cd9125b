#pragma once
// Baud rate, parity, data bits and stop bits as the component's settings text writes them:
// "38400,N,8,1".

#include <QSerialPort>
#include <QString>

struct LineSettings {
    qint32 baudRate = 9600;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;

    // Throws SerialError for a text that does not name a valid line setting.
    static LineSettings Parse(const QString &text);

    bool operator==(const LineSettings &other) const;
};
