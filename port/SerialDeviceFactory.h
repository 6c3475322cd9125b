#pragma once
// Picks the back end for a COM number from the port map: a back end that registered itself and
// takes the port (the simulator takes its "sim:" ports), else QSerialPort for a device of the
// machine.

#include "port/SerialDevice.h"

#include <memory>

// Throws SerialError when the port was absent at the last scan: a port that does not exist is
// never opened.
std::unique_ptr<SerialDevice> CreateSerialDevice(int com);

// Whether the COM number leads to a simulated programmer rather than a device of the machine.
bool IsSimulatedPort(int com);

// A back end for ports that are no device of the machine: the device for com, or nullptr when
// com is not one of its ports.
using SerialBackEnd = std::unique_ptr<SerialDevice> (*)(int com);

// A back end calls this from its own initializer, so that the factory names none. Returns true,
// for the constant that the call initialises.
bool RegisterSerialBackEnd(SerialBackEnd backEnd);
