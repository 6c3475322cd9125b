// tobrik-cli ports: the port page's start-up and timer scans without a window, so a user sees
// from a terminal which port has a programmer.
#include "cli/CliCommand.h"

#include "app/Log.h"
#include "app/Module_DU.h"
#include "app/Startup.h"
#include "cli/PortScans.h"
#include "port/MemoryPortView.h"
#include "port/PortDetection.h"
#include "port/PortList.h"

namespace {
void PrintResult(const MemoryPortView &view)
{
    const auto &state = Module_DU::State();
    QString text;
    for (const QString &entry : view.Entries())
        text += entry + QLatin1Char('\n');
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

int Ports(const QCommandLineParser &parsed)
{
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
                          "[--scans N] [--log]",
                          {ScansOption, LogOption},
                          {},
                          R"(
Runs the port page's start-up and N port scans with their programmer detection, then prints the
32 list entries, Selected=i, SelectedPort=P and AdapterActive=0|1. A refused simulated port is
named on standard error.

Exit status: 0; 64 usage error.
)"},
                         Ports);
} // namespace
