#include "FuzzSupport.h"

#include <QDir>
#include <QTemporaryDir>

namespace FuzzSupport {
namespace {
// The settings writer syncs each file it replaces to the disk: milliseconds a time on a disk,
// nothing on a memory file system, and a fuzz run writes millions.
const char MemoryBackedFolder[] = "/dev/shm";

QString FolderTemplate()
{
    const QString base = QDir(QLatin1String(MemoryBackedFolder)).exists()
                             ? QLatin1String(MemoryBackedFolder)
                             : QDir::tempPath();
    return base + QStringLiteral("/tobrik-fuzz-XXXXXX");
}
} // namespace

void Require(bool condition)
{
    if (!condition)
        __builtin_trap();
}

QString ScratchFolder()
{
    static QTemporaryDir folder(FolderTemplate());
    Require(folder.isValid());
    return folder.path();
}

} // namespace FuzzSupport
