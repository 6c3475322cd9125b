#include "sim/SimNoise.h"

SimNoise::SimNoise(const QString &description)
    : SimDevice(description)
{
    timer_.setInterval(10);
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
