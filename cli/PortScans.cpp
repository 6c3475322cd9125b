#include "cli/PortScans.h"

#include "cli/CliCommand.h"
#include "port/PortList.h"
#include "port/PortMap.h"

#include <QEventLoop>

namespace PortScans {

void RunTimerScans(PortList &ports, int scans)
{
    QEventLoop loop;
    int done = 0;
    QObject::connect(&ports, &PortList::TimerScanEnded, &loop, [&] {
        if (++done >= scans)
            loop.quit();
    });
    loop.exec();
}

void ReportRefusedPins(const QString &command)
{
    for (const QString &refusal : PortMap::Instance().Refusals())
        PrintErr(QStringLiteral("%1: %2\n").arg(command, refusal));
}

} // namespace PortScans
