#include "TestFolders.h"

#include "app/Module_DU.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

TestFolders::TestFolders()
    : oldDataHome_(qgetenv("XDG_DATA_HOME")), oldDataDirs_(qgetenv("XDG_DATA_DIRS"))
{
    QDir(root_.path()).mkpath(QStringLiteral("user"));
    QDir(root_.path()).mkpath(QStringLiteral("common/VARNO/PLV"));
    qputenv("XDG_DATA_HOME", UserBase().toUtf8());
    qputenv("XDG_DATA_DIRS", (root_.path() + QStringLiteral("/common")).toUtf8());
    Module_DU::ResetState();
}

TestFolders::~TestFolders()
{
    qputenv("XDG_DATA_HOME", oldDataHome_);
    qputenv("XDG_DATA_DIRS", oldDataDirs_);
    Module_DU::ResetState();
}

QString TestFolders::UserBase() const
{
    return root_.path() + QStringLiteral("/user");
}

QString TestFolders::CommonFolder() const
{
    return root_.path() + QStringLiteral("/common/VARNO/PLV/");
}

QString TestFolders::UserFolder() const
{
    return UserBase() + QStringLiteral("/VARNO/PLV/");
}

QString TestFolders::SoftwareFolder() const
{
    return UserFolder() + QStringLiteral("DECSOFT/");
}

QString TestFolders::WriteFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return path;
}

QByteArray TestFolders::ReadFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
