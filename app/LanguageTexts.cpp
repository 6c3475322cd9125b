#include "app/LanguageTexts.h"

#include "app/ItemReader.h"
#include "app/Module_DU.h"
#include "app/SmallTextFile.h"
#include "app/Windows1252.h"

#include <QLocale>
#include <QStringList>

#include <array>
#include <optional>

namespace LanguageTexts {
namespace {

constexpr int BuiltInCount = 80;
constexpr int FirstLanguage = 0; // its index

const std::array<const char *, BuiltInCount> BuiltIn = {
    "The comm port should be located automatically.",
    "If not, please select the comm port manually.",
    "Exit",
    "Next",
    "QXFLINT not found",
    "QXFLINT on",
    "found",
    "Back",
    "Press 'File open' and select the file from your folder (if not on your PC, download from "
    "the VARNO web site before continuing).",
    "The available decoder and software versions are displayed on the left.",
    "Select the proper decoder from the list.",
    "File open",
    "Please select a software file",
    "Software selection",
    "Comm port selection",
    "For multiple programming",
    "No Query",
    "If problems with acknowledgement",
    "Program without acknowledgement",
    "Function is not available if more than one decoder was selected on previous page.",
    "Start update!",
    "Update decoder",
    "Comm port open",
    "Connecting to decoder...",
    "will be programmed without ack",
    "Update in progress",
    "Connection failed",
    "File can't be opened",
    "Update failed on position",
    "Error opening Comm port",
    "Acknowledgement not received",
    "Corrupt acknowledgement",
    "Software file is corrupt",
    "Comm port closed",
    "found, would you like to update?",
    "Decoder found",
    "Timeout at Position",
    "Update finished",
    "Language",
    "Change",
    "Press 'Online-Update' to check for a software",
    "Try to set up connection",
    "Download failed",
    "Date of newest software: ",
    "Software not already downloaded",
    "Software already downloaded",
    "Software downloaded now",
    "Now download: ",
    "Connection failed!",
    "Close Window",
    "Abort download",
    "Not confirmed by the decoder: block",
    "Bytes at the end not sent (less than one block):",
    "Blocks never acknowledged:",
    "The image holds no whole block; nothing was sent",
    "Update stopped on request",
    "Preamble Bits, allowed:",
    "Timing [ms], allowed:",
    "Invented software (for the simulator only): not sent to a real decoder",
    "Port not opened:",
    "Re-plug the programmer, then go back to the port page and choose its port.",
    "No update server is configured. To set one, write SERVER=https://... in the section "
    "[Online] of the settings file:",
    "Reason:",
    "Update Decoder Software",
    "Update history",
    "Time",
    "Decoder",
    "Version",
    "Result",
    "Note",
    "Decoder:",
    "all",
    "Refresh",
    "Export CSV...",
    "The CSV file could not be written:",
    "Finished",
    "Unconfirmed",
    "Failed",
    "Declined",
    "Interrupted",
};

std::optional<int> WholeNumber(const QString &item)
{
    bool ok = false;
    const int value = item.trimmed().toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

// The head: language count and names, up to "Anfang_Strings". Returns false at end of file.
bool ReadHead(ItemReader &reader)
{
    auto &state = Module_DU::State();
    while (const auto key = reader.Next()) {
        if (*key == QLatin1String("Anfang_Strings"))
            return true;
        if (*key == QLatin1String("Anzahl_Sprachen")) {
            const auto count = reader.Next();
            if (!count)
                return false;
            const auto value = WholeNumber(*count);
            if (value && *value >= INT16_MIN && *value <= INT16_MAX)
                state.LanguageCount = static_cast<int16_t>(*value);
            if (state.LanguageIndex > state.LanguageCount - 1) {
                state.LanguageIndex = 1;
                state.LanguageValid = false;
            }
        } else if (*key == QLatin1String("Sprache")) {
            const auto number = reader.Next();
            if (!number)
                return false;
            const auto k = WholeNumber(*number);
            if (!k || *k < 0 || *k >= Module_DU::LanguageNameCount)
                continue; // the name is then read as the next key
            const auto name = reader.Next();
            if (!name)
                return false;
            state.LanguageNames[*k] = *name;
        }
    }
    return false;
}

// The strings part: "ID" sets the current text number; "1".."10" carry that text in one language.
void ReadStrings(ItemReader &reader)
{
    auto &state = Module_DU::State();
    QString currentNumber;
    while (const auto key = reader.Next()) {
        if (*key == QLatin1String("ID")) {
            const auto number = reader.Next();
            if (!number)
                return;
            currentNumber = *number;
            continue;
        }
        const auto language = WholeNumber(*key);
        const bool isLanguageKey = language && *language >= 1 && *language <= 10
            && *key == QString::number(*language);
        if (!isLanguageKey)
            continue;
        const auto text = reader.Next();
        if (!text)
            return;
        if (*language - 1 != state.LanguageIndex)
            continue;
        const auto index = WholeNumber(currentNumber);
        if (index && *index >= 0 && *index < Module_DU::TextCount)
            state.Texts[*index] = *text;
    }
}

// Whether a language name of the texts file names language.
bool NamesLanguage(const QString &name, QLocale::Language language)
{
    const QStringList namings{QLocale(language).nativeLanguageName(),
                              QLocale::languageToString(language),
                              QLocale::languageToCode(language)};
    return !name.isEmpty() && namings.contains(name, Qt::CaseInsensitive);
}

} // namespace

QString BuiltInText(int index)
{
    return index >= 0 && index < BuiltInCount ? QString::fromUtf8(BuiltIn[index]) : QString();
}

bool ReadTexts(const QString &path)
{
    const std::optional<QByteArray> bytes = SmallTextFile::Read(
        path, QStringLiteral("The texts already loaded stay, the built-in English ones where "
                             "there are none."));
    if (bytes)
        ApplyTextsFile(*bytes);
    FillBuiltInTexts();
    return bytes.has_value();
}

int LanguageIndexFor(const QLocale &locale, const QString &path)
{
    const std::optional<QByteArray> bytes =
        SmallTextFile::Read(path, QStringLiteral("The first language is taken."));
    if (bytes) {
        ItemReader reader(Windows1252::Decode(*bytes));
        ReadHead(reader);
    }
    const auto &state = Module_DU::State();
    const int offered = qMin<int>(state.LanguageCount, Module_DU::LanguageNameCount - 1);
    for (int number = 1; number <= offered; ++number) {
        if (NamesLanguage(state.LanguageNames[number], locale.language()))
            return number - 1;
    }
    return FirstLanguage;
}

void ApplyTextsFile(const QByteArray &bytes)
{
    ItemReader reader(Windows1252::Decode(bytes));
    if (ReadHead(reader))
        ReadStrings(reader);
}

void FillBuiltInTexts()
{
    auto &texts = Module_DU::State().Texts;
    for (int index = 0; index < BuiltInCount; ++index) {
        if (texts[index].isEmpty())
            texts[index] = BuiltInText(index);
    }
}

} // namespace LanguageTexts

const QString &Text(TextId id)
{
    return Module_DU::State().Texts[static_cast<int>(id)];
}

QString NextCaption()
{
    return Text(TextId::Next) + QStringLiteral(" -->");
}

QString BackCaption()
{
    return QStringLiteral("<-- ") + Text(TextId::Back);
}
