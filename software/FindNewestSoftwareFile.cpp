#include "software/FindNewestSoftwareFile.h"

#include "app/Module_DU.h"
#include "app/SaveFileLeftovers.h"
#include "app/modFunctions.h"

#include <QDir>
#include <QFileInfo>

namespace {
// A folder typed into the settings file by hand may lack its trailing separator.
QString WithTrailingSeparator(const QString &folder)
{
    const bool ends = folder.endsWith(QLatin1Char('/'))
                      || folder.endsWith(modFunctions::PathSeparator());
    return ends ? folder : folder + modFunctions::PathSeparator();
}
} // namespace

QString FindNewestSoftwareFile()
{
    const QString lastFolder = Module_DU::State().LastFolder;
    QDir dir(lastFolder);
    if (lastFolder.isEmpty() || !dir.exists())
        return {};
    const QString folder = WithTrailingSeparator(lastFolder);
    // Sorted by name as the Windows directory search returns them, so that of two files with
    // the same coarse time the same one wins on every system.
    const QFileInfoList entries = dir.entryInfoList(
        QDir::Files | QDir::Hidden | QDir::System, QDir::Name | QDir::IgnoreCase);
    QString newest;
    int32_t best = 0;
    for (const QFileInfo &entry : entries) {
        // Regular files and links to them only: opening a named pipe would wait for a writer,
        // and a broken link has nothing to load.
        const int32_t time = CoarseWriteTime(entry.lastModified());
        if (entry.isFile() && time > best && IsSoftwareFileName(entry.fileName())) {
            newest = folder + entry.fileName();
            best = time;
        }
        modFunctions::DoEvents();
    }
    return newest;
}

bool IsSoftwareFileName(const QString &name)
{
    const auto starts = [&name](const char *prefix) {
        return name.startsWith(QLatin1String(prefix), Qt::CaseInsensitive);
    };
    const auto ends = [&name](const char *suffix) {
        return name.right(3).compare(QLatin1String(suffix), Qt::CaseInsensitive) == 0;
    };
    if (!((starts("DEC") && ends("DAT")) || (starts("DS") && ends("VUP"))))
        return false;
    // The temporary file of an interrupted download ends in six random letters, which may
    // happen to end in DAT or VUP: it holds a part of a file at most.
    const QString target = SaveFileLeftovers::TargetName(name);
    return target.isEmpty() || !IsSoftwareFileName(target);
}

int32_t CoarseWriteTime(const QDateTime &lastModified)
{
    constexpr qint64 MsecsFrom1601To1970 = 11644473600000LL;
    constexpr qint64 TicksPerMsec = 10000; // 100 ns ticks
    const qint64 ticks = (lastModified.toMSecsSinceEpoch() + MsecsFrom1601To1970) * TicksPerMsec;
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<quint64>(ticks) >> 32));
}
