#include "app/Mod_Getfolder.h"

#include "app/Module_DU.h"
#include "app/modFunctions.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace Mod_Getfolder {
namespace {
const QString MakerFolder = QStringLiteral("VARNO");
const QString ProgramFolder = QStringLiteral("PLV");
const QString SoftwareFolderName = QStringLiteral("DECSOFT");

QString WithoutTrailingSeparator(QString path)
{
    while (path.size() > 1 && (path.endsWith(QLatin1Char('/')) || path.endsWith(QLatin1Char('\\'))))
        path.chop(1);
    return path;
}

QString Native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

bool HoldsVupFile(const QString &folder)
{
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        // Lower case only: a folder holding just upper-case *.VUP files is filled again.
        if (name.endsWith(QLatin1String("vup")))
            return true;
    }
    return false;
}

// Replaces target with source's bytes in one step and keeps source's last-write time, which
// the file page uses to pick the newest software file.
bool CopyFileOver(const QString &source, const QString &target)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(1 << 16);
        if (chunk.isEmpty() || out.write(chunk) != chunk.size()) {
            out.cancelWriting();
            return false;
        }
    }
    if (!out.commit())
        return false;
    QFile written(target);
    if (written.open(QIODevice::ReadWrite))
        written.setFileTime(QFileInfo(source).lastModified(), QFileDevice::FileModificationTime);
    return true;
}

// Copies source with everything below it into target, overwriting files of the same name.
// A file or folder that fails is skipped; the rest is still copied.
void CopyFolder(const QString &source, const QString &target)
{
    if (!QFileInfo(source).isDir())
        return;
    QDir().mkpath(target);
    QDirIterator it(source, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    const QDir sourceDir(source);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString copy = target + QLatin1Char('/') + sourceDir.relativeFilePath(path);
        if (it.fileInfo().isDir())
            QDir().mkpath(copy);
        else
            CopyFileOver(path, copy);
    }
}

// Per-user local application data, without a trailing separator.
QString PerUserDataFolder()
{
#ifdef Q_OS_WIN
    return WithoutTrailingSeparator(qEnvironmentVariable("LOCALAPPDATA"));
#else
    return WithoutTrailingSeparator(
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
#endif
}

// Application data common to all users, without a trailing separator.
QString AllUsersDataFolder()
{
#ifdef Q_OS_WIN
    return WithoutTrailingSeparator(qEnvironmentVariable("PROGRAMDATA"));
#else
    // The first data folder that carries our files wins, so a packaged install under /usr/share
    // and a developer's XDG_DATA_DIRS both work; otherwise the share folder beside bin/.
    QString dirs = qEnvironmentVariable("XDG_DATA_DIRS");
    if (dirs.isEmpty())
        dirs = QStringLiteral("/usr/local/share/:/usr/share/");
    const QString ours = MakerFolder + QLatin1Char('/') + ProgramFolder;
    for (const QString &dir : dirs.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        if (QFileInfo(QDir(dir).filePath(ours)).isDir())
            return WithoutTrailingSeparator(QDir::cleanPath(dir));
    }
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../share"));
#endif
}

// The per-user base with its final separator, below which our folders are made.
QString UserBase()
{
    return Native(PerUserDataFolder()) + modFunctions::PathSeparator();
}
} // namespace

void ComputePaths()
{
    auto &state = Module_DU::State();
    const QString sep = modFunctions::PathSeparator();
    const QString userBase = UserBase();
    state.CommonFolder = Native(AllUsersDataFolder()) + sep + MakerFolder + sep + ProgramFolder + sep;
    state.UserFolder = userBase + MakerFolder + sep + ProgramFolder + sep;
    state.SoftwareFolder = state.UserFolder + SoftwareFolderName + sep;
    state.TextsFile = state.CommonFolder + QStringLiteral("TBK_Texte.txt");
    state.SettingsFile = state.UserFolder + QStringLiteral("Inits.ini");
}

void GetFolders()
{
    ComputePaths();
    const auto &state = Module_DU::State();
    const QString sep = modFunctions::PathSeparator();
    const QString userBase = UserBase();

    // On Windows the per-user base always exists; a fresh Linux account may not have
    // ~/.local/share yet, and without it nothing below could be created.
    QDir().mkpath(userBase);
    QDir dir;
    for (const QString &level : {MakerFolder, MakerFolder + sep + ProgramFolder,
                                 MakerFolder + sep + ProgramFolder + sep + SoftwareFolderName}) {
        if (!QFileInfo(userBase + level).isDir())
            dir.mkdir(userBase + level);
    }

    const QString userSoftware = WithoutTrailingSeparator(state.SoftwareFolder);
    if (!HoldsVupFile(userSoftware))
        CopyFolder(state.CommonFolder + SoftwareFolderName, userSoftware);
}

} // namespace Mod_Getfolder
