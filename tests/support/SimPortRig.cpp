#include "SimPortRig.h"

#include "app/Log.h"
#include "app/Module_DU.h"

#include <QSignalSpy>
#include <QTest>

SimPorts::SimPorts(const QString &ports)
{
    Module_DU::ResetState();
    qputenv("TOBRIK_PORTS", ports.toUtf8());
    PortMap::Instance().Reset();
    PortMap::Instance().Refresh();
    Log::SetSink([this](const QString &line) {
        log.append(line);
        if (onLog)
            onLog(line);
    });
}

SimPorts::~SimPorts()
{
    Log::SetSink(nullptr);
    qunsetenv("TOBRIK_PORTS");
    PortMap::Instance().Reset();
    Module_DU::ResetState();
}

bool WaitForScans(PortList &ports, int scans)
{
    QSignalSpy ended(&ports, &PortList::TimerScanEnded);
    return QTest::qWaitFor([&] { return ended.count() >= scans; }, 20000);
}

bool SimPortRig::StartAndScan()
{
    ports.Start();
    return WaitForScans(ports);
}

QStringList SimPortRig::FoundEntries() const
{
    QStringList found;
    for (const QString &entry : view.Entries())
        if (entry.contains(" - "))
            found.append(entry);
    return found;
}
