// Whole updates against the simulated decoder (its state machine, flash and faults), not a
// script: through the update page's controls as a user runs them after the port and file pages,
// the window kept alive while the image goes out; through the procedure under each fault the
// decoder can play, and the checks that stop a run before anything is sent.
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
constexpr int OtherId = 34;
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
        const int blockBytes = *BlockTransfer::BlockSizeOf(type);
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
    void updateThroughThePage_data();
    void updateThroughThePage();
    void faults_data();
    void faults();
    void refusedBeforeAnythingIsSent_data();
    void refusedBeforeAnythingIsSent();
    void imageReadOnceBeforeTheQuestion_data();
    void imageReadOnceBeforeTheQuestion();
    void portNotOpened_data();
    void portNotOpened();
};

void TestUpdateEndToEnd::updateThroughThePage_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("type");

    QTest::newRow("update box, 32-byte blocks") << "box" << 1;
    QTest::newRow("adapter, 64-byte blocks") << "adapter" << 2;
}

// The port page's detection finds the programmer; the update page's start button runs the update
// at the line's pace and the user answers Yes: the buttons disabled while it runs, other timers
// of the program firing and the progress bar repainted while the blocks go out, the lines in
// order, green, the bar 1 short of the image's length, the buttons enabled again, and the
// decoder's flash holds the payload byte for byte.
void TestUpdateEndToEnd::updateThroughThePage()
{
    QFETCH(QString, kind);
    QFETCH(int, type);
    const int blocks = PagePayload / *BlockTransfer::BlockSizeOf(type);
    Track track(kind, type, PagePayload, QStringLiteral("line-rate=1"));
    QVERIFY(track.rig.StartAndScan());
    track.rig.ports.LeavePage();
    const bool adapter = kind == QLatin1String("adapter");
    QCOMPARE(Module_DU::State().SelectedPort, QString::number(DecoderCom));
    QCOMPARE(Module_DU::State().AdapterActive, adapter);
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
    QCOMPARE(track.Wire().count(AdapterOn) - adapterOnBefore, adapter ? 1 : 0);
    QCOMPARE(track.Flash(), track.Payload());
}

void TestUpdateEndToEnd::faults_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<UpdateOutcome>("outcome");
    QTest::addColumn<bool>("retried"); // retry lines were shown on the way

    QTest::newRow("lost replies") << "lost-reply=0.2&seed=7" << UpdateOutcome::Finished << true;
    QTest::newRow("corrupted blocks") << "bad-block=0.2&seed=7" << UpdateOutcome::Finished << true;
    QTest::newRow("lost blocks") << "lost-block=0.2&seed=7" << UpdateOutcome::Finished << true;
    // 30 ms late is still inside the block's reply window of 5 ticks.
    QTest::newRow("late replies") << "slow-reply=0.2&seed=7" << UpdateOutcome::Finished << false;
    QTest::newRow("garbage replies") << "garbage=0.2&seed=7" << UpdateOutcome::Finished << true;
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

void TestUpdateEndToEnd::refusedBeforeAnythingIsSent_data()
{
    QTest::addColumn<QByteArray>("software");
    QTest::addColumn<QStringList>("refusal"); // the lines between the search and the end

    const QByteArray good = Software(DecoderId, 1, 64);
    const int start = UpdateRig::EntryOf(good, DecoderId).Start;
    QTest::newRow("file ends inside the image")
        << good.left(start + 10)
        << QStringList{"TB12 " + T(TextId::Found), T(TextId::SoftwareFileCorrupt)};
    // The index moves the image 8 bytes on, to position 35, and gives it 2^32 bytes.
    const QByteArray index = QByteArrayLiteral("DF;1;12;35;4294967296;TB12;1.00;1.");
    QTest::newRow("image length beyond 32 bits")
        << index + good.mid(start - 1)
        << QStringList{"TB12 " + T(TextId::Found), T(TextId::SoftwareFileCorrupt)};
    QTest::newRow("image without a whole block")
        << Software(DecoderId, 1, 31)
        << QStringList{"TB12 " + T(TextId::Found),
                       "The image holds no whole block; nothing was sent"};
    QByteArray otherIdByte = good;
    otherIdByte[start] = char(OtherId); // position START + 1
    QTest::newRow("image made for another decoder")
        << otherIdByte
        << QStringList{"TB12 " + T(TextId::Found),
                       "Geladene Software ist nicht für dieses Produkt",
                       "Update wird nicht durchgeführt"};
    QTest::newRow("decoder missing from the file")
        << Software(OtherId, 1, 64)
        << QStringList{"Verbindungsaufbau erfolgreich", "Unbekannter Dekoder gefunden",
                       "Softwarefile enthält keine Software", "für dieses Produkt"};
}

// The decoder answers its ID, but the file cannot serve it: nothing follows the ID on the wire.
void TestUpdateEndToEnd::refusedBeforeAnythingIsSent()
{
    QFETCH(QByteArray, software);
    QFETCH(QStringList, refusal);
    Track track(QStringLiteral("box"), 1, 64);
    track.WriteSoftware(software);
    MemoryRun run;
    const MemoryUpdateView &view = run.view;

    QCOMPARE(run.procedure.Run(), UpdateOutcome::EndedBeforeTransfer);
    QCOMPARE(view.infoLines,
             OpenedAndConnecting() + refusal + QStringList{T(TextId::PortClosed)});
    QVERIFY(track.Wire().endsWith(char(DecoderId)));
    QVERIFY(!run.procedure.Link().Comm().portopen());
    QCOMPARE(view.buttonStates, (QList<bool>{false, true}));
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


void TestUpdateEndToEnd::portNotOpened_data()
{
    QTest::addColumn<QString>("port"); // the port the port page chose
    QTest::addColumn<bool>("unplugged");
    QTest::addColumn<QString>("reason"); // "DEVICE" stands for the programmer's description

    QTest::newRow("no port chosen")
        << "" << false << "no port chosen, the port page found no serial port";
    QTest::newRow("programmer unplugged after the scan")
        << QString::number(DecoderCom) << true << "DEVICE: No such device";
}

// "Update starten!" on a port that does not open: the page says which device and why, and what
// to try, and sends nothing.
void TestUpdateEndToEnd::portNotOpened()
{
    QFETCH(QString, port);
    QFETCH(bool, unplugged);
    QFETCH(QString, reason);
    Track track(QStringLiteral("box"), 1, 64);
    SimDevice *programmer = track.rig.Device(DecoderCom);
    reason.replace(QLatin1String("DEVICE"), programmer->Description());
    Module_DU::State().SelectedPort = port;
    if (unplugged)
        programmer->Unplug();

    Page page;
    page.StartUpdate();
    QCOMPARE(Lines(page.page), (QStringList{T(TextId::ErrorOpeningPort),
                                            T(TextId::PortNotOpened) + ' ' + reason,
                                            T(TextId::ReplugProgrammer)}));
    QCOMPARE(ButtonsEnabled(page.page), QList<bool>(4, true));
    QVERIFY(track.Wire().isEmpty());
}

QTEST_MAIN(TestUpdateEndToEnd)
#include "test_update_end_to_end.moc"
