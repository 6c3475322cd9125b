#include "sim/SimNoise.h"

namespace {
constexpr int SendIntervalMs = 10;
} // namespace

SimNoise::SimNoise(const QString &description)
    : SimDevice(description)
{
    timer_.setInterval(SendIntervalMs);
    connect(&timer_, &QTimer::timeout, this, [this] { emit Sent(pattern_); });
}

void SimNoise::SetPattern(const QByteArray &pattern)
{
    pattern_ = pattern;
}

void SimNoise::Connect()
{
    SimDevice::Connect();
    timer_.start();
}

void SimNoise::Disconnect()
{
    timer_.stop();
    SimDevice::Disconnect();
}
