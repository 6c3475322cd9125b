#pragma once
// The port list and its detection against simulated ports, without a window. The ports are
// given as TOBRIK_PORTS gives them ("3=sim:box;7=sim:adapter"); the log is captured; the shared
// state and the port map start afresh and are put back at the end.

#include "port/MemoryPortView.h"
#include "port/PortList.h"

#include <QStringList>
#include <functional>
#include <memory>

class SimDevice;

class SimPortRig {
public:
    explicit SimPortRig(const QString &ports);
    ~SimPortRig();

    // The start-up's steps for the port list, then waits for scans timer scans to end.
    bool StartAndScan(int scans = 1);
    // Waits for further timer scans.
    bool WaitForScans(int scans);

    PortList &Ports();
    PortDetection &Detection();
    MemoryPortView &View();
    const QStringList &LogLines() const;
    int CountLog(const QString &line) const;
    // Runs action once, when the log receives line (to act in the middle of a detection).
    void OnLogLine(const QString &line, std::function<void()> action);

    // The simulated device behind COM com, as the given model type.
    template <typename Model>
    Model *Device(int com) const
    {
        return dynamic_cast<Model *>(DeviceAt(com));
    }

private:
    SimDevice *DeviceAt(int com) const;

    QStringList log_;
    QString triggerLine_;
    std::function<void()> trigger_;
    MemoryPortView view_;
    std::unique_ptr<PortList> ports_;
    int scansEnded_ = 0;
};
