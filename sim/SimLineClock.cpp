#include "sim/SimLineClock.h"

#include <algorithm>

SimLineClock::SimLineClock(bool emulated)
    : emulated_(emulated)
{
}

SimLineClock::Clock::time_point SimLineClock::Carry(Clock::time_point sentAt)
{
    if (!emulated_)
        return sentAt;
    freeAt_ = std::max(freeAt_, sentAt) + ByteTime;
    return freeAt_;
}

SimLineClock::Clock::time_point SimLineClock::ReplyDue(Clock::time_point now) const
{
    return emulated_ ? std::max(freeAt_, now) + ByteTime : now;
}
