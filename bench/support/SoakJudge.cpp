#include "SoakJudge.h"

#include "app/LanguageTexts.h"
#include "update/UpdateView.h"

#include <QRegularExpression>
#include <optional>

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

// Several lines of the list in one detail.
QString Joined(const QStringList &lines)
{
    return lines.join(QStringLiteral(" / "));
}

QString Line(TextId id, qsizetype number)
{
    return Text(id) + QLatin1Char(' ') + QString::number(number);
}

int WholeBlocks(const SoakRecord &run)
{
    return static_cast<int>(run.payload.size() / run.blockBytes);
}

// Whatever the decoder stored came from the image, in its place.
bool HoldsOnlyTheImage(const SoakRecord &run)
{
    return run.payload.startsWith(run.flash);
}

SoakVerdict JudgeFinished(const SoakRecord &run, const QStringList &lines)
{
    if (!EndsIn(run, InfoColour::Finished) || lines.last() != Text(TextId::UpdateFinished))
        return Wrong(QStringLiteral("finished without the green \"Update finished\": ")
                     + lines.last());
    if (run.flash != run.payload)
        return Wrong(QStringLiteral("finished, but the flash differs from the image (") + Sizes(run)
                     + QLatin1Char(')'));
    return Verdict(SoakResult::FlashEqual, QStringLiteral("finished"));
}

// The lines after "Update finished": the last block's, if it lacks its acknowledgement, then
// the tail's, which a payload of no whole number of blocks always has; at least one of them.
// Returns the blocks the flash must hold, nothing when the lines are not these.
std::optional<int> ConfirmedBlocks(const SoakRecord &run, QStringList flags)
{
    const int blocks = WholeBlocks(run);
    const qsizetype tailBytes = run.payload.size() % run.blockBytes;
    const bool lastUnconfirmed =
        !flags.isEmpty() && flags.first() == Line(TextId::LastBlockUnconfirmed, blocks - 1);
    if (lastUnconfirmed)
        flags.removeFirst();
    QStringList tailFlag;
    if (tailBytes > 0)
        tailFlag.append(Line(TextId::TailNotSent, tailBytes));
    if (flags != tailFlag || (!lastUnconfirmed && tailBytes == 0))
        return std::nullopt;
    return blocks - int(lastUnconfirmed);
}

SoakVerdict JudgeUnconfirmed(const SoakRecord &run, const QStringList &lines)
{
    const qsizetype finishedAt = lines.lastIndexOf(Text(TextId::UpdateFinished));
    if (!EndsIn(run, InfoColour::Unconfirmed) || finishedAt < 0)
        return Wrong(QStringLiteral("unconfirmed without the amber \"Update finished\": ")
                     + lines.last());
    const std::optional<int> confirmedBlocks = ConfirmedBlocks(run, lines.mid(finishedAt + 1));
    if (!confirmedBlocks)
        return Wrong(QStringLiteral("unconfirmed, but the lines do not say what: ")
                     + Joined(lines.mid(finishedAt + 1)));
    if (run.flash.size() < qsizetype(*confirmedBlocks) * run.blockBytes || !HoldsOnlyTheImage(run))
        return Wrong(QStringLiteral("unconfirmed, but the flash lacks a confirmed block or differs")
                     + QStringLiteral(" (") + Sizes(run) + QLatin1Char(')'));
    return Verdict(SoakResult::Unconfirmed,
                   Joined(lines.mid(finishedAt + 1)) + QStringLiteral(", ") + Sizes(run));
}

// "Update failed on position P", then "Blocks never acknowledged: 3-7" or "…: 1, 4-6".
bool EndsInFailureLines(const QStringList &lines)
{
    const QRegularExpression failure(
        QStringLiteral("^%1 \\d+\n%2 \\d+(-\\d+)?(, \\d+(-\\d+)?)*$")
            .arg(QRegularExpression::escape(Text(TextId::UpdateFailedOnPosition)),
                 QRegularExpression::escape(Text(TextId::BlocksNotAcknowledged))));
    return failure.match(lines.mid(lines.size() - 2).join(QLatin1Char('\n'))).hasMatch();
}

SoakVerdict JudgeFailed(const SoakRecord &run, const QStringList &lines)
{
    if (!EndsIn(run, InfoColour::Failed) || !EndsInFailureLines(lines))
        return Wrong(QStringLiteral("failed without the red failure lines: ")
                     + Joined(lines.mid(lines.size() - 2)));
    if (!HoldsOnlyTheImage(run))
        return Wrong(QStringLiteral("failed, and the flash differs from the image (") + Sizes(run)
                     + QLatin1Char(')'));
    return Verdict(SoakResult::Failed, Joined(lines.mid(lines.size() - 2)));
}

SoakVerdict JudgeEnding(const SoakRecord &run, const QStringList &lines)
{
    switch (run.outcome) {
    case UpdateOutcome::Finished:
        return JudgeFinished(run, lines);
    case UpdateOutcome::FinishedUnconfirmed:
        return JudgeUnconfirmed(run, lines);
    case UpdateOutcome::Failed:
        return JudgeFailed(run, lines);
    case UpdateOutcome::EndedBeforeTransfer:
        // The only way the soak's faults can end a run before the transfer: the decoder's
        // answer to its ID was lost, late or garbled. The list keeps its colour then.
        if (run.view.colours.isEmpty() && lines.last() == Text(TextId::ConnectionFailed))
            return Verdict(SoakResult::Failed, lines.last());
        return Wrong(QStringLiteral("ended before the transfer with: ") + lines.last());
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
    return JudgeEnding(run, lines.first(lines.size() - 1));
}
