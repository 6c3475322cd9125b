#pragma once
// The program state that every page shares. There is exactly one instance for the whole run;
// it starts zero-filled, with empty texts.

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>

namespace Module_DU {

constexpr int TextCount = 101;        // Texts[0] .. Texts[100]
constexpr int LanguageNameCount = 11; // LanguageNames[0] .. LanguageNames[10]

struct ProgramState {
    QString ProgramVersion;
    QDateTime ProgramDate; // invalid stands for "zero"
    bool Exiting = false;
    // The user asked, a second time, to stop a running update now: the transfer ends after the
    // block it is sending and the update still runs its end step.
    bool StopUpdate = false;
    // A termination signal asked the program to end once the running update has ended: its
    // question is answered No for the user, who may not be there.
    bool EndAfterUpdate = false;

    // Folders end in the platform's separator.
    QString CommonFolder;
    QString UserFolder;
    QString SoftwareFolder;
    QString TextsFile;
    QString SettingsFile;

    int32_t LanguageIndex = 0;
    bool LanguageValid = false;
    QString LastFolder;
    QString LastFile;
    // The update page's note, the user's name for the locomotive: kept for the next run.
    QString UpdateNote;

    std::array<QString, TextCount> Texts;
    int16_t LanguageCount = 0;
    std::array<QString, LanguageNameCount> LanguageNames;

    bool LogActive = false;

    QString SelectedPort;
    bool AdapterActive = false;

    QString SoftwareFilePath;
    QStringList ChosenDecoders;
};

// The one instance.
ProgramState &State();

// Sets Exiting; true when this call set it, false when a close-down had begun already (a page
// it unloads then need not ask for the port page to be shown).
bool BeginExiting();

// Puts the state back to its start values; tests use it to begin each case afresh.
void ResetState();

} // namespace Module_DU
