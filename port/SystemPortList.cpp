#include "port/SystemPortList.h"

#include <QCoreApplication>
#include <QFileSystemWatcher>
#include <QSerialPortInfo>

namespace SystemPortList {
namespace {
// Scans that still ask after a change: a new USB adapter's names settle within a few seconds.
constexpr int QueriesAfterChange = 3;

struct Cache {
    QList<ListedPort> ports;
    int queriesLeft = 1;
    bool watching = false;
};

Cache &TheCache()
{
    static Cache cache;
    return cache;
}

void WatchDeviceFolder(Cache &cache)
{
#ifdef Q_OS_LINUX
    if (cache.watching || !QCoreApplication::instance())
        return;
    auto *watcher = new QFileSystemWatcher(QCoreApplication::instance());
    cache.watching = watcher->addPath(QStringLiteral("/dev"));
    QObject::connect(watcher, &QFileSystemWatcher::directoryChanged, watcher,
                     [] { TheCache().queriesLeft = QueriesAfterChange; });
#else
    Q_UNUSED(cache);
#endif
}

QList<ListedPort> Ask()
{
    QList<ListedPort> listed;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        listed.append({info.systemLocation(), info.description(), info.manufacturer()});
    return listed;
}
} // namespace

QList<ListedPort> Current()
{
    Cache &cache = TheCache();
    WatchDeviceFolder(cache);
    if (!cache.watching || cache.queriesLeft > 0) {
        cache.ports = Ask();
        cache.queriesLeft = qMax(0, cache.queriesLeft - 1);
    }
    return cache.ports;
}

} // namespace SystemPortList
