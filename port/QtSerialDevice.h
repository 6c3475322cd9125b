#pragma once
// A real serial device (a USB adapter, an on-board port, a pseudo-terminal) through QSerialPort.
// Line 1 drives request-to-send, line 2 data-terminal-ready, where the device has them.
// A write has reached the device when it returns: the bursts write single bytes in loops that
// process no events, and only a write that went out can tell that the device has gone.

#include "port/SerialDevice.h"
#include "port/SerialError.h"

#include <QSerialPort>

class QtSerialDevice : public SerialDevice {
    Q_OBJECT
public:
    explicit QtSerialDevice(const QString &path);

    void Open(int bufferSize) override;
    void Close() override;
    void Configure(const LineSettings &settings) override;
    void SetLines(bool line1, bool line2) override;
    void SetFlowControl(bool requestToSend) override;
    qint64 BytesWaiting() const override;
    QByteArray Read(qint64 maxBytes) override;
    void Write(const QByteArray &bytes) override;
    void DiscardInput() override;

private:
    [[noreturn]] void Fail() const;
    [[noreturn]] void FailWrite();
    SerialError Failure() const;
    void Check(bool succeeded) const;

    QString path_;
    bool hasControlLines_ = false;
    QSerialPort port_;
};
