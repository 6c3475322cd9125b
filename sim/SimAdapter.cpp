#include "sim/SimAdapter.h"

#include "port/Protocol.h"

namespace {
const QByteArray SwitchOn = Protocol::AdapterOnCommand.toLatin1();
const QByteArray SwitchOff = Protocol::AdapterOffCommand.toLatin1();
// Text longer than any command cannot become one before its CR; it is not kept, so that the
// bytes for the track on a link without control lines do not pile up.
const qsizetype LongestCommand = qMax(SwitchOn.size(), SwitchOff.size());
} // namespace

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

// What the program wrote before it let go is no start of its next command.
void SimAdapter::Disconnect()
{
    pendingCommand_.clear();
    SimUpdateBox::Disconnect();
}

// Byte by byte, since a command may switch the way to the track in the middle of a write.
void SimAdapter::Receive(const QByteArray &bytes)
{
    for (const char byte : bytes) {
        SimUpdateBox::Receive(QByteArray(1, byte));
        // With line 1 raised in update-box mode the bytes are for the track, not commands.
        if (!(boxMode_ && Line1Raised()))
            TakeCommandByte(byte);
    }
}

void SimAdapter::SetControlLinesWired(bool wired)
{
    linesWired_ = wired;
}

void SimAdapter::TakeCommandByte(char byte)
{
    if (byte == Protocol::CommandEnd.toLatin1()) {
        Execute(pendingCommand_);
        pendingCommand_.clear();
    } else if (pendingCommand_.size() <= LongestCommand) {
        pendingCommand_ += byte;
    }
}

void SimAdapter::Execute(const QByteArray &command)
{
    if (command == SwitchOn) {
        boxMode_ = true;
        emit Sent(reply_);
    } else if (command == SwitchOff) {
        boxMode_ = false;
    }
}

bool SimAdapter::AnswersPulse() const
{
    return boxMode_;
}

bool SimAdapter::TrackOpen() const
{
    return boxMode_ && (Line1Raised() || !linesWired_);
}
