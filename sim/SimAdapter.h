#pragma once
// The adapter (USB adapter or hand controller): it answers text commands, each ended by CR.
// "FLINT_EIN" switches its update-box mode on and is answered by "OK" + CR (or by the reply a
// test sets); "FLINT_AUS" switches it off. In update-box mode it behaves as the update box.
//
// On a link without control lines (a pseudo-terminal) line 1 never rises: in update-box mode it
// then passes every byte to the track, and still reads its commands from the same bytes.

#include "port/Protocol.h"
#include "sim/SimUpdateBox.h"

class SimAdapter : public SimUpdateBox {
    Q_OBJECT
public:
    explicit SimAdapter(const QString &description = QStringLiteral("Simulated adapter"));

    void SetReply(const QByteArray &reply);
    bool BoxMode() const;

    void Disconnect() override;
    void Receive(const QByteArray &bytes) override;
    void SetControlLinesWired(bool wired) override;

protected:
    bool AnswersPulse() const override;
    bool TrackOpen() const override;

private:
    void TakeCommandByte(char byte);
    void Execute(const QByteArray &command);

    QByteArray reply_ = Protocol::AdapterOkReply.toLatin1();
    QByteArray pendingCommand_;
    bool boxMode_ = false;
    bool linesWired_ = true;
};
