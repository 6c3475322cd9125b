#include "port/SerialDeviceFactory.h"

#include "port/PortMap.h"
#include "port/QtSerialDevice.h"
#include "port/SerialError.h"

#include <vector>

namespace {
std::vector<SerialBackEnd> &RegisteredBackEnds()
{
    static std::vector<SerialBackEnd> backEnds;
    return backEnds;
}
} // namespace

std::unique_ptr<SerialDevice> CreateSerialDevice(int com)
{
    const PortMap &map = PortMap::Instance();
    if (!map.Present(com))
        throw SerialError(QStringLiteral("COM%1 does not exist").arg(com));
    for (SerialBackEnd backEnd : RegisteredBackEnds())
        if (auto device = backEnd(com))
            return device;
    return std::make_unique<QtSerialDevice>(map.Device(com));
}

bool IsSimulatedPort(int com)
{
    return PortMap::Instance().Simulated(com) != nullptr;
}

bool RegisterSerialBackEnd(SerialBackEnd backEnd)
{
    RegisteredBackEnds().push_back(backEnd);
    return true;
}
