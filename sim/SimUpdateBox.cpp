#include "sim/SimUpdateBox.h"

#include "sim/SimDecoder.h"

SimUpdateBox::SimUpdateBox(const QString &description)
    : SimDevice(description)
{
}

SimUpdateBox::~SimUpdateBox() = default;

void SimUpdateBox::SetStatus(const QByteArray &status)
{
    status_ = status;
}

void SimUpdateBox::AttachDecoder(const SimDecoderSettings &settings)
{
    decoder_ = std::make_unique<SimDecoder>(settings);
    connect(decoder_.get(), &SimDecoder::Replied, this, &SimDevice::Sent);
    connect(decoder_.get(), &SimDecoder::UnplugReached, this, &SimDevice::Unplug);
}

SimDecoder *SimUpdateBox::Decoder() const
{
    return decoder_.get();
}

void SimUpdateBox::Disconnect()
{
    SimDevice::Disconnect();
    if (decoder_)
        decoder_->LinkClosed();
}

void SimUpdateBox::Receive(const QByteArray &bytes)
{
    SimDevice::Receive(bytes);
    if (decoder_ && TrackOpen())
        decoder_->Receive(bytes);
}

void SimUpdateBox::SetLines(bool line1, bool line2)
{
    SimDevice::SetLines(line1, line2);
    const bool pulseEnded = line1_ && !line1;
    line1_ = line1;
    if (pulseEnded && decoder_)
        decoder_->ResetReceiveState();
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

bool SimUpdateBox::TrackOpen() const
{
    return line1_;
}
