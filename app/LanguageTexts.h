#pragma once
// The language table: the texts file of the current language over built-in English texts.

#include <QByteArray>
#include <QString>

class QLocale;

// The numbers of the texts the program shows. Entries 0 to 79 have a built-in English wording
// (in brackets where the name does not say it); the texts file may replace any of them.
enum class TextId : int {
    PortLocatedAutomatically = 0, // "The comm port should be located automatically."
    PortSelectManually = 1,       // "If not, please select the comm port manually."
    Exit = 2,
    Next = 3,
    BoxNotFound = 4,
    BoxOn = 5,
    Found = 6,
    Back = 7,
    FileOpenHint = 8,       // "Press 'File open' and select the file from your folder ..."
    DecodersShownLeft = 9,  // "The available decoder and software versions are displayed ..."
    SelectDecoderHint = 10, // "Select the proper decoder from the list."
    FileOpen = 11,
    SelectSoftwareFile = 12, // "Please select a software file"
    SoftwareSelection = 13,
    PortSelection = 14, // "Comm port selection"
    ForMultipleProgramming = 15,
    NoQuery = 16,
    IfAckProblems = 17,      // "If problems with acknowledgement"
    ProgramWithoutAck = 18,  // "Program without acknowledgement"
    OptionsNeedOneDecoder = 19, // "Function is not available if more than one decoder ..."
    StartUpdate = 20,        // "Start update!"
    UpdateDecoder = 21,
    PortOpened = 22,         // "Comm port open"
    ConnectingToDecoder = 23, // "Connecting to decoder..."
    ProgrammedWithoutAck = 24, // "will be programmed without ack"
    UpdateInProgress = 25,
    ConnectionFailed = 26,
    FileCannotBeOpened = 27, // "File can't be opened"
    UpdateFailedOnPosition = 28,
    ErrorOpeningPort = 29,   // "Error opening Comm port"
    AckNotReceived = 30,
    CorruptAck = 31,         // "Corrupt acknowledgement"
    SoftwareFileCorrupt = 32,
    PortClosed = 33,         // "Comm port closed"
    FoundWouldYouUpdate = 34, // "found, would you like to update?"
    DecoderFound = 35,
    TimeoutAtPosition = 36,
    UpdateFinished = 37,
    Language = 38,
    Change = 39,
    OnlineUpdateHint = 40,   // "Press 'Online-Update' to check for a software"
    TryToConnect = 41,       // "Try to set up connection"
    DownloadFailed = 42,
    NewestSoftwareDate = 43, // "Date of newest software: "
    SoftwareNotYetDownloaded = 44, // "Software not already downloaded"
    SoftwareAlreadyDownloaded = 45,
    SoftwareDownloadedNow = 46,
    NowDownload = 47,        // "Now download: "
    ConnectionFailedBang = 48, // "Connection failed!"
    CloseWindow = 49,
    AbortDownload = 50,
    // Beyond the first fifty: the update's honest result and its refusals.
    LastBlockUnconfirmed = 51,  // "Not confirmed by the decoder: block" (its number follows)
    TailNotSent = 52,           // "Bytes at the end not sent (less than one block):" (a count follows)
    BlocksNotAcknowledged = 53, // "Blocks never acknowledged:" (their numbers follow)
    NoWholeBlock = 54,          // "The image holds no whole block; nothing was sent"
    UpdateStopped = 55,         // "Update stopped on request"
    PreambleOutOfRange = 56,    // "Preamble Bits, allowed:" (the range follows)
    TimingOutOfRange = 57,      // "Timing [ms], allowed:" (the range follows)
    // "Invented software (for the simulator only): not sent to a real decoder"
    InventedImageRefused = 58,
    // Reasons and what to try, where the user looks.
    PortNotOpened = 59,         // "Port not opened:" (the device and the reason follow)
    ReplugProgrammer = 60,      // "Re-plug the programmer, then go back to the port page ..."
    NoUpdateServer = 61,        // "No update server is configured ..." (the settings file follows)
    FailureReason = 62,         // "Reason:" (the reason follows)
    OnlineUpdateTitle = 63,     // "Update Decoder Software"
    // The update history: its window, the update page's note, the results as the window names them.
    UpdateHistory = 64,
    HistoryTime = 65,           // "Time"
    HistoryDecoder = 66,        // "Decoder"
    HistoryVersion = 67,        // "Version"
    HistoryResult = 68,         // "Result"
    Note = 69,
    DecoderFilter = 70,         // "Decoder:" (the filter's label)
    AllDecoders = 71,           // "all"
    Refresh = 72,
    ExportCsv = 73,             // "Export CSV..."
    CsvNotWritten = 74,         // "The CSV file could not be written:" (the path and reason follow)
    ResultFinished = 75,
    ResultUnconfirmed = 76,
    ResultFailed = 77,
    ResultDeclined = 78,
    ResultInterrupted = 79,
};

// The text of the current language for id.
const QString &Text(TextId id);

// The captions of the wizard's buttons: "Next -->" and "<-- Back" in the current language.
QString NextCaption();
QString BackCaption();

namespace LanguageTexts {

// The built-in English text of index (0 to 79); empty for any other index.
QString BuiltInText(int index);

// Reads the texts file at path into the shared state for the current LanguageIndex, then fills
// every empty entry 0 to 79 with its built-in text. The table is not cleared first, so an entry
// the file does not supply keeps what it held. A file that is missing, cannot be read or is far
// too large to be a texts file (SmallTextFile) reads nothing; the result is then false.
bool ReadTexts(const QString &path);

// The first start's language, for a user whose settings name none yet: reads the language names
// of the texts file at path into the shared state, as ReadTexts does, and returns the index of
// the language that locale speaks; 0, the first language, when none does. A name matches by the
// language's own name ("Deutsch", "Français"), its English name ("English") or its code ("en"),
// in any case; the locale's country does not count.
int LanguageIndexFor(const QLocale &locale, const QString &path);

// The two halves of ReadTexts: the contents of a texts file, then the built-in fallback.
void ApplyTextsFile(const QByteArray &bytes);
void FillBuiltInTexts();

} // namespace LanguageTexts
