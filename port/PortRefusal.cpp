#include "port/PortRefusal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <unistd.h>
#endif

namespace PortRefusal {
namespace {
// Debian and most other Linux systems give serial devices to this group.
const char UsualSerialGroup[] = "dialout";

#ifdef Q_OS_UNIX
bool MayReadAndWrite(const QString &path)
{
    return ::access(QFile::encodeName(path).constData(), R_OK | W_OK) == 0 || errno != EACCES;
}

// The folders where programs, Qt's serial port among them, leave the lock file of a serial
// device: LCK.. followed by the device's name below /dev, slashes turned into underscores.
QString LockFileOf(const QString &path)
{
    QString name = path.startsWith(QLatin1String("/dev/")) ? path.mid(5) : path;
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    const QStringList folders = {
        QStringLiteral("/var/lock"),        QStringLiteral("/etc/locks"),
        QStringLiteral("/var/spool/locks"), QStringLiteral("/var/spool/uucp"),
        QStringLiteral("/tmp"),             QStringLiteral("/var/tmp"),
        QStringLiteral("/var/lock/lockdev"), QStringLiteral("/run/lock"),
        QStandardPaths::writableLocation(QStandardPaths::TempLocation)};
    for (const QString &folder : folders) {
        const QString lockFile = folder + QStringLiteral("/LCK..") + name;
        if (QFileInfo::exists(lockFile))
            return lockFile;
    }
    return {};
}

// A lock file starts with the holder's process number, as text, in every common form.
QString LockHolder(const QString &path)
{
    QFile lock(LockFileOf(path));
    if (lock.fileName().isEmpty() || !lock.open(QIODevice::ReadOnly))
        return {};
    bool ok = false;
    const qint64 pid = lock.readLine().trimmed().toLongLong(&ok);
    QFile command(QStringLiteral("/proc/%1/comm").arg(pid));
    if (!ok || pid <= 0 || !command.open(QIODevice::ReadOnly))
        return {}; // a lock left by a program that has ended
    return QStringLiteral("%1, process %2")
        .arg(QString::fromLocal8Bit(command.readAll().trimmed()))
        .arg(pid);
}
#endif
} // namespace

Reason Examine(const QString &path)
{
    Reason reason;
#ifdef Q_OS_UNIX
    if (!MayReadAndWrite(path)) {
        reason.cause = Cause::NoPermission;
        reason.group = QFileInfo(path).group();
    } else {
        reason.holder = LockHolder(path);
    }
#else
    Q_UNUSED(path);
#endif
    return reason;
}

QString Advice(const Reason &reason)
{
    if (reason.cause == Cause::NoPermission) {
        // Joining root's group is no advice to give; such a device needs its group changed.
        const QString group = reason.group.isEmpty() || reason.group == QLatin1String("root")
                                  ? QString::fromLatin1(UsualSerialGroup)
                                  : reason.group;
        return QStringLiteral(" Your user may not open this device: add it to the group \"%1\" "
                              "(sudo usermod -aG %1 $USER), then log out and in again.")
            .arg(group);
    }
    const QString program = reason.holder.isEmpty()
                                ? QStringLiteral("Another program")
                                : QStringLiteral("Another program (%1)").arg(reason.holder);
    return QStringLiteral(" %1 is using this port: close the port there (or end that program), "
                          "then try again.")
        .arg(program);
}

} // namespace PortRefusal
