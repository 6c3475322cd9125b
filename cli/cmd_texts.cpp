// tobrik-cli texts: the language table as the program loads it at start, for translators.
#include "cli/CliCommand.h"

#include "app/Log.h"
#include "app/Mod_Getfolder.h"
#include "app/Module_DU.h"
#include "app/Startup.h"
#include "app/modFunctions.h"

namespace {
const QCommandLineOption FileOption(QStringLiteral("file"),
                                   QStringLiteral("the texts file to read instead of the "
                                                  "program's own"),
                                   QStringLiteral("PATH"));
const QCommandLineOption LanguageOption(QStringLiteral("language"),
                                       QStringLiteral("the settings file's language code (de, "
                                                      "en, fr); otherwise the first language"),
                                       QStringLiteral("CODE"));

int RunTexts(const QCommandLineParser &parsed)
{
    const QString language = parsed.value(LanguageOption);
    const QString file = parsed.value(FileOption);
    auto &state = Module_DU::State();
    // Only the paths: a translator's check creates no folders.
    Mod_Getfolder::ComputePaths();
    if (!file.isEmpty())
        state.TextsFile = file;
    modFunctions::SetLanguage(language);
    // The reader tells the log why it refuses a file; here the log is standard error.
    Log::SetSink([](const QString &line) { PrintErr(QStringLiteral("texts: ") + line + '\n'); });
    const bool read = Startup::ReadTexts();
    Log::SetSink({});

    QString out = QStringLiteral("LanguageIndex=%1\nLanguageValid=%2\nLanguageCount=%3\n")
                      .arg(state.LanguageIndex)
                      .arg(state.LanguageValid ? 1 : 0)
                      .arg(state.LanguageCount);
    for (int k = 0; k < Module_DU::LanguageNameCount; ++k) {
        if (!state.LanguageNames[k].isEmpty())
            out += QStringLiteral("LanguageNames[%1]=%2\n").arg(k).arg(state.LanguageNames[k]);
    }
    for (int i = 0; i < Module_DU::TextCount; ++i) {
        if (!state.Texts[i].isEmpty())
            out += QStringLiteral("Texts[%1]=%2\n").arg(i).arg(state.Texts[i]);
    }
    PrintOut(out);
    if (!read) {
        PrintErr(QStringLiteral("texts: %1 could not be read; the table holds the built-in texts "
                                "only\n").arg(state.TextsFile));
        return CliStatus::Failure;
    }
    return CliStatus::Success;
}

const CliCommand command(
    "texts",
    {"print the language table as the program loads it at start",
     "[--file PATH] [--language CODE]",
     {FileOption, LanguageOption},
     {},
     R"(
Prints LanguageIndex=, LanguageValid=, LanguageCount=, each LanguageNames[k]= and each non-empty
Texts[i]= (UTF-8), for translators checking a texts file.

Exit status: 0; 1 when the texts file cannot be read (the table then holds the built-in texts
only, the reason is on standard error); 64 usage error.
)"},
    RunTexts);
} // namespace
