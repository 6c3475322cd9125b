#include "port/SerialDeviceFactory.h"

#include "port/PortMap.h"
#include "port/QtSerialDevice.h"
#include "port/SerialError.h"
#include "sim/SimSerialDevice.h"

std::unique_ptr<SerialDevice> CreateSerialDevice(int com)
{
    const PortMap &map = PortMap::Instance();
    if (!map.Present(com))
        throw SerialError(QStringLiteral("COM%1 does not exist").arg(com));
    if (auto simulated = map.Simulated(com))
        return std::make_unique<SimSerialDevice>(simulated);
    return std::make_unique<QtSerialDevice>(map.Device(com));
}

bool IsSimulatedPort(int com)
{
    return PortMap::Instance().Simulated(com) != nullptr;
}
