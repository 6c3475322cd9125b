// Whole updates against the simulated decoder (its state machine, flash and faults), not a
// script: through the update page's controls as a user runs them after the port and file pages,
// the window kept alive while the image goes out; through the procedure under each fault the
// decoder can play.
#include "SimPortRig.h"
#include "support/AnsweringDialogs.h"
#include "support/DswBuilder.h"
#include "support/UpdatePageControls.h"
#include "support/UpdateRig.h"

#include "app/LanguageTexts.h"
#include "app/Module_DU.h"
#include "port/SComm.h"
#include "update/MemoryUpdateView.h"
#include "update/UpdateProcedure.h"
#include "update/frm_update.h"

#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <QtTest>

Q_DECLARE_METATYPE(UpdateOutcome)

namespace {
using namespace UpdatePageControls;

constexpr int DecoderId = 12;
constexpr int DecoderCom = 3;
const QByteArray AdapterOn = QByteArrayLiteral("FLINT_EIN\r");
// Several ticks fit into the transfer of the blocks at the line's pace.
constexpr int TickerMs = 10;
// Whole blocks of either size: 6 of 32 bytes, 3 of 64.
constexpr int PagePayload = 192;

// The text the program shows for id: every run here has the built-in English texts.
QString T(TextId id)
{
    return LanguageTexts::BuiltInText(static_cast<int>(id));
}

// A run's first lines, up to the search for the decoder.
QStringList OpenedAndConnecting()
{
    return {T(TextId::PortOpened), T(TextId::ConnectingToDecoder)};
}

// A decoder software file with one image for decoder id.
QByteArray Software(int id, int type, int payload)
{
    return DswBuilder::Build({QStringLiteral("%1:TB%1:1.00:%2:%3").arg(id).arg(type).arg(payload)});
}

// A decoder software file with one image for DecoderId, chosen on the file page, and a
// simulated programmer of kind behind COM3 with the decoder on its track, writing its flash to a
// file. SelectedPort is COM3 and AdapterActive clear, until rig runs the port page's detection.
class Track {
public:
    Track(const QString &kind, int type, int payload, const QString &keys = {})
        : rig(Address(kind, type, keys)), software(Software(DecoderId, type, payload))
    {
        LanguageTexts::FillBuiltInTexts();
        WriteSoftware(software);
        auto &state = Module_DU::State();
        state.SelectedPort = QString::number(DecoderCom);
        state.SoftwareFilePath = SoftwarePath();
        state.ChosenDecoders = QStringList{QString::number(DecoderId)};
    }

    void WriteSoftware(const QByteArray &bytes) const
    {
        QVERIFY(DswBuilder::WriteFile(SoftwarePath(), bytes));
    }
    QString SoftwarePath() const { return folder.filePath(QStringLiteral("DECODERSW.DAT")); }
    QString FlashPath() const { return folder.filePath(QStringLiteral("flash.bin")); }
    QByteArray Flash() const
    {
        QFile file(FlashPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(no flash file)");
    }
    QByteArray Payload() const { return UpdateRig::PayloadOf(software, DecoderId); }
    // Everything the program has written to the programmer.
    QByteArray Wire() const { return rig.Device(DecoderCom)->Received(); }

    QTemporaryDir folder;
    SimPortRig rig;
    QByteArray software;

private:
    QString Address(const QString &kind, int type, const QString &keys) const
    {
        const int blockBytes = type == 2 ? 64 : 32;
        QString address = QStringLiteral("%1=sim:%2?decoder=%3&block=%4&flash=%5")
                              .arg(DecoderCom)
                              .arg(kind)
                              .arg(DecoderId)
                              .arg(blockBytes)
                              .arg(QString::fromLatin1(QUrl::toPercentEncoding(FlashPath())));
        return keys.isEmpty() ? address : address + QLatin1Char('&') + keys;
    }
};

// The update page as the wizard shows it after the file page's Next, with quick bursts: a
// calibration target of 0 ms is met at once by the smallest loop count.
struct Page {
    Page()
    {
        page.show();
        Control<QLineEdit>(page, "txt_timing")->setText(QStringLiteral("1000"));
        Control<QLineEdit>(page, "txt_timing_soll")->setText(QStringLiteral("0"));
        Control<QLineEdit>(page, "txt_pream")->setText(QStringLiteral("10"));
    }
    void StartUpdate() { Button(page, "Command3")->click(); }

    AnsweringDialogs dialogs;
    frm_update page;
};

// The procedure with the page kept in memory and quick bursts, as Page has them.
struct MemoryRun {
    MemoryRun()
    {
        view.timing = QStringLiteral("1000");
        view.timingTarget = QStringLiteral("0");
    }

    MemoryUpdateView view;
    UpdateProcedure procedure{view};
};

// Counts paint events of the widgets it watches while counting is on.
class PaintCounter : public QObject {
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (counting && event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
    bool counting = false;
    int paints = 0;
};
} // namespace

class TestUpdateEndToEnd : public QObject {
    Q_OBJECT

private slots:
    void updateThroughThePage();
    void faults_data();
    void faults();
    void imageReadOnceBeforeTheQuestion_data();
    void imageReadOnceBeforeTheQuestion();
};

// The port page's detection finds the adapter and switches it on; the update page's start button runs the update
// at the line's pace and the user answers Yes: the buttons disabled while it runs, other timers
// of the program firing and the progress bar repainted while the blocks go out, the lines in
// order, green, the bar 1 short of the image's length, the buttons enabled again, and the
// decoder's flash holds the payload byte for byte.
void TestUpdateEndToEnd::updateThroughThePage()
{
    const int blocks = 3; // of 64 bytes
    Track track(QStringLiteral("adapter"), 2, PagePayload, QStringLiteral("line-rate=1"));
    QVERIFY(track.rig.StartAndScan());
    track.rig.ports.LeavePage();
    QCOMPARE(Module_DU::State().SelectedPort, QString::number(DecoderCom));
    QVERIFY(Module_DU::State().AdapterActive);
    const qsizetype adapterOnBefore = track.Wire().count(AdapterOn);

    Page page;
    QList<bool> whileRunning;
    QTimer::singleShot(0, &page.page, [&] { whileRunning = ButtonsEnabled(page.page); });
    PaintCounter counter;
    Control(page.page, "ProgressBar1")->installEventFilter(&counter);
    int ticks = 0;
    QTimer ticker;
    ticker.setInterval(TickerMs);
    connect(&ticker, &QTimer::timeout, [&] { ticks += counter.counting ? 1 : 0; });
    track.rig.onLog = [&](const QString &line) {
        if (line == QLatin1String("Block=0"))
            counter.counting = true;
        else if (line == QStringLiteral("Block=%1").arg(blocks)) // after the last reply
            counter.counting = false;
    };
    ticker.start();

    page.StartUpdate();
    QCOMPARE(whileRunning, QList<bool>(4, false));
    QVERIFY(ticks > 0);
    QVERIFY(counter.paints > 0);
    const QStringList transferred{"TB12 " + T(TextId::Found), T(TextId::UpdateInProgress),
                                  T(TextId::UpdateFinished), T(TextId::PortClosed)};
    QCOMPARE(Lines(page.page), OpenedAndConnecting() + transferred);
    QCOMPARE(Control(page.page, "List2")->palette().color(QPalette::Base), InfoColour::Finished);
    QCOMPARE(Control<QProgressBar>(page.page, "ProgressBar1")->value(), 99); // 193 of 194
    QCOMPARE(ButtonsEnabled(page.page), QList<bool>(4, true));
    QCOMPARE(page.dialogs.questions,
             QStringList{T(TextId::DecoderFound) + "|TB12 " + T(TextId::FoundWouldYouUpdate)});
    QCOMPARE(track.Wire().count(AdapterOn) - adapterOnBefore, 1);
    QCOMPARE(track.Flash(), track.Payload());
}

void TestUpdateEndToEnd::faults_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<UpdateOutcome>("outcome");
    QTest::addColumn<bool>("retried"); // retry lines were shown on the way

    // Late replies (30 ms) are still inside the block's reply window of 5 ticks.
    QTest::newRow("replies and blocks lost, corrupted, late or garbage")
        << "lost-reply=0.1&bad-block=0.1&lost-block=0.1&slow-reply=0.1&garbage=0.1&seed=1"
        << UpdateOutcome::Finished << true;
    QTest::newRow("every block lost") << "lost-block=1" << UpdateOutcome::Failed << true;
    QTest::newRow("port vanishes at block 2") << "unplug-at=2" << UpdateOutcome::Failed << true;
    // Block 2 refused every time, block 1 taken again: the probing comes back to block 2 until its
    // failures all told are too many.
    QTest::newRow("block 2 refused every time") << "refuse-block=2" << UpdateOutcome::Failed << true;
    // Each reply comes after its block's wait and is dropped, never taken for the next block's.
    QTest::newRow("every block answered too late") << "reply-delay=80" << UpdateOutcome::Failed
                                                   << true;
    QTest::newRow("garbage to the ID") << "garbage=1" << UpdateOutcome::EndedBeforeTransfer
                                       << false;
}

// Every run ends through the end step: the port closed and listed so, the buttons enabled again.
// A finished run leaves the payload in the flash; a failed one names the position it failed at.
void TestUpdateEndToEnd::faults()
{
    QFETCH(QString, keys);
    QFETCH(UpdateOutcome, outcome);
    QFETCH(bool, retried);
    Track track(QStringLiteral("box"), 1, 320, keys);
    MemoryRun run;
    const MemoryUpdateView &view = run.view;

    QCOMPARE(run.procedure.Run(), outcome);
    QVERIFY(!run.procedure.Link().Comm().portopen());
    QCOMPARE(view.buttonStates, (QList<bool>{false, true}));
    QCOMPARE(view.infoLines.mid(0, 2), OpenedAndConnecting());
    QCOMPARE(view.infoLines.last(), T(TextId::PortClosed));
    QCOMPARE(view.everyInfoLine.filter(QStringLiteral(" Retry ")).isEmpty(), !retried);
    const QString lastButOne = view.infoLines.at(view.infoLines.size() - 2);
    switch (outcome) {
    case UpdateOutcome::Finished:
        QCOMPARE(lastButOne, T(TextId::UpdateFinished));
        QCOMPARE(view.colours.last(), InfoColour::Finished);
        QCOMPARE(track.Flash(), track.Payload());
        break;
    case UpdateOutcome::Failed: {
        const QString failure = view.infoLines.at(view.infoLines.size() - 3);
        QVERIFY2(failure.startsWith(T(TextId::UpdateFailedOnPosition) + ' '), qPrintable(failure));
        QVERIFY2(lastButOne.startsWith(T(TextId::BlocksNotAcknowledged) + ' '),
                 qPrintable(lastButOne));
        QCOMPARE(view.colours.last(), InfoColour::Failed);
        break;
    }
    default:
        QCOMPARE(lastButOne, T(TextId::ConnectionFailed));
        QVERIFY(view.colours.isEmpty());
        break;
    }
}

// What was checked is what is sent: the file rewritten, or cut short, while the question is
// open changes nothing on the wire.
void TestUpdateEndToEnd::imageReadOnceBeforeTheQuestion_data()
{
    QTest::addColumn<int>("keptBytes"); // of the rewritten file; -1 keeps its length

    QTest::newRow("rewritten in place") << -1;
    QTest::newRow("cut inside the image") << 40;
}

void TestUpdateEndToEnd::imageReadOnceBeforeTheQuestion()
{
    QFETCH(int, keptBytes);
    Track track(QStringLiteral("box"), 1, 128);
    struct RewritingView : MemoryUpdateView {
        bool AskYesNo(const QString &title, const QString &text) override
        {
            rewrite();
            return MemoryUpdateView::AskYesNo(title, text);
        }
        std::function<void()> rewrite;
    };
    RewritingView view;
    view.timing = QStringLiteral("1000");
    view.timingTarget = QStringLiteral("0");
    view.rewrite = [&] {
        const QByteArray other = UpdateRig::WithPayload(track.software, DecoderId,
                                                        QByteArray(128, '\x33'));
        track.WriteSoftware(keptBytes < 0 ? other : other.left(keptBytes));
    };
    UpdateProcedure procedure(view);

    QCOMPARE(procedure.Run(), UpdateOutcome::Finished);
    QCOMPARE(view.questions.size(), 1);
    QCOMPARE(track.Flash(), track.Payload());
}


QTEST_MAIN(TestUpdateEndToEnd)
#include "test_update_end_to_end.moc"
