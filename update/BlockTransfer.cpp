#include "update/BlockTransfer.h"

#include "app/LanguageTexts.h"
#include "app/Log.h"
#include "app/Module_DU.h"
#include "port/SComm.h"
#include "update/GuardedStep.h"
#include "update/ImageFile.h"
#include "update/UpdateLink.h"
#include "update/UpdateView.h"

#include <array>

namespace {
constexpr int32_t PayloadBytesType1 = 32;
constexpr int32_t PayloadBytesType2 = 64;
constexpr int32_t BlockNumberMask = 0xFF; // a block carries its number's low byte
// Bytes of a block around its payload: the number in front, the checksum behind.
constexpr int32_t FrameBytes = 2;

// In ticks of UpdateLink::TickMs.
constexpr int32_t HandshakePauseTicks = 5; // before and after each handshake byte
constexpr int32_t BlockReplyTicks = 5;     // a block's reply
constexpr int32_t FinishedPauseTicks = 50; // before "finished" is shown

// A block fails once its retry counter is above these when it is refused, or unanswered.
constexpr int32_t RefusalRetries = 30;
constexpr int32_t TimeoutRetries = 8;

// The probe by retry counter modulo 9, as an offset from the saved block: the next block
// first, then the same, then further out.
constexpr std::array<int32_t, 9> ProbeOffsets{-3, 1, 0, 1, 0, -1, 2, -2, 3};

constexpr float PercentScale = 100;
} // namespace

BlockTransfer::BlockTransfer(UpdateLink &link, UpdateView &view) : link_(link), view_(view)
{
}

std::optional<int32_t> BlockTransfer::BlockSizeOf(int32_t type)
{
    switch (type) {
    case 1:
        return PayloadBytesType1;
    case 2:
        return PayloadBytesType2;
    default:
        return std::nullopt;
    }
}

int32_t BlockTransfer::ProbeBlock(int32_t saved, int32_t retryCounter)
{
    const auto pattern = static_cast<int32_t>(ProbeOffsets.size());
    const int32_t probe = saved + ProbeOffsets[static_cast<size_t>(retryCounter % pattern)];
    return probe < 0 ? 0 : probe;
}

TransferEnd BlockTransfer::Run(const IndexEntry &entry, ImageFile &file)
{
    start_ = entry.Start;
    length_ = entry.Length;
    retryLines_ = 0;
    if (!Handshake(file))
        return Fail();
    Prepare(entry);
    return SendBlocks(file);
}

// Lead byte - 1, 0x55, 0xAA, each answered by anything at all (nothing is awaited when blind).
bool BlockTransfer::Handshake(ImageFile &file)
{
    int32_t leadByte = 0;
    Guarded([&] { leadByte = file.ByteAt(start_); });
    for (const int32_t byte : {leadByte - 1, int32_t{UpdateLink::HandshakeSecond},
                               int32_t{UpdateLink::HandshakeThird}}) {
        link_.wait(HandshakePauseTicks);
        Guarded([&] { link_.send(byte); });
        if (!GuardedOr(false, [this] { return link_.waitack(); }))
            return false;
    }
    link_.wait(HandshakePauseTicks);
    return true;
}

void BlockTransfer::Prepare(const IndexEntry &entry)
{
    blockNumber_ = 0;
    position_ = start_ + 1;
    lastPosition_ = start_ + length_ - 1;
    blockSize_ = *BlockSizeOf(entry.Type);
    blockBuffer_ = QByteArray(blockSize_ + FrameBytes, '\0');
}

TransferEnd BlockTransfer::SendBlocks(ImageFile &file)
{
    for (;;) {
        retryCounter_ = 0;
        for (;;) { // the attempts of one block
            if (Module_DU::State().StopUpdate)
                return Stop();
            StartAttempt();
            if (GuardedOr(false, [&] { return FillBlock(file); }))
                return Finish();
            Guarded([this] { SendBlock(); });
            ShowProgress();
            Guarded([this] { AwaitBlockReply(); });
            const Reply reply = GuardedOr(Reply::Refused, [this] { return Evaluate(); });
            if (reply == Reply::Accepted)
                break;
            if (!RetryAllowed(reply))
                return Fail();
            ChooseProbe();
        }
        RemoveRetryLines();
        ++blockNumber_;
    }
}

void BlockTransfer::StartAttempt()
{
    checksum_ = static_cast<uint8_t>(blockNumber_ & BlockNumberMask);
    blockBuffer_[0] = static_cast<char>(checksum_);
    Log::Line(QStringLiteral("Block=%1").arg(blockNumber_));
    position_ = start_ + 1 + blockNumber_ * blockSize_;
    Log::Line(QStringLiteral("Filepos = %1").arg(position_));
}

// True when the next byte would lie beyond the image: the transfer is finished. A block that
// cannot be filled completely is never sent.
bool BlockTransfer::FillBlock(ImageFile &file)
{
    for (int32_t i = 1; i <= blockSize_; ++i) {
        ++position_;
        if (position_ > lastPosition_)
            return true;
        const uint8_t byte = file.ByteAt(position_);
        checksum_ ^= byte;
        blockBuffer_[i] = static_cast<char>(byte);
    }
    return false;
}

void BlockTransfer::SendBlock()
{
    blockBuffer_[blockSize_ + 1] = static_cast<char>(checksum_);
    link_.Comm().output(blockBuffer_);
}

void BlockTransfer::ShowProgress()
{
    view_.SetProgress(static_cast<float>(position_ - start_) * PercentScale
                      / static_cast<float>(length_));
}

void BlockTransfer::AwaitBlockReply()
{
    link_.DataReceived = false;
    link_.AwaitReply(BlockReplyTicks, UpdateLink::TickMs);
}

BlockTransfer::Reply BlockTransfer::Evaluate()
{
    if (view_.Blind())
        return Reply::Accepted;
    if (!link_.DataReceived)
        return Reply::TimedOut;
    link_.bufferinbin();
    return link_.Acknowledged() ? Reply::Accepted : Reply::Refused;
}

void BlockTransfer::RemoveRetryLines()
{
    for (; retryLines_ > 0; --retryLines_)
        view_.RemoveLastInfoLine();
}

// Lists the failed attempt; false when the block has failed too often.
bool BlockTransfer::RetryAllowed(Reply reply)
{
    const QString block = QString::number(blockNumber_);
    QString logLine = QStringLiteral("Ack Timeout Block ") + block;
    QString infoLine = QStringLiteral("Timeout Block ") + block;
    int32_t retries = TimeoutRetries;
    if (reply == Reply::Refused) {
        logLine = QStringLiteral("Nack Block ") + block;
        infoLine = QStringLiteral("CRC-Fehler Block ") + block;
        retries = RefusalRetries;
    }
    if (retryCounter_ > retries) {
        Log::Line(logLine);
        view_.AddInfoLine(infoLine);
        return false;
    }
    const QString retry = QStringLiteral(" Retry %1").arg(retryCounter_ + 1);
    Log::Line(logLine + retry);
    view_.AddInfoLine(infoLine + retry);
    ++retryLines_;
    return true;
}

void BlockTransfer::ChooseProbe()
{
    if (retryCounter_ == 0)
        savedBlockNumber_ = blockNumber_;
    ++retryCounter_;
    blockNumber_ = ProbeBlock(savedBlockNumber_, retryCounter_);
}

TransferEnd BlockTransfer::Finish()
{
    link_.wait(FinishedPauseTicks);
    view_.AddInfoLine(Text(TextId::UpdateFinished));
    view_.SetInfoColour(InfoColour::Finished);
    if (retryCounter_ == 0)
        return TransferEnd::Finished;
    Log::Line(QStringLiteral("Ende erreicht, Block %1 nicht bestätigt").arg(savedBlockNumber_));
    return TransferEnd::FinishedUnconfirmed;
}

TransferEnd BlockTransfer::Stop()
{
    Log::Line(QStringLiteral("Update stopped at block %1").arg(blockNumber_));
    view_.AddInfoLine(Text(TextId::UpdateStopped));
    return Fail();
}

TransferEnd BlockTransfer::Fail()
{
    view_.SetInfoColour(InfoColour::Failed);
    view_.AddInfoLine(Text(TextId::UpdateFailedOnPosition) + QLatin1Char(' ')
                      + QString::number(position_));
    return TransferEnd::Failed;
}
