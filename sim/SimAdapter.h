#pragma once
// The adapter (USB adapter or hand controller): it answers text commands, each ended by CR.
// "FLINT_EIN" switches its update-box mode on and is answered by "OK" + CR (or by the reply a
// test sets); "FLINT_AUS" switches it off. In update-box mode it behaves as the update box.

#include "sim/SimUpdateBox.h"

class SimAdapter : public SimUpdateBox {
    Q_OBJECT
public:
    explicit SimAdapter(const QString &description = QStringLiteral("Simulated adapter"));

    void SetReply(const QByteArray &reply);
    bool BoxMode() const;

    void Receive(const QByteArray &bytes) override;

protected:
    bool AnswersPulse() const override;

private:
    void Execute(const QByteArray &command);

    QByteArray reply_ = QByteArrayLiteral("OK\r");
    QByteArray pendingCommand_;
    bool boxMode_ = false;
};
