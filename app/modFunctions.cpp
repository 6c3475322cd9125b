#include "app/modFunctions.h"

#include "app/Module_DU.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace modFunctions {

QChar PathSeparator()
{
    return QDir::separator();
}

QString FolderOfPath(const QString &path)
{
    const int last = path.lastIndexOf(PathSeparator());
    return last < 0 ? QString() : path.left(last + 1);
}

void SetLanguage(const QString &code)
{
    auto &state = Module_DU::State();
    const QString upper = code.toUpper();
    if (upper == QLatin1String("DE"))
        state.LanguageIndex = 0;
    else if (upper == QLatin1String("EN"))
        state.LanguageIndex = 1;
    else if (upper == QLatin1String("FR"))
        state.LanguageIndex = 2;
    state.LanguageValid = true;
}

QString LanguageCode(int languageIndex)
{
    switch (languageIndex) {
    case 0: return QStringLiteral("de");
    case 1: return QStringLiteral("en");
    case 2: return QStringLiteral("fr");
    default: return QString();
    }
}

QString FormatVersion(int major, int minor, int revision)
{
    return QStringLiteral("%1.%2.%3")
        .arg(major)
        .arg(minor, 2, 10, QLatin1Char('0'))
        .arg(revision, 2, 10, QLatin1Char('0'));
}

bool FileExists(const QString &path)
{
    return QFileInfo(path).isFile();
}

void DoEvents()
{
    QCoreApplication::processEvents();
}

} // namespace modFunctions
