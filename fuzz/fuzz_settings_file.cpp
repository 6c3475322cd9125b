// Feeds arbitrary bytes to the settings file reader as Inits.ini, then lets the close-down write
// its values into that file and reads them back: whatever else the file held, the language and
// the last file written at the end of one run are the ones the next run starts with.
#include "FuzzSupport.h"
#include "app/Module_DU.h"
#include "app/mod_config.h"

#include <QFile>
#include <cstddef>
#include <cstdint>

namespace {
using FuzzSupport::Require;

constexpr int LanguagesWithCode = 3; // de, en, fr

QString SettingsFileHolding(const QByteArray &bytes)
{
    const QString path = FuzzSupport::ScratchFolder() + QStringLiteral("/Inits.ini");
    QFile file(path);
    Require(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size());
    return path;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Module_DU::ResetState();
    auto &state = Module_DU::State();
    state.SoftwareFolder = QStringLiteral("/home/u1/.local/share/VARNO/PLV/DECSOFT/");
    const QString settingsFile = SettingsFileHolding(
        QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)));
    state.SettingsFile = settingsFile;
    mod_config::LoadConfig();

    const int chosenLanguage = static_cast<int>(size % LanguagesWithCode);
    const QString chosenFile = state.SoftwareFolder + QStringLiteral("DS_1.vup");
    state.LanguageIndex = chosenLanguage;
    state.LastFile = chosenFile;
    mod_config::SaveConfig();

    Module_DU::ResetState();
    state.SettingsFile = settingsFile;
    mod_config::LoadConfig();
    Require(state.LanguageIndex == chosenLanguage && state.LanguageValid);
    Require(state.LastFile == chosenFile);
    return 0;
}
