#pragma once
// The serial line from the program to the programmer as a clock: each byte takes 11 bits (start,
// eight data, two stop) at 38400 baud, and a byte sent while the line is still busy waits behind
// the bytes before it. A line that is not emulated takes no time at all.

#include <chrono>

class SimLineClock {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr int BitsPerByte = 11;
    static constexpr int BaudRate = 38400;
    // Rounded up, so that nothing reckoned from it comes early.
    static constexpr std::chrono::nanoseconds ByteTime{
        (BitsPerByte * std::nano::den + BaudRate - 1) / BaudRate};

    explicit SimLineClock(bool emulated);

    // The moment a byte the program sent at sentAt has crossed the line.
    Clock::time_point Carry(Clock::time_point sentAt);
    // The earliest moment a one-byte answer to everything carried so far can be back.
    Clock::time_point ReplyDue(Clock::time_point now) const;

private:
    bool emulated_;
    Clock::time_point freeAt_{};
};
