// tobrik-cli ports: the port page's start-up and timer scans without a window, so a user sees
// from a terminal which port has a programmer and which device each number stands for; and
// pinning a number to a device in the settings file.
#include "cli/CliCommand.h"

#include "app/Log.h"
#include "app/Module_DU.h"
#include "app/Startup.h"
#include "cli/PortScans.h"
#include "port/MemoryPortView.h"
#include "port/PortDetection.h"
#include "port/PortList.h"
#include "port/PortMap.h"
#include "sim/SimPortAddress.h"

namespace {
void PrintResult(const MemoryPortView &view)
{
    const auto &state = Module_DU::State();
    QString text;
    for (int index = 0; index < view.Entries().size(); ++index) {
        const QString device = view.EntryDevice(index);
        text += view.Entry(index) + (device.isEmpty() ? QString() : QLatin1Char('\t') + device)
              + QLatin1Char('\n');
    }
    text += QStringLiteral("Selected=%1\n").arg(view.SelectedEntry());
    text += QStringLiteral("SelectedPort=%1\n").arg(state.SelectedPort);
    text += QStringLiteral("AdapterActive=%1\n").arg(state.AdapterActive ? 1 : 0);
    PrintOut(text);
}

const QCommandLineOption ScansOption(QStringLiteral("scans"),
                                    QStringLiteral("the number of port scans (one a second)"),
                                    QStringLiteral("N"), QStringLiteral("1"));
const QCommandLineOption LogOption(QStringLiteral("log"),
                                  QStringLiteral("the log window's lines on standard error"));
const QCommandLineOption PinOption(QStringLiteral("pin"),
                                  QStringLiteral("pin COM number N to DEVICE in the settings "
                                                 "file, then end"),
                                  QStringLiteral("N=DEVICE"));

// Writes the pin "N=DEVICE" (N also as COMn) into the settings file's section Ports.
int Pin(const QString &pin)
{
    const int equals = pin.indexOf(QLatin1Char('='));
    const int com = equals > 0 ? PortMap::ComNumber(pin.left(equals)) : 0;
    const QString device = pin.mid(equals + 1).trimmed();
    if (com == 0 || device.isEmpty())
        return UsageError("ports", QStringLiteral("--pin takes N=DEVICE with N from 1 to %1 "
                                                  "(3 or COM3), not %2")
                                       .arg(PortMap::PortCount)
                                       .arg(pin));
    QString refusal;
    SimPortAddress::Create(device, &refusal);
    if (!refusal.isEmpty())
        return UsageError("ports", QStringLiteral("--pin %1: %2").arg(pin, refusal));
    Startup::PrepareProgram(); // finds the settings file
    const QString settingsFile = Module_DU::State().SettingsFile;
    if (!PortMap::SavePin(com, device)) {
        PrintErr(QStringLiteral("ports: cannot write %1\n").arg(settingsFile));
        return CliStatus::Failure;
    }
    PrintOut(QStringLiteral("COM%1=%2 pinned in %3 [Ports]\n").arg(com).arg(device, settingsFile));
    if (PortMap::PinnedByEnvironment())
        PrintErr(QStringLiteral("ports: TOBRIK_PORTS is set and replaces the pins of the "
                                "settings file while it is\n"));
    return CliStatus::Success;
}

int Ports(const QCommandLineParser &parsed)
{
    if (parsed.isSet(PinOption))
        return Pin(parsed.value(PinOption));
    bool valid = false;
    const int scans = parsed.value(ScansOption).toInt(&valid);
    if (!valid || scans < 1)
        return UsageError("ports", QStringLiteral("--scans takes a whole number from 1, not %1")
                                       .arg(parsed.value(ScansOption)));
    const bool log = parsed.isSet(LogOption);
    if (log)
        Log::SetSink([](const QString &line) { PrintErr(line + QLatin1Char('\n')); });

    Startup::PrepareProgram(); // the settings file may pin COM numbers in its section Ports
    MemoryPortView view;
    PortList ports(view);
    ports.Start();
    PortScans::RunTimerScans(ports, scans);
    ports.StopTimers();
    PrintResult(view);
    // With --log the refusals are already among the log lines.
    if (!log)
        PortScans::ReportRefusedPins(QStringLiteral("ports"));
    // Leave an adapter as it was found, as the page's close-down does.
    ports.Detection().AdapterOff();
    return CliStatus::Success;
}

const CliCommand command("ports",
                         {"scan the serial ports for a programmer, as the port page does",
                          "[--scans N] [--log] | --pin N=DEVICE",
                          {ScansOption, LogOption, PinOption},
                          {},
                          R"(
Runs the port page's start-up and N port scans with their programmer detection, then prints the
32 list entries, each present port's with a tab and its device, then Selected=i, SelectedPort=P
and AdapterActive=0|1. A refused simulated port is named on standard error.

With --pin, COM number N (3 or COM3) is pinned to DEVICE (/dev/serial/by-id/..., a path that
stays the same when the programmer is plugged into another socket) in the settings file's
section Ports; the file keeps everything else, and a pin of the same device under another
number is taken out. Nothing is scanned. The program and tobrik-cli use the pin from their
next start; TOBRIK_PORTS, while set, replaces the settings file's pins.

Exit status: 0; 1 the settings file cannot be written; 64 usage error.
)"},
                         Ports);
} // namespace
