#include "app/mod_config.h"

#include "app/Module_DU.h"
#include "app/modFunctions.h"
#include "app/mod_ini.h"

namespace mod_config {
namespace {
const QString ConfigSection = QStringLiteral("Config");
const QString LanguageKey = QStringLiteral("LANGUAGE");
const QString FoldersSection = QStringLiteral("LastFolders");
const QString FilesSection = QStringLiteral("LastFiles");
const QString SoftwareKey = QStringLiteral("DECSOFTWARE");

QString Read(const QString &section, const QString &key)
{
    return mod_ini::ReadIniString(section, key, Module_DU::State().SettingsFile, QString());
}

void Write(const QString &section, const QString &key, const QString &value)
{
    mod_ini::WriteIniString(section, key, value, Module_DU::State().SettingsFile);
}
} // namespace

void LoadConfig()
{
    auto &state = Module_DU::State();
    modFunctions::SetLanguage(Read(ConfigSection, LanguageKey));
    state.LastFolder = Read(FoldersSection, SoftwareKey);
    state.LastFile = Read(FilesSection, SoftwareKey);
    if (state.LastFolder.isEmpty())
        state.LastFolder = state.SoftwareFolder;
}

void SaveConfig()
{
    const auto &state = Module_DU::State();
    // A fourth or later language of the texts file has no code: it is stored empty, which
    // reads back as "keep the first language".
    if (state.LanguageValid)
        Write(ConfigSection, LanguageKey, modFunctions::LanguageCode(state.LanguageIndex));
    Write(FoldersSection, SoftwareKey, state.LastFolder);
    Write(FilesSection, SoftwareKey, state.LastFile);
}

} // namespace mod_config
