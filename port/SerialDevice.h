#pragma once
// One open connection to the device behind a COM number. The serial component (SComm) keeps
// the settings and the line states and hands them to whichever back end stands behind the
// port it opens: a real serial device or a simulated programmer. Every failure throws
// SerialError.

#include "port/LineSettings.h"

#include <QByteArray>
#include <QObject>

class SerialDevice : public QObject {
    Q_OBJECT
public:
    ~SerialDevice() override = default;

    virtual void Open(int bufferSize) = 0;
    virtual void Close() = 0;
    virtual void Configure(const LineSettings &settings) = 0;
    // line1 and line2 are the component's ctrlline1 and ctrlline2.
    virtual void SetLines(bool line1, bool line2) = 0;
    // true hands line 1 to request-to-send flow control; false gives it back.
    virtual void SetFlowControl(bool requestToSend) = 0;
    virtual qint64 BytesWaiting() const = 0;
    virtual QByteArray Read(qint64 maxBytes) = 0;
    virtual void Write(const QByteArray &bytes) = 0;
    virtual void DiscardInput() = 0;

signals:
    // New bytes are waiting.
    void DataArrived();
};
