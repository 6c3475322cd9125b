#pragma once
// A decoder on the programming track behind an update box, played by a script: while control
// line 1 is raised, each write of the program (an ID byte, a handshake byte, a whole block) is
// answered with the script's next reply, and once the script has run out with the default
// reply. Burst bytes (0xEF or 0xBF written alone) are preamble and get no reply. A reply may
// come late, and may be followed by more bytes later still.

#include "sim/SimDevice.h"

#include <QList>

class ScriptedDecoder : public SimDevice {
    Q_OBJECT
public:
    static const QByteArray Ack;     // 0x1C
    static const QByteArray Nack;    // 0xFC
    static const QByteArray Silence; // no reply at all

    ScriptedDecoder();

    // The replies to the next count writes, each delayMs after its write.
    void Then(const QByteArray &reply, int count = 1, int delayMs = 0);
    // Bytes that follow the last reply of the script delayMs after its write.
    void AndLater(const QByteArray &bytes, int delayMs);
    void SetDefaultReply(const QByteArray &reply);

    // Every write that was not preamble, while line 1 was raised, in order.
    const QList<QByteArray> &Writes() const;
    // The first byte of every write longer than one byte: the block numbers sent.
    QList<int> BlocksSent() const;
    // Burst pairs received while line 1 was raised.
    int PreamblePairs() const;
    // Whether line 1 was still raised when the program last closed the port.
    bool Line1RaisedAtClose() const;

    void Receive(const QByteArray &bytes) override;
    void SetLines(bool line1, bool line2) override;
    void Disconnect() override;

private:
    struct Part {
        QByteArray bytes;
        int delayMs = 0;
    };
    void Send(const Part &part);

    QList<QList<Part>> script_; // the parts of each reply
    QByteArray defaultReply_ = Ack;
    QList<QByteArray> writes_;
    int preamblePairs_ = 0;
    bool line1_ = false;
    bool line1AtClose_ = false;
};
