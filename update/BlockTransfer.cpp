#include "update/BlockTransfer.h"

#include "app/LanguageTexts.h"
#include "app/Log.h"
#include "app/Module_DU.h"
#include "port/Protocol.h"
#include "port/SComm.h"
#include "update/BlockFrame.h"
#include "update/GuardedStep.h"
#include "update/UpdateImage.h"
#include "update/UpdateLink.h"
#include "update/UpdateView.h"

#include <algorithm>

namespace {
using namespace Protocol::Update;
using Protocol::TickMs;

constexpr float PercentScale = 100;

// "3" or "3-7".
QString BlockRange(int64_t first, int64_t last)
{
    return first == last ? QString::number(first) : QStringLiteral("%1-%2").arg(first).arg(last);
}
} // namespace

BlockTransfer::BlockTransfer(UpdateLink &link, UpdateView &view) : link_(link), view_(view)
{
}

std::optional<int32_t> BlockTransfer::BlockSizeOf(int32_t type)
{
    switch (type) {
    case Protocol::SmallBlockType:
        return Protocol::SmallBlockBytes;
    case Protocol::LargeBlockType:
        return Protocol::LargeBlockBytes;
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

TransferEnd BlockTransfer::Run(const UpdateImage &image, int32_t blockSize)
{
    start_ = image.Start();
    length_ = image.Length();
    blockSize_ = blockSize;
    wholeBlocks_ = image.WholeBlocks(blockSize);
    tailBytes_ = image.TailBytes(blockSize);
    highestAcknowledged_ = -1;
    lastReply_ = Reply::Accepted;
    carriedRetries_.clear();
    retryLines_ = 0;
    if (!Handshake(image))
        return Fail();
    Prepare();
    return SendBlocks(image);
}

int64_t BlockTransfer::BlocksAcknowledged() const
{
    return highestAcknowledged_ + 1;
}

// Lead byte - 1, 0x55, 0xAA, each answered by anything at all (nothing is awaited when blind).
bool BlockTransfer::Handshake(const UpdateImage &image)
{
    int32_t leadByte = 0;
    Guarded([&] { leadByte = image.ByteAt(start_); });
    for (const int32_t byte : {leadByte - 1, int32_t{Protocol::HandshakeSecond},
                               int32_t{Protocol::HandshakeThird}}) {
        link_.wait(HandshakePauseTicks);
        Guarded([this] { link_.DropWaiting(); });
        Guarded([&] { link_.send(byte); });
        if (!GuardedOr(false, [this] { return link_.waitack(); }))
            return false;
    }
    link_.wait(HandshakePauseTicks);
    return true;
}

void BlockTransfer::Prepare()
{
    blockNumber_ = 0;
    position_ = start_ + 1;
    lastPosition_ = start_ + length_ - 1;
    payload_ = QByteArray(blockSize_, '\0');
}

TransferEnd BlockTransfer::SendBlocks(const UpdateImage &image)
{
    for (;;) {
        StartBlock();
        for (;;) { // the attempts of one block
            if (Module_DU::State().StopUpdate)
                return Stop();
            StartAttempt();
            if (GuardedOr(false, [&] { return FillBlock(image); }))
                return Finish();
            Guarded([this] { SendBlock(); });
            ShowProgress();
            Guarded([this] { AwaitBlockReply(); });
            const Reply reply = GuardedOr(Reply::Refused, [this] { return Evaluate(); });
            lastReply_ = reply;
            if (reply == Reply::Accepted)
                break;
            if (!RetryAllowed(reply))
                return Fail();
            if (reply == Reply::TimedOut)
                Guarded([this] { link_.AwaitLateReply(BlockReplyTicks, TickMs); });
            ChooseProbe();
        }
        Accept();
        ++blockNumber_;
    }
}

// A block met for the first time starts with no failures; one the transfer comes back to goes
// on from those it had.
void BlockTransfer::StartBlock()
{
    const auto carried = carriedRetries_.find(blockNumber_);
    retryCounter_ = carried == carriedRetries_.end() ? 0 : carried->second;
    savedBlockNumber_ = blockNumber_;
}

void BlockTransfer::StartAttempt()
{
    Log::Line(QStringLiteral("Block=%1").arg(blockNumber_));
    position_ = start_ + 1 + int64_t{blockNumber_} * blockSize_;
    Log::Line(QStringLiteral("Filepos = %1").arg(position_));
}

// True when the next byte would lie beyond the image: the transfer is finished. A block that
// cannot be filled completely is never sent.
bool BlockTransfer::FillBlock(const UpdateImage &image)
{
    for (int32_t i = 0; i < blockSize_; ++i) {
        ++position_;
        if (position_ > lastPosition_)
            return true;
        payload_[i] = static_cast<char>(image.ByteAt(position_));
    }
    return false;
}

// Whatever waits on the port answers an earlier write, never this block.
void BlockTransfer::SendBlock()
{
    link_.DropWaiting();
    link_.Comm().output(BlockFrame(blockNumber_, payload_));
}

void BlockTransfer::ShowProgress()
{
    view_.SetProgress(static_cast<float>(position_ - start_) * PercentScale
                      / static_cast<float>(length_));
}

void BlockTransfer::AwaitBlockReply()
{
    link_.DataReceived = false;
    link_.AwaitReply(BlockReplyTicks, TickMs);
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

// The block just sent is confirmed, with every block before it; no later one, whatever was
// taken before: the decoder's last word counts. The failures of the block the probing started
// from are kept for when the transfer comes back to it.
void BlockTransfer::Accept()
{
    highestAcknowledged_ = blockNumber_;
    if (retryCounter_ > 0)
        carriedRetries_[savedBlockNumber_] = retryCounter_;
    RemoveRetryLines();
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
    ++retryCounter_;
    blockNumber_ = ProbeBlock(savedBlockNumber_, retryCounter_);
}

// The end of the image is reached. Finished only when every whole block is confirmed; the last
// one unanswered, or a tail too short for a block left unsent, is finished but unconfirmed;
// anything more missing, or a last block the decoder refused, has failed.
TransferEnd BlockTransfer::Finish()
{
    Guarded([this] { link_.DropWaiting(); });
    link_.wait(FinishedPauseTicks);
    if (!view_.Blind())
        TakeBackLateReplies();
    const int64_t unconfirmedBlocks = wholeBlocks_ - 1 - highestAcknowledged_;
    if (unconfirmedBlocks > 1 || (unconfirmedBlocks == 1 && lastReply_ == Reply::Refused))
        return Fail();
    view_.AddInfoLine(Text(TextId::UpdateFinished));
    if (unconfirmedBlocks == 0 && tailBytes_ == 0) {
        view_.SetInfoColour(InfoColour::Finished);
        return TransferEnd::Finished;
    }
    if (unconfirmedBlocks == 1)
        view_.AddInfoLine(Text(TextId::LastBlockUnconfirmed) + QLatin1Char(' ')
                          + QString::number(wholeBlocks_ - 1));
    if (tailBytes_ > 0)
        view_.AddInfoLine(Text(TextId::TailNotSent) + QLatin1Char(' ')
                          + QString::number(tailBytes_));
    view_.SetInfoColour(InfoColour::Unconfirmed);
    return TransferEnd::FinishedUnconfirmed;
}

// A reply that arrives after the last block answered an earlier write: the replies were late,
// and each acknowledgement taken was one write behind. Each such reply takes back the
// confirmation of one block.
void BlockTransfer::TakeBackLateReplies()
{
    const int late = GuardedOr(0, [this] { return link_.Comm().incount(); });
    if (late == 0)
        return;
    Log::Line(QStringLiteral("%1 late replies after the last block").arg(late));
    highestAcknowledged_ = std::max<int64_t>(-1, highestAcknowledged_ - late);
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
    const int64_t firstUnconfirmed = highestAcknowledged_ + 1;
    if (firstUnconfirmed < wholeBlocks_)
        view_.AddInfoLine(Text(TextId::BlocksNotAcknowledged) + QLatin1Char(' ')
                          + BlockRange(firstUnconfirmed, wholeBlocks_ - 1));
    return TransferEnd::Failed;
}
