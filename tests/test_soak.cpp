// The fault soak's own parts: its judge, which must never let a wrong run pass for a good one,
// and the pool of workers, which must give every seed a verdict even when a worker hangs or dies.
#include "support/SoakJudge.h"
#include "support/SoakPool.h"

#include "app/LanguageTexts.h"

#include <QtTest>

Q_DECLARE_METATYPE(SoakResult)

namespace {
constexpr int BlockBytes = 32;
constexpr int Blocks = 4;

QString T(TextId id)
{
    return LanguageTexts::BuiltInText(static_cast<int>(id));
}

QByteArray Payload()
{
    QByteArray payload;
    for (int i = 0; i < Blocks * BlockBytes; ++i)
        payload.append(static_cast<char>(i));
    return payload;
}

// What a run left behind: by default a clean finish with the whole image in the flash.
struct JudgedRun {
    UpdateOutcome outcome = UpdateOutcome::Finished;
    QList<QColor> colours{InfoColour::Sending, InfoColour::Finished};
    QStringList lines{T(TextId::UpdateFinished), T(TextId::PortClosed)};
    QByteArray payload = Payload();
    QByteArray flash = Payload();
    bool portOpen = false;
    bool buttonsEnabled = true;
};

// A worker played by the shell; each reads its seeds from standard input.
const QString Shell = QStringLiteral("/bin/sh");
QStringList Worker(const QString &script)
{
    return {QStringLiteral("-c"), script};
}

struct PoolRun {
    QList<SoakVerdict> verdicts;
    void Run(const QStringList &worker, int workers, std::chrono::milliseconds deadline,
             const QList<quint32> &seeds)
    {
        SoakPool pool(Shell, worker, workers, deadline);
        pool.Run(seeds, [this](const SoakVerdict &verdict, const QStringList &) {
            verdicts.append(verdict);
        });
    }
    QList<quint32> Seeds(SoakResult result) const
    {
        QList<quint32> seeds;
        for (const SoakVerdict &verdict : verdicts)
            if (verdict.result == result)
                seeds.append(verdict.seed);
        std::sort(seeds.begin(), seeds.end());
        return seeds;
    }
};

// A worker that never answers is given up on after this; it cannot answer in time on any machine.
constexpr std::chrono::milliseconds HangDeadline{300};
} // namespace

Q_DECLARE_METATYPE(JudgedRun)

class TestSoak : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { LanguageTexts::FillBuiltInTexts(); }
    void judge_data();
    void judge();
    void poolCountsHangsAndCrashesAndGoesOn();
};

void TestSoak::judge_data()
{
    QTest::addColumn<JudgedRun>("run");
    QTest::addColumn<SoakResult>("result");
    const auto row = [](const char *name, const std::function<void(JudgedRun &)> &change,
                        SoakResult result) {
        JudgedRun run;
        change(run);
        QTest::newRow(name) << run << result;
    };
    const QByteArray lastMissing = Payload().left((Blocks - 1) * BlockBytes);
    QByteArray oneByteOff = Payload();
    oneByteOff[BlockBytes] = '\x7F';
    const QString closed = T(TextId::PortClosed);
    const auto unconfirmed = [&](JudgedRun &run) {
        run.outcome = UpdateOutcome::FinishedUnconfirmed;
        run.colours.last() = InfoColour::Unconfirmed;
        run.lines = QStringList{T(TextId::UpdateFinished),
                                T(TextId::LastBlockUnconfirmed) + " " + QString::number(Blocks - 1),
                                closed};
        run.flash = lastMissing;
    };
    const auto failed = [&](JudgedRun &run) {
        run.outcome = UpdateOutcome::Failed;
        run.colours.last() = InfoColour::Failed;
        run.lines = QStringList{T(TextId::UpdateFailedOnPosition) + " 77",
                                T(TextId::BlocksNotAcknowledged) + " 1, 3-4", closed};
        run.flash = Payload().left(BlockBytes);
    };
    const auto endedBefore = [](JudgedRun &run) {
        run.outcome = UpdateOutcome::EndedBeforeTransfer;
        run.colours.clear();
        run.lines.first() = T(TextId::ConnectionFailed);
        run.flash.clear();
    };
    const SoakResult wrong = SoakResult::Wrong;

    row("finished, flash whole", [](JudgedRun &) {}, SoakResult::FlashEqual);
    row("finished, one byte differs", [&](JudgedRun &run) { run.flash = oneByteOff; }, wrong);
    row("last block unconfirmed and missing", unconfirmed, SoakResult::Unconfirmed);
    row("tail not sent, every whole block stored", [&](JudgedRun &run) {
        unconfirmed(run);
        run.payload += "\x01\x02";
        run.lines[1] = T(TextId::TailNotSent) + " 2";
        run.flash = Payload();
    }, SoakResult::Unconfirmed);
    row("unconfirmed on green", [&](JudgedRun &run) {
        unconfirmed(run);
        run.colours.last() = InfoColour::Finished;
    }, wrong);
    row("last block unconfirmed, an earlier one missing", [&](JudgedRun &run) {
        unconfirmed(run);
        run.flash = Payload().left(BlockBytes);
    }, wrong);
    row("failed on red", failed, SoakResult::Failed);
    row("failed, and the flash holds what is not the image", [&](JudgedRun &run) {
        failed(run);
        run.flash = oneByteOff;
    }, wrong);
    row("no decoder answered", endedBefore, SoakResult::Failed);
    row("port left open", [](JudgedRun &run) { run.portOpen = true; }, wrong);
}

void TestSoak::judge()
{
    QFETCH(JudgedRun, run);
    QFETCH(SoakResult, result);
    MemoryUpdateView view;
    view.colours = run.colours;
    view.infoLines = run.lines;
    view.buttonStates = {false, run.buttonsEnabled};
    const SoakVerdict verdict =
        JudgeSoakRun({run.outcome, view, run.flash, run.payload, BlockBytes, run.portOpen});
    QVERIFY2(verdict.result == result, qPrintable(verdict.detail));
}

// Seed 2's worker never answers and seed 3's dies; each is counted as wrong, and a fresh worker
// takes the next seed.
void TestSoak::poolCountsHangsAndCrashesAndGoesOn()
{
    PoolRun run;
    run.Run(Worker("while read s; do [ $s = 2 ] && exec sleep 600; [ $s = 3 ] && kill -SEGV $$; "
                   "echo note; echo \"RESULT $s failed Connection failed\"; done"),
            1, HangDeadline, {1, 2, 3, 4});
    QCOMPARE(run.Seeds(SoakResult::Failed), (QList<quint32>{1, 4}));
    QCOMPARE(run.Seeds(SoakResult::Wrong), (QList<quint32>{2, 3}));
    for (const SoakVerdict &verdict : run.verdicts)
        if (verdict.seed == 3) // a crash is named as one, not taken for a hang
            QVERIFY2(verdict.detail.startsWith("crash"), qPrintable(verdict.detail));
}

QTEST_GUILESS_MAIN(TestSoak)
#include "test_soak.moc"
