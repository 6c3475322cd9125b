#include "update/MemoryUpdateView.h"

void MemoryUpdateView::AddInfoLine(const QString &line)
{
    infoLines.append(line);
    everyInfoLine.append(line);
}

void MemoryUpdateView::RemoveLastInfoLine()
{
    if (!infoLines.isEmpty())
        infoLines.removeLast();
}

void MemoryUpdateView::ClearInfoLines()
{
    infoLines.clear();
}

void MemoryUpdateView::SetInfoColour(const QColor &colour)
{
    colours.append(colour);
}

void MemoryUpdateView::SetProgress(float percent)
{
    progress = percent;
}

bool MemoryUpdateView::NoQuery() const
{
    return noQuery;
}

bool MemoryUpdateView::Blind() const
{
    return blind;
}

QString MemoryUpdateView::PreambleText() const
{
    return preamble;
}

QString MemoryUpdateView::TimingText() const
{
    return timing;
}

void MemoryUpdateView::SetTimingText(const QString &text)
{
    timing = text;
}

QString MemoryUpdateView::TimingTargetText() const
{
    return timingTarget;
}

void MemoryUpdateView::SetButtonsEnabled(bool enabled)
{
    buttonStates.append(enabled);
}

bool MemoryUpdateView::AskYesNo(const QString &title, const QString &text)
{
    questions.append(title + QLatin1Char('|') + text);
    return answer;
}

void MemoryUpdateView::ShowInformation(const QString &title, const QString &text)
{
    informations.append(title + QLatin1Char('|') + text);
}

void MemoryUpdateView::GoBack()
{
    ++wentBack;
}
