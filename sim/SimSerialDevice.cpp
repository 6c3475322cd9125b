#include "sim/SimSerialDevice.h"

#include "port/SerialBackEnds.h"
#include "port/SerialError.h"
#include "sim/SimDevice.h"
#include "sim/SimPortAddress.h"

namespace {
std::shared_ptr<PortStandIn> ReadSimulatedPort(const QString &device, QString *refusal)
{
    return SimPortAddress::Create(device, refusal);
}

std::unique_ptr<SerialDevice> OpenSimulatedPort(const std::shared_ptr<PortStandIn> &standIn)
{
    std::shared_ptr<SimDevice> model = std::dynamic_pointer_cast<SimDevice>(standIn);
    if (!model)
        return nullptr;
    return std::make_unique<SimSerialDevice>(std::move(model));
}
} // namespace

// Nothing refers to this constant, so a linker would leave this file out of a program that only
// pins ports: the core library's link options ask for it by name.
extern "C" const bool TobrikSimulatedPortsRegistered =
    RegisterSerialBackEnd({ReadSimulatedPort, OpenSimulatedPort});

SimSerialDevice::SimSerialDevice(std::shared_ptr<SimDevice> model)
    : model_(std::move(model))
{
}

SimSerialDevice::~SimSerialDevice()
{
    if (open_)
        Close();
}

void SimSerialDevice::Open(int bufferSize)
{
    CheckPlugged();
    if (model_->Busy() || model_->Connected())
        throw SerialError(QStringLiteral("%1: Device or resource busy").arg(model_->Description()));
    bufferSize_ = bufferSize;
    connect(model_.get(), &SimDevice::Sent, this, &SimSerialDevice::Arrive);
    model_->Connect();
    open_ = true;
}

void SimSerialDevice::Close()
{
    disconnect(model_.get(), nullptr, this, nullptr);
    model_->Disconnect();
    open_ = false;
}

void SimSerialDevice::Configure(const LineSettings &)
{
    CheckPlugged();
}

void SimSerialDevice::SetLines(bool line1, bool line2)
{
    CheckPlugged();
    model_->SetLines(line1, line2);
}

void SimSerialDevice::SetFlowControl(bool)
{
    CheckPlugged();
}

qint64 SimSerialDevice::BytesWaiting() const
{
    CheckPlugged();
    return received_.size();
}

QByteArray SimSerialDevice::Read(qint64 maxBytes)
{
    CheckPlugged();
    const QByteArray bytes = received_.left(maxBytes);
    received_.remove(0, bytes.size());
    return bytes;
}

void SimSerialDevice::Write(const QByteArray &bytes)
{
    CheckPlugged();
    model_->Receive(bytes);
}

void SimSerialDevice::DiscardInput()
{
    CheckPlugged();
    received_.clear();
}

void SimSerialDevice::CheckPlugged() const
{
    if (!model_->Plugged())
        throw SerialError(QStringLiteral("%1: No such device").arg(model_->Description()));
}

// A full receive buffer drops what does not fit, as the real driver does; size 0 is unlimited.
void SimSerialDevice::Arrive(const QByteArray &bytes)
{
    const qsizetype room = bufferSize_ > 0 ? qMax<qsizetype>(0, bufferSize_ - received_.size())
                                           : bytes.size();
    received_ += bytes.left(room);
    emit DataArrived();
}
