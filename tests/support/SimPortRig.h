#pragma once
// Simulated ports for one test, given as TOBRIK_PORTS gives them ("3=sim:box;7=sim:adapter"),
// with the log captured. The shared state and the port map start afresh and are put back at
// the end. SimPortRig adds the port list and its detection on a list without a window.

#include "port/MemoryPortView.h"
#include "port/PortDetection.h"
#include "port/PortList.h"
#include "port/PortMap.h"
#include "sim/SimDevice.h"

#include <QStringList>
#include <functional>

class SimPorts {
public:
    explicit SimPorts(const QString &ports);
    ~SimPorts();

    int CountLog(const QString &line) const { return static_cast<int>(log.count(line)); }
    // The simulated device behind COM com, as the given model type.
    template <typename Model = SimDevice>
    Model *Device(int com) const
    {
        return dynamic_cast<Model *>(PortMap::Instance().Simulated(com).get());
    }

    QStringList log;
    // Called with each log line as it arrives, to act in the middle of a detection.
    std::function<void(const QString &line)> onLog;
};

// Waits until the list's scan timer has ended scans more scans.
bool WaitForScans(PortList &ports, int scans = 1);

class SimPortRig : public SimPorts {
public:
    explicit SimPortRig(const QString &ports) : SimPorts(ports) {}
    ~SimPortRig() { ports.Detection().AdapterOff(); }

    // The start-up's steps for the port list, then the first timer scan with its detection.
    bool StartAndScan();
    PortDetection &Detection() { return ports.Detection(); }
    // The entries of the ports the last scan found, such as "COM3 - QXFLINT".
    QStringList FoundEntries() const;

    MemoryPortView view;
    PortList ports{view};
};
