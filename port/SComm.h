#pragma once
// The serial-port component each page holds as MSComm2. Its operations keep the names and the
// meaning the pages rely on: a port number selects the device (through the COM number map),
// settings and control lines may be written before opening, input arrives as text or as bytes
// (inputmode). A failing operation throws SerialError.
//
// While overlappedio is False the data-received event is never raised: the pages poll incount
// and would lose their replies to an event handler otherwise. They then call their handler
// themselves, so eventcode tells of waiting data in both modes.

#include "port/LineSettings.h"

#include <QObject>
#include <QVariant>
#include <memory>

class SerialDevice;

class SComm : public QObject {
    Q_OBJECT
public:
    static constexpr int comEvNone = 0;     // eventcode: no event
    static constexpr int comEvReceive = 2;  // eventcode: data received
    static constexpr int comEvFrame = 1004; // eventcode: framing error (no back end reports it yet)

    // handshake: line 1 under the program's control, or handed to request-to-send flow control.
    static constexpr int comNone = 0;
    static constexpr int comRTS = 2;
    // inputmode: input gives text, or a byte array.
    static constexpr int comInputModeText = 0;
    static constexpr int comInputModeBinary = 1;
    // readlen: one input takes every waiting byte, or a single one.
    static constexpr int ReadAllWaiting = 0;
    static constexpr int ReadOneByte = 1;

    explicit SComm(QObject *parent = nullptr);
    ~SComm() override;

    // 1..32, only while closed.
    void setPortnumber(int number);
    int portnumber() const;
    // Names the device behind the selected port; empty when there is none.
    QString description() const;

    void setSettings(const QString &text);
    void setOverlappedio(bool on);
    void setPortopen(bool open);
    bool portopen() const;
    // comNone or comRTS.
    void setHandshake(int mode);
    void setCtrlline1(bool raised);
    void setCtrlline2(bool raised);
    // Bytes one input takes; ReadAllWaiting takes all.
    void setReadlen(int count);
    // comInputModeText or comInputModeBinary.
    void setInputmode(int mode);
    void setRxthreshold(int count);
    void setBuffersize(int bytes);

    int incount() const;
    // Only 0 means something: the waiting bytes are discarded.
    void setIncount(int count);
    // A QString in text mode, a QByteArray in binary mode.
    QVariant input();
    void output(const QString &text);
    void output(const QByteArray &bytes);
    // comEvReceive while at least rxthreshold bytes wait on the open port; rxthreshold 0 turns
    // the data-received event off.
    int eventcode() const;

signals:
    // The data-received event; eventcode tells what happened.
    void OnComm();

private:
    SerialDevice &OpenDevice() const;
    void ApplyLines();
    void DataArrived();
    bool ReceiveThresholdReached() const;

    std::unique_ptr<SerialDevice> device_;
    int portnumber_ = 1;
    LineSettings settings_ = LineSettings::Parse(QStringLiteral("9600,N,8,1"));
    bool overlappedio_ = false;
    int handshake_ = comNone;
    bool ctrlline1_ = false;
    bool ctrlline2_ = false;
    int readlen_ = ReadAllWaiting;
    int inputmode_ = comInputModeText;
    int rxthreshold_ = 0;
    int buffersize_ = 512;
};

// The pages' LineOn and LineOff: line 1 to the level, then request-to-send handshake on and off
// again, which the programmer takes as the edge.
void SwitchLine1(SComm &comm, bool raised);
