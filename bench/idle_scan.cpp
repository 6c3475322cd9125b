// The port page's scan left running with all 32 COM numbers mapped: prints the CPU time it
// uses, as a percentage of one core. The detection that the first scan starts is measured
// apart; after it, every scan consults the system's port list and finds nothing changed.
#include "app/Module_DU.h"
#include "port/MemoryPortView.h"
#include "port/PortList.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <ctime>

namespace {
// Settings that pin every COM number to a simulated adapter; the map still consults the
// system's device list at every scan, as it does on a user's machine.
QString WriteSettings(const QTemporaryDir &folder)
{
    const QString path = folder.filePath(QStringLiteral("Inits.ini"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write("[Ports]\n");
    for (int com = 1; com <= 32; ++com)
        file.write(QStringLiteral("COM%1=sim:adapter\n").arg(com).toUtf8());
    return path;
}

// Runs the event loop for the given time and returns the CPU time used meanwhile, in percent
// of one core. std::clock counts the process's CPU time on POSIX systems.
double CpuPercentWhileRunning(int milliseconds, int *scans, PortList &ports)
{
    int ended = 0;
    const auto counter = QObject::connect(&ports, &PortList::TimerScanEnded, [&] { ++ended; });
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    QElapsedTimer wall;
    wall.start();
    const std::clock_t cpuStart = std::clock();
    loop.exec();
    const double cpuMs = 1000.0 * double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    QObject::disconnect(counter);
    *scans = ended;
    return 100.0 * cpuMs / double(wall.elapsed());
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    qunsetenv("TOBRIK_PORTS");
    QTemporaryDir folder;
    Module_DU::State().SettingsFile = WriteSettings(folder);

    MemoryPortView view;
    PortList ports(view);

    QEventLoop firstScan;
    QObject::connect(&ports, &PortList::TimerScanEnded, &firstScan, &QEventLoop::quit);
    QElapsedTimer wall;
    wall.start();
    const std::clock_t cpuStart = std::clock();
    ports.Start();
    firstScan.exec();
    const double detectionCpu = 100.0 * 1000.0 * double(std::clock() - cpuStart) / CLOCKS_PER_SEC
                              / double(wall.elapsed());
    std::printf("first scan with detection of 32 adapters: %.1f s, CPU %.2f %% of one core\n",
                wall.elapsed() / 1000.0, detectionCpu);

    int scans = 0;
    const double idleCpu = CpuPercentWhileRunning(10000, &scans, ports);
    std::printf("idle scans over 10 s: %d scans, CPU %.2f %% of one core\n", scans, idleCpu);
    return 0;
}
