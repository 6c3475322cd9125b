#pragma once
// The last stage of an update: the three-byte handshake, then the image's payload in numbered
// blocks (block number, payload, XOR checksum), one block per reply. A refused or unanswered
// block is followed by a probe chosen by a fixed pattern around it.

#include "software/IndexEntry.h"

#include <QByteArray>
#include <cstdint>
#include <optional>

class ImageFile;
class UpdateLink;
class UpdateView;

enum class TransferEnd {
    Finished,
    // Finished while a block's reply was still missing: the first probe after it lay beyond
    // the payload. Reported as finished all the same; the log says which block it was.
    FinishedUnconfirmed,
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

    // Sends the image of entry, whose TYPE must have a block size, from file. Leaves its lines
    // and its colour in the view.
    TransferEnd Run(const IndexEntry &entry, ImageFile &file);

private:
    enum class Reply { Accepted, Refused, TimedOut };

    bool Handshake(ImageFile &file);
    void Prepare(const IndexEntry &entry);
    TransferEnd SendBlocks(ImageFile &file);
    void StartAttempt();
    bool FillBlock(ImageFile &file);
    void SendBlock();
    void ShowProgress();
    void AwaitBlockReply();
    Reply Evaluate();
    void RemoveRetryLines();
    bool RetryAllowed(Reply reply);
    void ChooseProbe();
    TransferEnd Finish();
    // The user asked to stop now: the transfer fails where it stands.
    TransferEnd Stop();
    TransferEnd Fail();

    UpdateLink &link_;
    UpdateView &view_;

    // Kept from one run to the next, as the page keeps them: a failed handshake reports the
    // position the previous transfer ended at.
    int32_t start_ = 0;
    int32_t length_ = 0;
    int32_t blockNumber_ = 0;
    int32_t savedBlockNumber_ = 0;
    int32_t retryCounter_ = 0;
    int32_t position_ = 0; // of the last byte read, counting from 1
    int32_t lastPosition_ = 0;
    int32_t blockSize_ = 0;
    QByteArray blockBuffer_; // as it goes on the wire: number, payload, checksum
    uint8_t checksum_ = 0;
    int retryLines_ = 0; // retry lines of the current block in the view
};
