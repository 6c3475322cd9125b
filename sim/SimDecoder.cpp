#include "sim/SimDecoder.h"

#include "port/Protocol.h"

#include <QSaveFile>
#include <algorithm>
#include <QtDebug>

namespace {
using Protocol::AckByte;
using Protocol::NackByte;
constexpr char ErasedByte = '\xFF';
} // namespace

SimDecoder::SimDecoder(const SimDecoderSettings &settings, QObject *parent)
    : QObject(parent), settings_(settings), faults_(settings.odds, settings.seed),
      line_(settings.lineRate)
{
    connect(&schedule_, &SimReplySchedule::Due, this, &SimDecoder::Replied);
}

SimDecoder::~SimDecoder()
{
    WriteFlash();
}

void SimDecoder::Receive(const QByteArray &bytes)
{
    for (const char byte : bytes)
        Take(static_cast<quint8>(byte), line_.Carry(Clock::now()));
}

void SimDecoder::ResetReceiveState()
{
    phase_ = Phase::Idle;
    preamblePairs_ = 0;
    pairStarted_ = false;
    frame_.clear();
}

void SimDecoder::LinkClosed()
{
    schedule_.Clear();
    ResetReceiveState();
    WriteFlash();
}

const QByteArray &SimDecoder::Flash() const
{
    return flash_;
}

void SimDecoder::Take(quint8 byte, Clock::time_point arrivedAt)
{
    if (!frame_.isEmpty() && arrivedAt - lastByteAt_ >= std::chrono::milliseconds(IdleGapMs))
        frame_.clear();
    lastByteAt_ = arrivedAt;
    switch (phase_) {
    case Phase::Idle:
        TakePreamble(byte);
        break;
    case Phase::Ready:
        TakeProbe(byte);
        break;
    case Phase::StartByte: // any value: the image's lead byte less one
        Reply(AckByte);
        phase_ = Phase::FirstCheckByte;
        break;
    case Phase::FirstCheckByte:
        TakeCheckByte(byte, Protocol::HandshakeSecond, Phase::SecondCheckByte);
        break;
    case Phase::SecondCheckByte:
        TakeCheckByte(byte, Protocol::HandshakeThird, Phase::Blocks);
        break;
    case Phase::Blocks:
        TakeBlockByte(byte);
        break;
    }
}

// A pair is 0xEF then 0xBF; any other byte breaks the run of pairs, and 0xEF starts a new one.
void SimDecoder::TakePreamble(quint8 byte)
{
    if (byte == Protocol::BurstByteA) {
        if (pairStarted_)
            preamblePairs_ = 0;
        pairStarted_ = true;
        return;
    }
    const bool completesPair = byte == Protocol::BurstByteB && pairStarted_;
    pairStarted_ = false;
    if (!completesPair)
        preamblePairs_ = 0;
    else if (++preamblePairs_ >= MinPreamblePairs)
        phase_ = Phase::Ready;
}

void SimDecoder::TakeProbe(quint8 byte)
{
    if (byte == Protocol::BurstByteA || byte == Protocol::BurstByteB || byte != settings_.id)
        return;
    Reply(AckByte);
    phase_ = Phase::StartByte;
}

void SimDecoder::TakeCheckByte(quint8 byte, quint8 expected, Phase next)
{
    if (byte != expected) {
        Reply(NackByte);
        phase_ = Phase::Ready;
        return;
    }
    Reply(AckByte);
    phase_ = next;
    if (next == Phase::Blocks) {
        flash_.clear();
        expectedBlock_ = 0;
    }
}

void SimDecoder::TakeBlockByte(quint8 byte)
{
    frame_.append(static_cast<char>(byte));
    if (frame_.size() < settings_.blockSize + Protocol::FrameBytes)
        return;
    const QByteArray frame = frame_;
    frame_.clear();
    EvaluateFrame(frame);
}

void SimDecoder::EvaluateFrame(QByteArray frame)
{
    emit BlockArrived(expectedBlock_);
    if (expectedBlock_ == settings_.unplugAt) {
        emit UnplugReached();
        return;
    }
    if (faults_.LoseBlock())
        return;
    faults_.MaybeCorrupt(frame);
    if (!ChecksumHolds(frame)) {
        Reply(NackByte);
        return;
    }
    const int number = static_cast<quint8>(frame.front());
    const QByteArray payload = frame.mid(1, settings_.blockSize);
    if (number == (expectedBlock_ & Protocol::BlockNumberMask)) {
        if (expectedBlock_ == settings_.refuseBlock) {
            Reply(NackByte);
            return;
        }
        Store(expectedBlock_++, payload);
        Reply(AckByte);
    } else if (expectedBlock_ > 0 && number == ((expectedBlock_ - 1) & Protocol::BlockNumberMask)) {
        // The program did not hear the acknowledgement of the block just stored.
        Store(expectedBlock_ - 1, payload);
        Reply(AckByte);
    } else {
        Reply(NackByte);
    }
}

// The checksum is the XOR of the number byte and the payload.
bool SimDecoder::ChecksumHolds(const QByteArray &frame) const
{
    quint8 checksum = 0;
    for (qsizetype i = 0; i + 1 < frame.size(); ++i)
        checksum ^= static_cast<quint8>(frame[i]);
    return checksum == static_cast<quint8>(frame.back());
}

void SimDecoder::Store(int block, const QByteArray &payload)
{
    const qsizetype offset = qsizetype(block) * settings_.blockSize;
    if (flash_.size() < offset + payload.size())
        flash_.resize(offset + payload.size(), ErasedByte);
    flash_.replace(offset, payload.size(), payload);
}

void SimDecoder::Reply(quint8 byte)
{
    if (faults_.LoseReply())
        return;
    QByteArray reply(1, static_cast<char>(byte));
    faults_.MaybeGarble(reply);
    // The byte just taken is the one this reply answers. Only blocks are answered late: the
    // decoder that is found and started promptly but lags in the transfer is the one to play.
    const int delayMs = phase_ == Phase::Blocks ? settings_.replyDelayMs : 0;
    Clock::time_point due = std::max(line_.ReplyDue(Clock::now()),
                                     lastByteAt_ + std::chrono::milliseconds(delayMs));
    if (faults_.SlowReply())
        due += std::chrono::milliseconds(SlowReplyDelayMs);
    schedule_.Post(due, reply);
}

// Written whole or not at all, so a reader never finds half a flash.
void SimDecoder::WriteFlash() const
{
    if (settings_.flashPath.isEmpty())
        return;
    QSaveFile file(settings_.flashPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(flash_) != flash_.size() || !file.commit())
        qWarning().noquote() << QStringLiteral("Simulated decoder: cannot write its flash to %1: %2")
                                    .arg(settings_.flashPath, file.errorString());
}
