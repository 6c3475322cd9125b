#pragma once
// Replies that leave at a given moment, never earlier, and in the order they were posted. A timer
// wakes the simulator shortly before a reply is due and a sleep covers the last fraction of a
// millisecond, so a reply is accurate to well under a millisecond without spinning meanwhile.

#include <QByteArray>
#include <QObject>
#include <QTimer>
#include <chrono>
#include <deque>

class SimReplySchedule : public QObject {
    Q_OBJECT
public:
    using Clock = std::chrono::steady_clock;

    explicit SimReplySchedule(QObject *parent = nullptr);

    // A reply due now, with nothing before it, leaves before Post returns.
    void Post(Clock::time_point due, const QByteArray &bytes);
    // Drops every reply not yet sent.
    void Clear();

signals:
    void Due(const QByteArray &bytes);

private:
    struct Reply {
        Clock::time_point due;
        QByteArray bytes;
    };

    void SendDue();
    void Arm();

    std::deque<Reply> queue_;
    QTimer timer_;
};
