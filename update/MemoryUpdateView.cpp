#include "update/MemoryUpdateView.h"

void MemoryUpdateView::AddInfoLine(const QString &line)
{
    infoLines.append(line);
    if (onInfoLine)
        onInfoLine(line);
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
    buttonsEnabled = enabled;
}

bool MemoryUpdateView::AskYesNo(const QString &title, const QString &text)
{
    questions.append(title + QLatin1Char('|') + text);
    return answer ? answer(title, text) : true;
}

void MemoryUpdateView::GoBack()
{
    ++wentBack;
}
