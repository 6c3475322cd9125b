#include "port/SComm.h"

#include "app/Windows1252.h"
#include "port/PortMap.h"
#include "port/SerialDevice.h"
#include "port/SerialDeviceFactory.h"
#include "port/SerialError.h"

SComm::SComm(QObject *parent)
    : QObject(parent)
{
}

SComm::~SComm() = default;

void SComm::setPortnumber(int number)
{
    if (device_)
        throw SerialError(QStringLiteral("Port already open"));
    if (number < 1 || number > PortMap::PortCount)
        throw SerialError(QStringLiteral("Invalid port number %1").arg(number));
    portnumber_ = number;
}

int SComm::portnumber() const
{
    return portnumber_;
}

QString SComm::description() const
{
    return PortMap::Instance().Description(portnumber_);
}

void SComm::setSettings(const QString &text)
{
    settings_ = LineSettings::Parse(text);
    if (device_)
        device_->Configure(settings_);
}

void SComm::setOverlappedio(bool on)
{
    overlappedio_ = on;
}

void SComm::setPortopen(bool open)
{
    if (open == portopen())
        return;
    if (!open) {
        auto closing = std::move(device_);
        closing->Close();
        return;
    }
    auto device = CreateSerialDevice(portnumber_);
    device->Open(buffersize_);
    // A port that opened but cannot take its settings counts as not opened.
    device->Configure(settings_);
    device->SetFlowControl(handshake_ == comRTS);
    if (handshake_ == comNone)
        device->SetLines(ctrlline1_, ctrlline2_);
    connect(device.get(), &SerialDevice::DataArrived, this, &SComm::DataArrived);
    device_ = std::move(device);
}

bool SComm::portopen() const
{
    return device_ != nullptr;
}

void SComm::setHandshake(int mode)
{
    handshake_ = mode;
    if (!device_)
        return;
    device_->SetFlowControl(mode == comRTS);
    if (mode == comNone)
        ApplyLines(); // handing the line back to the program restores the level it asked for
}

void SComm::setCtrlline1(bool raised)
{
    ctrlline1_ = raised;
    ApplyLines();
}

void SComm::setCtrlline2(bool raised)
{
    ctrlline2_ = raised;
    ApplyLines();
}

void SComm::ApplyLines()
{
    if (device_ && handshake_ == comNone)
        device_->SetLines(ctrlline1_, ctrlline2_);
}

void SComm::setReadlen(int count)
{
    readlen_ = count;
}

void SComm::setInputmode(int mode)
{
    inputmode_ = mode;
}

void SComm::setRxthreshold(int count)
{
    rxthreshold_ = count;
}

void SComm::setBuffersize(int bytes)
{
    buffersize_ = bytes;
}

int SComm::incount() const
{
    return static_cast<int>(OpenDevice().BytesWaiting());
}

void SComm::setIncount(int count)
{
    if (count == 0)
        OpenDevice().DiscardInput();
}

QVariant SComm::input()
{
    SerialDevice &device = OpenDevice();
    const qint64 limit = readlen_ > 0 ? readlen_ : device.BytesWaiting();
    const QByteArray bytes = device.Read(limit);
    if (inputmode_ == comInputModeBinary)
        return bytes;
    return Windows1252::Decode(bytes);
}

void SComm::output(const QString &text)
{
    output(Windows1252::Encode(text));
}

void SComm::output(const QByteArray &bytes)
{
    OpenDevice().Write(bytes);
}

int SComm::eventcode() const
{
    return ReceiveThresholdReached() ? comEvReceive : comEvNone;
}

SerialDevice &SComm::OpenDevice() const
{
    if (!device_)
        throw SerialError(QStringLiteral("Port is not open"));
    return *device_;
}

void SComm::DataArrived()
{
    if (overlappedio_ && ReceiveThresholdReached())
        emit OnComm();
}

bool SComm::ReceiveThresholdReached() const
{
    if (!device_ || rxthreshold_ < 1)
        return false;
    try {
        return device_->BytesWaiting() >= rxthreshold_;
    } catch (const SerialError &) {
        return false; // a device that has gone has nothing waiting; its next read says why
    }
}

void SwitchLine1(SComm &comm, bool raised)
{
    comm.setCtrlline1(raised);
    comm.setHandshake(SComm::comRTS);
    comm.setHandshake(SComm::comNone);
}
