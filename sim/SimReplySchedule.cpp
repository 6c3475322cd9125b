#include "sim/SimReplySchedule.h"

#include <algorithm>
#include <thread>

namespace {
// The timer is set to wake the simulator this much before a reply is due, since it may wake
// late; a reply due within SleepSpan is slept for, to the exact moment, rather than left to the
// timer, whose ticks are whole milliseconds.
constexpr std::chrono::milliseconds WakeLead{1};
constexpr std::chrono::milliseconds SleepSpan{2};
} // namespace

SimReplySchedule::SimReplySchedule(QObject *parent)
    : QObject(parent)
{
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &SimReplySchedule::SendDue);
}

void SimReplySchedule::Post(Clock::time_point due, const QByteArray &bytes)
{
    if (queue_.empty() && due <= Clock::now()) {
        emit Due(bytes);
        return;
    }
    // A later reply never overtakes an earlier one.
    if (!queue_.empty())
        due = std::max(due, queue_.back().due);
    queue_.push_back({due, bytes});
    Arm();
}

void SimReplySchedule::Clear()
{
    queue_.clear();
    timer_.stop();
}

// Whoever receives a reply may post or clear meanwhile; each reply is taken off the queue before
// it leaves.
void SimReplySchedule::SendDue()
{
    while (!queue_.empty()) {
        const Clock::time_point due = queue_.front().due;
        if (due - Clock::now() > SleepSpan)
            break;
        std::this_thread::sleep_until(due);
        const QByteArray bytes = queue_.front().bytes;
        queue_.pop_front();
        emit Due(bytes);
    }
    Arm();
}

void SimReplySchedule::Arm()
{
    if (queue_.empty() || timer_.isActive())
        return;
    const auto wait = std::chrono::floor<std::chrono::milliseconds>(queue_.front().due - WakeLead
                                                                    - Clock::now());
    timer_.start(std::max<std::chrono::milliseconds>(wait, std::chrono::milliseconds::zero()));
}
