#include "port/QtSerialDevice.h"

#include "port/PortRefusal.h"

namespace {
// A device that takes no byte for this long is stuck (nobody reads it, flow control holds it):
// the write fails rather than block the window any longer.
constexpr int StalledWriteTimeoutMs = 500;
} // namespace

QtSerialDevice::QtSerialDevice(const QString &path)
    : path_(path)
{
    port_.setPortName(path);
    connect(&port_, &QSerialPort::readyRead, this, &SerialDevice::DataArrived);
}

void QtSerialDevice::Open(int bufferSize)
{
    port_.setReadBufferSize(bufferSize);
    Check(port_.open(QIODevice::ReadWrite));
    // A pseudo-terminal has no modem-control lines: writing them is then no failure.
    port_.pinoutSignals();
    hasControlLines_ = port_.error() == QSerialPort::NoError;
    port_.clearError();
}

void QtSerialDevice::Close()
{
    port_.close();
}

void QtSerialDevice::Configure(const LineSettings &settings)
{
    Check(port_.setBaudRate(settings.baudRate) && port_.setParity(settings.parity)
          && port_.setDataBits(settings.dataBits) && port_.setStopBits(settings.stopBits));
}

void QtSerialDevice::SetLines(bool line1, bool line2)
{
    if (hasControlLines_)
        Check(port_.setRequestToSend(line1) && port_.setDataTerminalReady(line2));
}

void QtSerialDevice::SetFlowControl(bool requestToSend)
{
    if (hasControlLines_)
        Check(port_.setFlowControl(requestToSend ? QSerialPort::HardwareControl
                                             : QSerialPort::NoFlowControl));
}

qint64 QtSerialDevice::BytesWaiting() const
{
    return port_.bytesAvailable();
}

QByteArray QtSerialDevice::Read(qint64 maxBytes)
{
    const QByteArray bytes = port_.read(maxBytes);
    if (port_.error() != QSerialPort::NoError)
        Fail();
    return bytes;
}

void QtSerialDevice::Write(const QByteArray &bytes)
{
    Check(port_.write(bytes) == bytes.size());
    port_.flush(); // usually the whole write leaves here
    while (port_.bytesToWrite() > 0) {
        // A full output queue is no failure as long as the device keeps taking bytes.
        port_.clearError();
        if (!port_.waitForBytesWritten(StalledWriteTimeoutMs))
            FailWrite();
    }
}

void QtSerialDevice::DiscardInput()
{
    Check(port_.clear(QSerialPort::Input));
}

void QtSerialDevice::Check(bool succeeded) const
{
    if (!succeeded)
        Fail();
}

void QtSerialDevice::Fail() const
{
    throw Failure();
}

// What did not leave is dropped, so that it cannot go out later in front of the next write. A
// stalled device may take the next one; a device that has gone fails every later operation.
void QtSerialDevice::FailWrite()
{
    const SerialError failure = Failure();
    const bool stalled = port_.error() == QSerialPort::TimeoutError;
    port_.clear(QSerialPort::Output);
    if (stalled)
        port_.clearError();
    throw failure;
}

SerialError QtSerialDevice::Failure() const
{
    QString description = path_ + QStringLiteral(": ") + port_.errorString();
    // Qt reports a lock held by another program as a permission error too.
    if (port_.error() == QSerialPort::PermissionError) {
        description += QLatin1Char('.')
                       + PortRefusal::Advice(PortRefusal::Examine(path_));
    }
    return SerialError(description);
}
