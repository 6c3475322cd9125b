#pragma once
// Serial back ends for ports that are no device of the machine, such as the simulator's "sim:"
// ports. Each registers itself from its own file, so port/ names none of them; a port that no
// registered back end takes is a device path, for QSerialPort.

#include <QString>
#include <memory>
#include <vector>

class SerialDevice;

// What stands behind such a port: the COM number map asks it whether it is plugged in and what
// it is called.
class PortStandIn {
public:
    virtual ~PortStandIn() = default;
    virtual QString Description() const = 0;
    virtual bool Plugged() const = 0;
};

struct SerialBackEnd {
    // The stand-in a pinned device text names; nullptr for a text that is not the back end's.
    // A text of its own that it does not understand is refused, and *refusal says why.
    std::shared_ptr<PortStandIn> (*read)(const QString &device, QString *refusal);
    // The device that talks to standIn; nullptr for another back end's stand-in.
    std::unique_ptr<SerialDevice> (*open)(const std::shared_ptr<PortStandIn> &standIn);
};

// A back end calls this from its own initializer. Returns true, for the constant that the call
// initialises.
bool RegisterSerialBackEnd(SerialBackEnd backEnd);

const std::vector<SerialBackEnd> &RegisteredSerialBackEnds();
