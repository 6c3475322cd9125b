#pragma once
// What the update procedures see of the update page: the info list List2 with its background
// colour, the progress bar, the two options, the three number boxes, the buttons that are
// disabled while an update runs, the confirmation question, an information box and the way
// back. The page shows it with its controls; tests (and tobrik-cli) keep it in memory.

#include <QColor>
#include <QString>

// List2's background: while the image is sent, when the update has finished, when it reached
// the end with at most its last block unconfirmed (amber, far from the orange of sending), when
// it failed.
namespace InfoColour {
inline const QColor Sending(255, 150, 0);
inline const QColor Finished(0, 220, 0);
inline const QColor Unconfirmed(255, 210, 0);
inline const QColor Failed(255, 0, 0);
} // namespace InfoColour

// What the number boxes hold as the page starts: txt_pream, txt_timing and txt_timing_soll.
namespace StartValue {
inline const QString Preamble = QStringLiteral("100");
inline const QString Timing = QStringLiteral("100000");
inline const QString TimingTarget = QStringLiteral("40");
} // namespace StartValue

class UpdateView {
public:
    virtual ~UpdateView() = default;

    // List2.
    virtual void AddInfoLine(const QString &line) = 0;
    virtual void RemoveLastInfoLine() = 0;
    virtual void ClearInfoLines() = 0;
    virtual void SetInfoColour(const QColor &colour) = 0;

    // ProgressBar1, 0 to 100.
    virtual void SetProgress(float percent) = 0;

    // Check1 ("no query") and Check2 ("program blind"), as they are at the moment of asking.
    virtual bool NoQuery() const = 0;
    virtual bool Blind() const = 0;

    // txt_pream, txt_timing, txt_timing_soll.
    virtual QString PreambleText() const = 0;
    virtual QString TimingText() const = 0;
    virtual void SetTimingText(const QString &text) = 0;
    virtual QString TimingTargetText() const = 0;

    // Command3, Command5, cmd_beenden and cmd_zurück together; the page locks its options and
    // number boxes with them, so no key can change them while an update runs.
    virtual void SetButtonsEnabled(bool enabled) = 0;

    // A message box with Yes and No; true for Yes.
    virtual bool AskYesNo(const QString &title, const QString &text) = 0;
    // An information message box with an OK button.
    virtual void ShowInformation(const QString &title, const QString &text) = 0;

    // What the Back button does: the page is left for the file page.
    virtual void GoBack() = 0;

    // The user's name for the locomotive, written into the attempt's history record; a view
    // without a note field has none.
    virtual QString Note() const { return {}; }
};
