#pragma once
// The update box: it answers no command. A pulse on control line 1 wakes it, and at the end of
// the pulse it sends its status byte (0x40 when all is well). While line 1 is raised it is the
// way to the programming track: bytes the program sends then are meant for the decoder.

#include "sim/SimDevice.h"

class SimUpdateBox : public SimDevice {
    Q_OBJECT
public:
    explicit SimUpdateBox(const QString &description = QStringLiteral("Simulated update box"));

    // The bytes sent at the end of each pulse; several bytes play a box that chatters.
    void SetStatus(const QByteArray &status);

    void SetLines(bool line1, bool line2) override;
    bool Line1Raised() const;

protected:
    // Whether a pulse is answered now; the adapter answers only in its update-box mode.
    virtual bool AnswersPulse() const;

private:
    QByteArray status_ = QByteArray(1, '\x40');
    bool line1_ = false;
};
