#include "port/SerialDeviceFactory.h"

#include "port/PortMap.h"
#include "port/QtSerialDevice.h"
#include "port/SerialBackEnds.h"
#include "port/SerialError.h"

std::unique_ptr<SerialDevice> CreateSerialDevice(int com)
{
    const PortMap &map = PortMap::Instance();
    if (!map.Present(com))
        throw SerialError(QStringLiteral("COM%1 does not exist").arg(com));
    if (const std::shared_ptr<PortStandIn> standIn = map.Simulated(com))
        for (const SerialBackEnd &backEnd : RegisteredSerialBackEnds())
            if (auto device = backEnd.open(standIn))
                return device;
    return std::make_unique<QtSerialDevice>(map.Device(com));
}

bool IsSimulatedPort(int com)
{
    return PortMap::Instance().Simulated(com) != nullptr;
}
