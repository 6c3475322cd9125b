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

int Ports(const QStringList &arguments)
{
    QStringList args = arguments;
    const bool log = TakeFlag(args, QStringLiteral("--log"));
    if (log)
        Log::SetSink([](const QString &line) { PrintErr(line + QLatin1Char('\n')); });
    bool valid = false;
    const int scans = TakeOption(args, QStringLiteral("--scans"), QStringLiteral("1")).toInt(&valid);
    if (!valid || scans < 1 || !args.isEmpty()) {
        PrintErr(QStringLiteral("usage: tobrik-cli ports [--scans N] [--log]\n"));
        return 64;
    }

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
    return 0;
}

const CliCommand command("ports", "[--scans N] [--log]", Ports);
} // namespace
