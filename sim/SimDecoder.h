#pragma once
// The decoder on the programming track, as the update box or the adapter carries it.
//
// It waits for a preamble (at least MinPreamblePairs pairs 0xEF, 0xBF in a row), then takes any
// other byte as an ID probe and acknowledges (0x1C) only its own ID. Three handshake bytes follow
// (the transfer's start byte, 0x55, 0xAA), each acknowledged; a wrong 0x55 or 0xAA is refused
// (0xFC) and the decoder waits for an ID again. The last one empties the flash. Then come blocks
// of block number (low byte), blockSize payload bytes and their XOR checksum: the block it expects
// is stored at offset number x blockSize and acknowledged, a repeat of the block just stored is
// acknowledged again, anything else is refused; so is, every time, the block settings.refuseBlock
// names. A pause of IdleGapMs in the middle of a block drops what came of it, so the framing
// lines up again with the next block.
//
// Each reply to a block leaves settings.replyDelayMs after the block's last byte has arrived, at
// the earliest.
//
// An ID of 0xEF or 0xBF cannot be probed: the decoder takes it for more preamble.

#include "sim/SimDecoderSettings.h"
#include "sim/SimFaults.h"
#include "sim/SimLineClock.h"
#include "sim/SimReplySchedule.h"

#include <QByteArray>
#include <QObject>

class SimDecoder : public QObject {
    Q_OBJECT
public:
    static constexpr int MinPreamblePairs = 4;
    static constexpr int IdleGapMs = 20;
    static constexpr int SlowReplyDelayMs = 30;

    explicit SimDecoder(const SimDecoderSettings &settings, QObject *parent = nullptr);
    // Writes the flash once more.
    ~SimDecoder() override;

    // Bytes from the track.
    void Receive(const QByteArray &bytes);
    // Waits for a preamble again, as after the line to the track was switched off; the flash stays.
    void ResetReceiveState();
    // The program has let go of the link: replies not yet sent are dropped, the receive state is
    // reset and the flash written.
    void LinkClosed();

    const QByteArray &Flash() const;

signals:
    void Replied(const QByteArray &bytes);
    // The block at which the port is to vanish has arrived.
    void UnplugReached();
    // A whole block has arrived while the decoder expects block expected, before it is judged.
    void BlockArrived(int expected);

private:
    enum class Phase { Idle, Ready, StartByte, FirstCheckByte, SecondCheckByte, Blocks };
    using Clock = SimLineClock::Clock;

    void Take(quint8 byte, Clock::time_point arrivedAt);
    void TakePreamble(quint8 byte);
    void TakeProbe(quint8 byte);
    void TakeCheckByte(quint8 byte, quint8 expected, Phase next);
    void TakeBlockByte(quint8 byte);
    void EvaluateFrame(QByteArray frame);
    bool ChecksumHolds(const QByteArray &frame) const;
    void Store(int block, const QByteArray &payload);
    void Reply(quint8 byte);
    void WriteFlash() const;

    SimDecoderSettings settings_;
    SimFaults faults_;
    SimLineClock line_;
    SimReplySchedule schedule_;

    Phase phase_ = Phase::Idle;
    int preamblePairs_ = 0;
    bool pairStarted_ = false;
    QByteArray frame_;
    Clock::time_point lastByteAt_{};
    int expectedBlock_ = 0;
    QByteArray flash_;
};
