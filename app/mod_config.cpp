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
const QString UpdateSection = QStringLiteral("Update");
const QString NoteKey = QStringLiteral("NOTE");
// What no value read from the file can be: the file is read line by line.
const QString NoValue = QStringLiteral("\n");
} // namespace

bool LoadConfig()
{
    auto &state = Module_DU::State();
    const mod_ini::Profile settings(state.SettingsFile);
    const QString language = settings.Value(ConfigSection, LanguageKey, NoValue);
    const bool languageStored = language != NoValue;
    modFunctions::SetLanguage(languageStored ? language : QString());
    state.LastFolder = settings.Value(FoldersSection, SoftwareKey, QString());
    state.LastFile = settings.Value(FilesSection, SoftwareKey, QString());
    state.UpdateNote = settings.Value(UpdateSection, NoteKey, QString());
    if (state.LastFolder.isEmpty())
        state.LastFolder = state.SoftwareFolder;
    return languageStored;
}

void SaveConfig()
{
    const auto &state = Module_DU::State();
    // All values go into the file in one step: a kill in the middle leaves the old file.
    mod_ini::Profile settings(state.SettingsFile);
    // A fourth or later language of the texts file has no code: it is stored empty, which
    // reads back as "keep the first language".
    if (state.LanguageValid)
        settings.SetValue(ConfigSection, LanguageKey,
                          modFunctions::LanguageCode(state.LanguageIndex));
    settings.SetValue(FoldersSection, SoftwareKey, state.LastFolder);
    settings.SetValue(FilesSection, SoftwareKey, state.LastFile);
    settings.SetValue(UpdateSection, NoteKey, state.UpdateNote);
    settings.Save();
}

} // namespace mod_config
