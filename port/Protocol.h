#pragma once
// The serial exchange with the programmer and the decoder behind it, in one place: line
// settings, adapter commands, bytes, block sizes, limits and timing. The program and the
// simulator both read it, so the two ends of the line cannot drift apart.
//
// Timing is counted in ticks of a page timer; each count says whose tick it is in.

#include <QChar>
#include <QString>
#include <array>
#include <cstdint>

namespace Protocol {

// Line settings: detection asks at the first, the update runs at the second.
inline const QString ProbeLineSettings = QStringLiteral("38400,N,8,1");
inline const QString UpdateLineSettings = QStringLiteral("38400,N,8,2");
// The receive event comes with every byte.
constexpr int ReceiveThresholdBytes = 1;

// The adapter's commands, each ended by CommandEnd; it answers the first with AdapterOkReply.
inline const QString AdapterOnCommand = QStringLiteral("FLINT_EIN");
inline const QString AdapterOffCommand = QStringLiteral("FLINT_AUS");
constexpr QChar CommandEnd = u'\r';
inline const QString AdapterOkReply = QStringLiteral("OK\r");

// The update box's status byte after a pulse when all is well: bit 0 clear, bit 6 set.
constexpr uint8_t BoxReadyStatus = 0x40;

// The decoder's replies, and the test a reply must pass to count as an acknowledgement.
constexpr uint8_t AckByte = 0x1C;
constexpr uint8_t NackByte = 0xFC;
constexpr uint8_t AcknowledgeMask = 0x49;
constexpr uint8_t AcknowledgePattern = 0x08;

// The two bytes of a burst pair (calibration, preamble, the alternative method's wake-up).
constexpr uint8_t BurstByteA = 0xEF;
constexpr uint8_t BurstByteB = 0xBF;

// The handshake: the image's lead byte minus one, then these two.
constexpr uint8_t HandshakeSecond = 0x55;
constexpr uint8_t HandshakeThird = 0xAA;

// A block: its number's low byte, the payload, the XOR checksum of both.
constexpr int32_t SmallBlockType = 1;
constexpr int32_t LargeBlockType = 2;
constexpr int32_t SmallBlockBytes = 32; // payload of a SmallBlockType image
constexpr int32_t LargeBlockBytes = 64; // payload of a LargeBlockType image
constexpr int32_t BlockNumberMask = 0xFF;
constexpr int32_t FrameBytes = 2; // number in front, checksum behind

// The update page's timer.
constexpr int TickMs = 10;      // every wait, waitack and block reply
constexpr int SearchTickMs = 5; // the decoder search

namespace Update {
// In ticks of TickMs.
constexpr int32_t AckTicks = 10;           // waitack
constexpr int32_t AdapterPauseTicks = 50;  // before and after waking the adapter
constexpr int32_t LineSettleTicks = 2;     // after raising line 1
constexpr int32_t HandshakePauseTicks = 5; // before and after each handshake byte
constexpr int32_t BlockReplyTicks = 5;     // a block's reply, and a late one after it
constexpr int32_t FinishedPauseTicks = 50; // before "finished" is shown
// In ticks of SearchTickMs: a decoder's answer to its ID.
constexpr int32_t SearchReplyTicks = 5;
// Time after raising line 1 that passes without any window event, before the preamble.
constexpr int64_t PreambleLeadMs = 5;
constexpr int32_t BlindPreambleCount = 100; // pairs
// Every chosen ID is tried this often.
constexpr int32_t SearchRounds = 1;

// A block fails once its retry counter is above these when it is refused, or unanswered.
constexpr int32_t RefusalRetries = 30;
constexpr int32_t TimeoutRetries = 8;
// The probe by retry counter modulo 9, as an offset from the saved block: the next block
// first, then the same, then further out.
constexpr std::array<int32_t, 9> ProbeOffsets{-3, 1, 0, 1, 0, -1, 2, -2, 3};
} // namespace Update

namespace Alternative {
// The decoder is looked for by these IDs, in a first round and RetryRounds more.
constexpr int32_t FirstProbeId = 200;
constexpr int32_t LastProbeId = 209;
constexpr int32_t RetryRounds = 5;
constexpr int32_t WakeUpPairs = 10; // before each probe

// In ticks of TickMs.
constexpr int32_t OpenedPauseTicks = 5;    // after the port is open
constexpr int32_t WakeUpByteTicks = 1;     // after each wake-up byte
constexpr int32_t ProbeLeadTicks = 1;      // between dropping what came and the probe
constexpr int32_t ProbeReplyTicks = 5;     // a decoder's answer to the probe
constexpr int32_t HandshakePauseTicks = 2; // before each handshake byte
constexpr int32_t HandshakeEndTicks = 4;   // after the last one
constexpr int32_t BlockPauseTicks = 10;    // after each full block
} // namespace Alternative

namespace Detection {
// The port page's timer.
constexpr int TickMs = 10;
// In ticks of TickMs: the pauses between the steps of a probe, which also make the 100 ms
// line pulse that wakes the update box, and the time an adapter has for its "OK".
constexpr int16_t PauseTicks = 10;
constexpr int16_t AdapterReplyTicks = 20;
} // namespace Detection

} // namespace Protocol
