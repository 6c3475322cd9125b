#include "sim/SimUpdateBox.h"

SimUpdateBox::SimUpdateBox(const QString &description)
    : SimDevice(description)
{
}

void SimUpdateBox::SetStatus(const QByteArray &status)
{
    status_ = status;
}

void SimUpdateBox::SetLines(bool line1, bool line2)
{
    SimDevice::SetLines(line1, line2);
    const bool pulseEnded = line1_ && !line1;
    line1_ = line1;
    if (pulseEnded && AnswersPulse())
        emit Sent(status_);
}

bool SimUpdateBox::Line1Raised() const
{
    return line1_;
}

bool SimUpdateBox::AnswersPulse() const
{
    return true;
}
