// The fault soak's own parts: its judge, which must never let a wrong run pass for a good one,
// the line a worker hands its verdict back in, the plan that must replay from the seed alone,
// and the pool of workers, which must give every seed a verdict even when a worker hangs or dies.
#include "support/SoakJudge.h"
#include "support/SoakPlan.h"
#include "support/SoakPool.h"

#include "app/LanguageTexts.h"

#include <QtTest>

Q_DECLARE_METATYPE(SoakResult)
Q_DECLARE_METATYPE(std::optional<int>)

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

// Long enough for any machine to start a shell and answer.
constexpr std::chrono::milliseconds AnswerDeadline{60000};
// A worker that never answers is given up on after this; it cannot answer in time on any machine.
constexpr std::chrono::milliseconds HangDeadline{300};
} // namespace

class TestSoak : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { LanguageTexts::FillBuiltInTexts(); }
    void judge_data();
    void judge();
    void verdictLine();
    void planReplaysFromItsSeed();
    void poolGivesEverySeedAVerdict();
    void poolCountsAHangAndGoesOn();
    void poolCountsACrash();
};

void TestSoak::judge_data()
{
    const QString closed = T(TextId::PortClosed);
    const QString finished = T(TextId::UpdateFinished);
    const QString failedLine = T(TextId::UpdateFailedOnPosition) + QStringLiteral(" 77");
    const QByteArray whole = Payload();
    const QByteArray lastMissing = whole.left((Blocks - 1) * BlockBytes);
    QByteArray oneByteOff = whole;
    oneByteOff[BlockBytes] = '\x7F';
    const QList<QColor> green{InfoColour::Sending, InfoColour::Finished};
    const QList<QColor> red{InfoColour::Sending, InfoColour::Failed};
    const QList<QColor> none;
    const std::optional<int> unflagged;
    const std::optional<int> lastFlagged = Blocks - 1;

    QTest::addColumn<UpdateOutcome>("outcome");
    QTest::addColumn<QList<QColor>>("colours");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<std::optional<int>>("unconfirmed");
    QTest::addColumn<QByteArray>("flash");
    QTest::addColumn<bool>("portOpen");
    QTest::addColumn<bool>("buttonsEnabled");
    QTest::addColumn<SoakResult>("result");

    const auto F = UpdateOutcome::Finished;
    const auto U = UpdateOutcome::FinishedUnconfirmed;
    QTest::newRow("finished, flash whole")
        << F << green << QStringList{finished, closed} << unflagged << whole << false << true
        << SoakResult::FlashEqual;
    QTest::newRow("finished unflagged, one byte differs")
        << F << green << QStringList{finished, closed} << unflagged << oneByteOff << false << true
        << SoakResult::Wrong;
    QTest::newRow("finished unflagged, last block missing")
        << F << green << QStringList{finished, closed} << unflagged << lastMissing << false
        << true << SoakResult::Wrong;
    QTest::newRow("finished, but the list stayed orange")
        << F << QList<QColor>{InfoColour::Sending} << QStringList{finished, closed} << unflagged
        << whole << false << true << SoakResult::Wrong;
    QTest::newRow("flagged, last block missing")
        << U << green << QStringList{finished, closed} << lastFlagged << lastMissing << false
        << true << SoakResult::Flagged;
    QTest::newRow("flagged, but the log does not say so")
        << U << green << QStringList{finished, closed} << unflagged << lastMissing << false
        << true << SoakResult::Wrong;
    QTest::newRow("flagged at the last block, an earlier one differs")
        << U << green << QStringList{finished, closed} << lastFlagged << oneByteOff << false
        << true << SoakResult::Wrong;
    QTest::newRow("flagged at the last block, an earlier one missing")
        << U << green << QStringList{finished, closed} << lastFlagged << whole.left(BlockBytes)
        << false << true << SoakResult::Wrong;
    QTest::newRow("failed on red")
        << UpdateOutcome::Failed << red << QStringList{failedLine, closed} << unflagged
        << QByteArray() << false << true << SoakResult::FailedCleanly;
    QTest::newRow("failed, but the list stayed orange")
        << UpdateOutcome::Failed << QList<QColor>{InfoColour::Sending}
        << QStringList{failedLine, closed} << unflagged << QByteArray() << false << true
        << SoakResult::Wrong;
    QTest::newRow("no decoder answered")
        << UpdateOutcome::EndedBeforeTransfer << none
        << QStringList{T(TextId::ConnectionFailed), closed} << unflagged << QByteArray() << false
        << true << SoakResult::FailedCleanly;
    QTest::newRow("ended before the transfer without its line")
        << UpdateOutcome::EndedBeforeTransfer << none
        << QStringList{T(TextId::ConnectingToDecoder), closed} << unflagged << QByteArray()
        << false << true << SoakResult::Wrong;
    QTest::newRow("port left open")
        << F << green << QStringList{finished, closed} << unflagged << whole << true << true
        << SoakResult::Wrong;
    QTest::newRow("buttons left disabled")
        << F << green << QStringList{finished, closed} << unflagged << whole << false << false
        << SoakResult::Wrong;
    QTest::newRow("no closing line")
        << F << green << QStringList{finished} << unflagged << whole << false << true
        << SoakResult::Wrong;
}

void TestSoak::judge()
{
    QFETCH(UpdateOutcome, outcome);
    QFETCH(QList<QColor>, colours);
    QFETCH(QStringList, lines);
    QFETCH(std::optional<int>, unconfirmed);
    QFETCH(QByteArray, flash);
    QFETCH(bool, portOpen);
    QFETCH(bool, buttonsEnabled);
    QFETCH(SoakResult, result);

    MemoryUpdateView view;
    view.colours = colours;
    view.infoLines = lines;
    view.buttonStates = {false, buttonsEnabled};
    const SoakRecord record{outcome, view, unconfirmed, flash, Payload(), BlockBytes, portOpen};
    const SoakVerdict verdict = JudgeSoakRun(record);
    QVERIFY2(verdict.result == result, qPrintable(verdict.detail));
}

void TestSoak::verdictLine()
{
    const SoakVerdict sent{4000000000u, SoakResult::Flagged, QStringLiteral("block 3  unconfirmed")};
    const auto read = SoakVerdict::FromLine(sent.ToLine());
    QVERIFY(read);
    QCOMPARE(read->seed, sent.seed);
    QCOMPARE(read->result, sent.result);
    QCOMPARE(read->detail, sent.detail);
    // A worker's other lines are never taken for a verdict.
    for (const QString &line : {QStringLiteral("seed 7: type=1 blocks=3"),
                                QStringLiteral("RESULT 7 fine"), QStringLiteral("RESULT x equal")})
        QVERIFY2(!SoakVerdict::FromLine(line), qPrintable(line));
}

// A wrong run is replayed by its seed alone; and over a few hundred seeds every fault and the
// unplugging come up, each also without the others.
void TestSoak::planReplaysFromItsSeed()
{
    QCOMPARE(SoakPlan::FromSeed(42).Describe(), SoakPlan::FromSeed(42).Describe());
    constexpr quint32 Seeds = 300;
    QSet<QString> seen;
    for (quint32 seed = 1; seed <= Seeds; ++seed) {
        const SoakPlan plan = SoakPlan::FromSeed(seed);
        const QList<std::pair<QString, double>> faults{{"lost-reply", plan.odds.lostReply},
                                                       {"bad-block", plan.odds.badBlock},
                                                       {"lost-block", plan.odds.lostBlock},
                                                       {"slow-reply", plan.odds.slowReply},
                                                       {"garbage", plan.odds.garbage}};
        int present = 0;
        for (const auto &fault : faults)
            present += fault.second > 0;
        for (const auto &fault : faults) {
            if (fault.second > 0)
                seen.insert(present == 1 ? fault.first + " alone" : fault.first);
        }
        if (plan.unplugAt != SimDecoderSettings::NeverUnplug) {
            QVERIFY(plan.unplugAt < plan.blocks);
            seen.insert("unplug");
        }
        if (plan.blocks > 256)
            seen.insert("block numbers wrap");
    }
    for (const char *kind : {"lost-reply", "bad-block", "lost-block", "slow-reply", "garbage"})
        QVERIFY2(seen.contains(kind) && seen.contains(kind + QStringLiteral(" alone")), kind);
    QVERIFY(seen.contains("unplug"));
    QVERIFY(seen.contains("block numbers wrap"));
}

void TestSoak::poolGivesEverySeedAVerdict()
{
    PoolRun run;
    const QList<quint32> seeds{1, 2, 3, 4, 5, 6, 7};
    run.Run(Worker("while read s; do echo note; echo \"RESULT $s equal finished\"; done"), 3,
            AnswerDeadline, seeds);
    QCOMPARE(run.Seeds(SoakResult::FlashEqual), seeds);
    QCOMPARE(run.verdicts.size(), seeds.size());
}

// Seed 2's worker never answers; it is killed, and a fresh worker takes seed 3.
void TestSoak::poolCountsAHangAndGoesOn()
{
    PoolRun run;
    run.Run(Worker("while read s; do [ $s = 2 ] && exec sleep 600; "
                   "echo \"RESULT $s failed Connection failed\"; done"),
            1, HangDeadline, {1, 2, 3});
    QCOMPARE(run.Seeds(SoakResult::FailedCleanly), (QList<quint32>{1, 3}));
    QCOMPARE(run.Seeds(SoakResult::Wrong), QList<quint32>{2});
}

void TestSoak::poolCountsACrash()
{
    PoolRun run;
    run.Run(Worker("read s; kill -SEGV $$"), 2, AnswerDeadline, {8, 9});
    QCOMPARE(run.Seeds(SoakResult::Wrong), (QList<quint32>{8, 9}));
    for (const SoakVerdict &verdict : run.verdicts)
        QVERIFY2(verdict.detail.startsWith("crash"), qPrintable(verdict.detail));
}

QTEST_GUILESS_MAIN(TestSoak)
#include "test_soak.moc"
