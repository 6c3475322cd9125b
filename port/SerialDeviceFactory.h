#pragma once
// Picks the back end for a COM number from the port map: the registered back end of the port's
// stand-in (port/SerialBackEnds.h), else QSerialPort for a device of the machine.

#include "port/SerialDevice.h"

#include <memory>

// Throws SerialError when the port was absent at the last scan: a port that does not exist is
// never opened.
std::unique_ptr<SerialDevice> CreateSerialDevice(int com);

// Whether the COM number leads to a simulated programmer rather than a device of the machine.
bool IsSimulatedPort(int com);
