#include "cli/TerminalProgress.h"

#include "cli/CliCommand.h"

#include <QtGlobal>

namespace {
constexpr int BarCells = 40;
constexpr int FullPercent = 100;
// The bar, its percentage and the brackets: what a clear must blank out.
constexpr int BarLineChars = BarCells + 7;
} // namespace

TerminalProgress::TerminalProgress(bool drawn) : drawn_(drawn) {}

void TerminalProgress::Show(float percent)
{
    const int whole = WholePercent(percent);
    if (!drawn_ || (whole == percent_ && onScreen_))
        return;
    percent_ = whole;
    Draw();
}

int TerminalProgress::WholePercent(float percent)
{
    return qBound(0, qRound(percent), FullPercent);
}

void TerminalProgress::PrintOut(const QString &line)
{
    Clear();
    ::PrintOut(line + QLatin1Char('\n'));
    Draw();
}

void TerminalProgress::PrintErr(const QString &line)
{
    Clear();
    ::PrintErr(line + QLatin1Char('\n'));
    Draw();
}

void TerminalProgress::End()
{
    if (!onScreen_)
        return;
    ::PrintErr(QStringLiteral("\n"));
    onScreen_ = false;
}

// Draws nothing before the first percentage arrives.
void TerminalProgress::Draw()
{
    if (!drawn_ || percent_ == NotShownYet)
        return;
    const int filled = percent_ * BarCells / FullPercent;
    ::PrintErr(QStringLiteral("\r[%1%2] %3%")
                   .arg(QString(filled, QLatin1Char('#')), QString(BarCells - filled, QLatin1Char('.')))
                   .arg(percent_, 3));
    onScreen_ = true;
}

void TerminalProgress::Clear()
{
    if (!onScreen_)
        return;
    ::PrintErr(QLatin1Char('\r') + QString(BarLineChars, QLatin1Char(' ')) + QLatin1Char('\r'));
    onScreen_ = false;
}
