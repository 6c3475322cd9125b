#include "sim/SimAdapter.h"

SimAdapter::SimAdapter(const QString &description)
    : SimUpdateBox(description)
{
}

void SimAdapter::SetReply(const QByteArray &reply)
{
    reply_ = reply;
}

bool SimAdapter::BoxMode() const
{
    return boxMode_;
}

void SimAdapter::Receive(const QByteArray &bytes)
{
    SimUpdateBox::Receive(bytes);
    // With line 1 raised in update-box mode the bytes are for the track, not commands.
    if (boxMode_ && Line1Raised())
        return;
    for (const char byte : bytes) {
        if (byte != '\r') {
            pendingCommand_ += byte;
            continue;
        }
        Execute(pendingCommand_);
        pendingCommand_.clear();
    }
}

void SimAdapter::Execute(const QByteArray &command)
{
    if (command == "FLINT_EIN") {
        boxMode_ = true;
        emit Sent(reply_);
    } else if (command == "FLINT_AUS") {
        boxMode_ = false;
    }
}

bool SimAdapter::AnswersPulse() const
{
    return boxMode_;
}
