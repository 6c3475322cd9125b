#pragma once
// The update page on a terminal: each line added to List2 is printed on standard output as it
// is added (a line the retry logic removes later stays printed), the progress bar is drawn on
// standard error, the confirmation question is asked on standard input and an information
// box's text is printed on standard error. With JSON events, the list lines, the progress and
// the question with its answer go to them instead of the plain lines on standard output.

#include "cli/StandardInputLine.h"
#include "update/UpdateView.h"

#include <optional>

class JsonUpdateEvents;
class TerminalProgress;

// What the user sets on the page: its two options and two number boxes, and whether the
// confirmation question is answered Yes in advance.
struct UpdateOptions {
    bool noQuery = false;
    bool blind = false;
    bool answerYes = false;
    QString preamble = StartValue::Preamble;
    QString timingTarget = StartValue::TimingTarget;
    QString note; // the user's name for the locomotive, for the history record
};

class TerminalUpdateView : public UpdateView {
public:
    // events: none for the plain lines.
    TerminalUpdateView(const UpdateOptions &options, TerminalProgress &progress,
                       JsonUpdateEvents *events = nullptr);

    void AddInfoLine(const QString &line) override;
    void RemoveLastInfoLine() override;
    void ClearInfoLines() override;
    void SetInfoColour(const QColor &colour) override;
    void SetProgress(float percent) override;
    bool NoQuery() const override;
    bool Blind() const override;
    QString PreambleText() const override;
    QString TimingText() const override;
    void SetTimingText(const QString &text) override;
    QString TimingTargetText() const override;
    void SetButtonsEnabled(bool enabled) override;
    // "TITLE: TEXT [y/N]" on standard error; Yes for y, yes, j, ja, o or oui in any case, with
    // blanks around. Anything else and the end of the input are No, and so is every question
    // once DeclineQuestions was called.
    bool AskYesNo(const QString &title, const QString &text) override;
    // "TITLE: TEXT" on standard error, where the question is asked too.
    void ShowInformation(const QString &title, const QString &text) override;
    void GoBack() override;
    QString Note() const override;

    // List2's colour as the run left it; none when no run set one.
    std::optional<QColor> Colour() const;

    // Answers No to the question waiting for its answer now, and to every later one.
    void DeclineQuestions();

private:
    bool Answer(const QString &title, const QString &text);

    UpdateOptions options_;
    TerminalProgress &progress_;
    JsonUpdateEvents *events_;
    QString timing_ = StartValue::Timing;
    std::optional<QColor> colour_;
    StandardInputLine answerLine_;
    bool declining_ = false;
};
