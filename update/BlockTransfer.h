#pragma once
// The last stage of an update: the three-byte handshake, then the image's payload in numbered
// blocks (block number, payload, XOR checksum), one block per reply. A refused or unanswered
// block is followed by a probe chosen by a fixed pattern around it.
//
// The result says no more than the decoder confirmed. The decoder stores blocks only in order,
// so its acknowledgement of a block confirms every block before it too.

#include <QByteArray>
#include <cstdint>
#include <map>
#include <optional>

class UpdateImage;
class UpdateLink;
class UpdateView;

enum class TransferEnd {
    Finished,            // every block acknowledged (or, blind, sent)
    FinishedUnconfirmed, // the end reached with at most the last block or a short tail unconfirmed
    Failed,
};

class BlockTransfer {
public:
    BlockTransfer(UpdateLink &link, UpdateView &view);

    // 32 payload bytes per block for TYPE 1, 64 for TYPE 2; no other type can be sent.
    static std::optional<int32_t> BlockSizeOf(int32_t type);
    // The block to send after the retryCounter-th failed attempt of the block saved: the next
    // one, the same again, and then up to three either side; never below block 0.
    static int32_t ProbeBlock(int32_t saved, int32_t retryCounter);

    // Sends image, which holds at least one whole block of blockSize. Leaves its lines and its
    // colour in the view.
    TransferEnd Run(const UpdateImage &image, int32_t blockSize);

    // The last run's blocks the decoder confirmed: 0 up to this count.
    int64_t BlocksAcknowledged() const;

private:
    enum class Reply { Accepted, Refused, TimedOut };

    bool Handshake(const UpdateImage &image);
    void Prepare();
    TransferEnd SendBlocks(const UpdateImage &image);
    void StartBlock();
    void StartAttempt();
    bool FillBlock(const UpdateImage &image);
    void SendBlock();
    void ShowProgress();
    void AwaitBlockReply();
    Reply Evaluate();
    void Accept();
    void RemoveRetryLines();
    bool RetryAllowed(Reply reply);
    void ChooseProbe();
    TransferEnd Finish();
    void TakeBackLateReplies();
    TransferEnd Stop();
    TransferEnd Fail();

    UpdateLink &link_;
    UpdateView &view_;

    // Kept from one run to the next, as the page keeps them: a failed handshake reports the
    // position the previous transfer ended at.
    int64_t start_ = 0;
    int64_t length_ = 0;
    int32_t blockNumber_ = 0;
    int32_t savedBlockNumber_ = 0;
    int32_t retryCounter_ = 0;
    int64_t position_ = 0; // of the last byte read, counting from 1
    int64_t lastPosition_ = 0;
    int32_t blockSize_ = 0;
    QByteArray payload_; // of the block being sent
    int retryLines_ = 0; // retry lines of the current block in the view

    // This run's account of what the decoder holds.
    int64_t wholeBlocks_ = 0;
    int64_t tailBytes_ = 0;
    int64_t highestAcknowledged_ = -1; // blocks 0 to this one are confirmed
    Reply lastReply_ = Reply::Accepted;
    // A block the transfer comes back to after an accepted probe goes on counting its failures
    // from where they stood, so a block that keeps failing fails the transfer in the end.
    std::map<int32_t, int32_t> carriedRetries_;
};
