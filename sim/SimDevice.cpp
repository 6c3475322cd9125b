#include "sim/SimDevice.h"

SimDevice::SimDevice(const QString &description)
    : description_(description)
{
}

QString SimDevice::Description() const
{
    return description_;
}

void SimDevice::SetDescription(const QString &description)
{
    description_ = description;
}

bool SimDevice::Busy() const
{
    return busy_;
}

void SimDevice::SetBusy(bool busy)
{
    busy_ = busy;
}

bool SimDevice::Plugged() const
{
    return plugged_;
}

void SimDevice::Plug()
{
    plugged_ = true;
}

void SimDevice::Unplug()
{
    plugged_ = false;
    emit Unplugged();
}

void SimDevice::Connect()
{
    connected_ = true;
    ++connections_;
}

void SimDevice::Disconnect()
{
    connected_ = false;
}

bool SimDevice::Connected() const
{
    return connected_;
}

int SimDevice::Connections() const
{
    return connections_;
}

void SimDevice::Receive(const QByteArray &bytes)
{
    received_ += bytes;
}

void SimDevice::SetLines(bool, bool)
{
}

void SimDevice::SetControlLinesWired(bool)
{
}

const QByteArray &SimDevice::Received() const
{
    return received_;
}
