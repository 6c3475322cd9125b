#include "SoakJudge.h"

#include "app/LanguageTexts.h"
#include "update/UpdateView.h"

namespace {
SoakVerdict Verdict(SoakResult result, const QString &detail)
{
    return SoakVerdict{0, result, detail};
}

SoakVerdict Wrong(const QString &detail)
{
    return Verdict(SoakResult::Wrong, detail);
}

bool EndsIn(const SoakRecord &run, const QColor &colour)
{
    return !run.view.colours.isEmpty() && run.view.colours.last() == colour;
}

QString Sizes(const SoakRecord &run)
{
    return QStringLiteral("flash %1 of %2 bytes").arg(run.flash.size()).arg(run.payload.size());
}

SoakVerdict JudgeFinished(const SoakRecord &run, const QString &ending)
{
    if (!EndsIn(run, InfoColour::Finished) || ending != Text(TextId::UpdateFinished))
        return Wrong(QStringLiteral("finished without the green \"Update finished\": ") + ending);
    if (run.flash != run.payload)
        return Wrong(QStringLiteral("finished unflagged, but the flash differs from the image (")
                     + Sizes(run) + QLatin1Char(')'));
    return Verdict(SoakResult::FlashEqual, QStringLiteral("finished"));
}

// The blind spot: the first probe after an unanswered block lay beyond the image. Every block
// before the one the log names must be in the flash, and nothing but the image may be there.
SoakVerdict JudgeFlagged(const SoakRecord &run, const QString &ending)
{
    if (!EndsIn(run, InfoColour::Finished) || ending != Text(TextId::UpdateFinished))
        return Wrong(QStringLiteral("finished without the green \"Update finished\": ") + ending);
    if (!run.unconfirmedBlock)
        return Wrong(QStringLiteral("finished unconfirmed, but the log does not say so"));
    const qsizetype confirmedBytes = qsizetype(*run.unconfirmedBlock) * run.blockBytes;
    if (run.flash.size() < confirmedBytes || !run.payload.startsWith(run.flash))
        return Wrong(QStringLiteral("flagged at block %1, but the flash differs before it (")
                         .arg(*run.unconfirmedBlock)
                     + Sizes(run) + QLatin1Char(')'));
    return Verdict(SoakResult::Flagged,
                   QStringLiteral("block %1 unconfirmed, ").arg(*run.unconfirmedBlock) + Sizes(run));
}

SoakVerdict JudgeEnding(const SoakRecord &run, const QString &ending)
{
    switch (run.outcome) {
    case UpdateOutcome::Finished:
        return JudgeFinished(run, ending);
    case UpdateOutcome::FinishedUnconfirmed:
        return JudgeFlagged(run, ending);
    case UpdateOutcome::Failed:
        if (EndsIn(run, InfoColour::Failed)
            && ending.startsWith(Text(TextId::UpdateFailedOnPosition) + QLatin1Char(' ')))
            return Verdict(SoakResult::FailedCleanly, ending);
        return Wrong(QStringLiteral("failed without the red failure line: ") + ending);
    case UpdateOutcome::EndedBeforeTransfer:
        // The only way the soak's faults can end a run before the transfer: the decoder's
        // answer to its ID was lost, late or garbled. The list keeps its colour then.
        if (run.view.colours.isEmpty() && ending == Text(TextId::ConnectionFailed))
            return Verdict(SoakResult::FailedCleanly, ending);
        return Wrong(QStringLiteral("ended before the transfer with: ") + ending);
    case UpdateOutcome::WentBack:
        break;
    }
    return Wrong(QStringLiteral("went back to the file page"));
}

} // namespace

SoakVerdict JudgeSoakRun(const SoakRecord &run)
{
    if (run.portOpen)
        return Wrong(QStringLiteral("the port was left open"));
    if (run.view.buttonStates.isEmpty() || !run.view.buttonStates.last())
        return Wrong(QStringLiteral("the buttons were left disabled"));
    const QStringList &lines = run.view.infoLines;
    if (lines.size() < 2 || lines.last() != Text(TextId::PortClosed))
        return Wrong(QStringLiteral("the list does not end with \"%1\"")
                         .arg(Text(TextId::PortClosed)));
    return JudgeEnding(run, lines.at(lines.size() - 2));
}

