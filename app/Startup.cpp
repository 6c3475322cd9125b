#include "app/Startup.h"

#include "app/LanguageTexts.h"
#include "app/Mod_Getfolder.h"
#include "app/Module_DU.h"
#include "app/QtTranslation.h"
#include "app/SaveFileLeftovers.h"
#include "app/modFunctions.h"
#include "app/mod_config.h"
#include "software/FindNewestSoftwareFile.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLocale>

namespace Startup {
namespace {
// The program file whose last-modified time is the program's date. The name is fixed: a copy
// under another name has no date.
QString ProgramFileName()
{
#ifdef Q_OS_WIN
    return QStringLiteral("Tobrik.exe");
#else
    return QStringLiteral("Tobrik");
#endif
}

QDateTime ProgramFileDate()
{
    const QFileInfo programFile(QCoreApplication::applicationDirPath() + QLatin1Char('/')
                                + ProgramFileName());
    return programFile.exists() ? programFile.lastModified() : QDateTime();
}
// What interrupted writes of the settings file, the version list and downloaded decoder
// software files left behind.
void RemoveStaleLeftovers()
{
    const auto &state = Module_DU::State();
    const QString settingsName = QFileInfo(state.SettingsFile).fileName();
    const QString versionListName = QStringLiteral("DSW_Version.txt");
    SaveFileLeftovers::RemoveStale(state.UserFolder, [&](const QString &target) {
        return target == settingsName || target == versionListName;
    });
    SaveFileLeftovers::RemoveStale(state.SoftwareFolder, IsSoftwareFileName);
}

// Until the settings name a language, the program speaks the user's, where the texts file has
// it. QLocale() is the system's locale (LC_ALL, LC_MESSAGES, LANG): the program sets no other.
void TakeSystemLanguage()
{
    auto &state = Module_DU::State();
    state.LanguageIndex = LanguageTexts::LanguageIndexFor(QLocale(), state.TextsFile);
}
} // namespace

void PrepareProgram()
{
    Mod_Getfolder::GetFolders();
    RemoveStaleLeftovers();
    if (!mod_config::LoadConfig())
        TakeSystemLanguage();
    SetProgramVersion();
}

void SetProgramVersion()
{
    auto &state = Module_DU::State();
    state.ProgramVersion = modFunctions::FormatVersion(TOBRIK_VERSION_MAJOR, TOBRIK_VERSION_MINOR,
                                                       TOBRIK_VERSION_PATCH);
    state.ProgramDate = ProgramFileDate();
}

bool ReadTexts()
{
    const auto &state = Module_DU::State();
    const bool read = LanguageTexts::ReadTexts(state.TextsFile);
    // After the texts file, which may fall back to another language than the one asked for.
    QtTranslation::Install(modFunctions::LanguageCode(state.LanguageIndex));
    return read;
}

} // namespace Startup
