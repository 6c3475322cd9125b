#include "cli/TerminalUpdateView.h"

#include "cli/CliCommand.h"
#include "cli/JsonUpdateEvents.h"
#include "cli/TerminalProgress.h"

#include <QStringList>
#include <cstdio>

namespace {
// Yes in each language the texts file ships (English, German, French): a user answers in the
// language the question was asked in.
const QStringList YesAnswers{QStringLiteral("y"), QStringLiteral("yes"), QStringLiteral("j"),
                             QStringLiteral("ja"), QStringLiteral("o"), QStringLiteral("oui")};

bool IsYes(const QString &typed)
{
    return YesAnswers.contains(typed.trimmed(), Qt::CaseInsensitive);
}
} // namespace

TerminalUpdateView::TerminalUpdateView(const UpdateOptions &options, TerminalProgress &progress,
                                       JsonUpdateEvents *events)
    : options_(options), progress_(progress), events_(events)
{
}

void TerminalUpdateView::AddInfoLine(const QString &line)
{
    if (events_)
        events_->Line(line);
    else
        progress_.PrintOut(line);
}

// What is printed stays printed.
void TerminalUpdateView::RemoveLastInfoLine() {}

// Each run of the command is the page's first, so there is nothing to clear.
void TerminalUpdateView::ClearInfoLines() {}

void TerminalUpdateView::SetInfoColour(const QColor &colour)
{
    colour_ = colour;
}

void TerminalUpdateView::SetProgress(float percent)
{
    progress_.Show(percent);
    if (events_)
        events_->Progress(percent);
}

bool TerminalUpdateView::NoQuery() const
{
    return options_.noQuery;
}

bool TerminalUpdateView::Blind() const
{
    return options_.blind;
}

QString TerminalUpdateView::PreambleText() const
{
    return options_.preamble;
}

QString TerminalUpdateView::TimingText() const
{
    return timing_;
}

void TerminalUpdateView::SetTimingText(const QString &text)
{
    timing_ = text;
}

QString TerminalUpdateView::TimingTargetText() const
{
    return options_.timingTarget;
}

// No buttons on a terminal: nothing else can start while the command runs.
void TerminalUpdateView::SetButtonsEnabled(bool) {}

bool TerminalUpdateView::AskYesNo(const QString &title, const QString &text)
{
    const bool answer = Answer(title, text);
    if (events_)
        events_->Question(title, text, answer);
    return answer;
}

bool TerminalUpdateView::Answer(const QString &title, const QString &text)
{
    if (declining_)
        return false;
    if (options_.answerYes)
        return true;
    PrintErr(title + QStringLiteral(": ") + text + QStringLiteral(" [y/N] "));
    const std::optional<QString> typed = answerLine_.Read();
    if (!typed)
        return false;
    // A terminal echoes the user's Enter; an answer from elsewhere ends the question's line here.
    if (!IsTerminal(stdin))
        PrintErr(*typed + QLatin1Char('\n'));
    return IsYes(*typed);
}

void TerminalUpdateView::ShowInformation(const QString &title, const QString &text)
{
    progress_.PrintErr(title + QStringLiteral(": ") + text);
}

// The command loads its file before the run, so the page never has to go back.
void TerminalUpdateView::GoBack() {}

QString TerminalUpdateView::Note() const
{
    return options_.note;
}

std::optional<QColor> TerminalUpdateView::Colour() const
{
    return colour_;
}

void TerminalUpdateView::DeclineQuestions()
{
    declining_ = true;
    // The question's line ends unanswered.
    if (answerLine_.Cancel())
        PrintErr(QStringLiteral("\n"));
}
