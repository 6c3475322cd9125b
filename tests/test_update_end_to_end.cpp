// Updates against the simulated decoder (its state machine and flash), not a script: a whole one
// through the update page's controls as a user runs them after the port page, the window kept
// alive while the image goes out; one that a block refused every time ends.
#include "SimPortRig.h"
#include "TestFolders.h"
#include "support/AnsweringDialogs.h"
#include "support/DswBuilder.h"
#include "support/UpdatePageControls.h"
#include "support/UpdateRig.h"

#include "app/LanguageTexts.h"
#include "app/Module_DU.h"
#include "update/MemoryUpdateView.h"
#include "update/UpdateProcedure.h"
#include "update/frm_update.h"

#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QtTest>

namespace {
using namespace UpdatePageControls;

constexpr int DecoderId = 12;
constexpr int DecoderCom = 3;
const QByteArray AdapterOn = QByteArrayLiteral("FLINT_EIN\r");
// Several ticks fit into the transfer of the blocks at the line's pace.
constexpr int TickerMs = 10;
constexpr int PagePayload = 192; // 3 blocks of 64 bytes
// Blocks beyond the refused one, so that its failures are not the last block's.
constexpr int RefusedPayload = 640;

// The text the program shows for id: every run here has the built-in English texts.
QString T(TextId id)
{
    return LanguageTexts::BuiltInText(static_cast<int>(id));
}

// A decoder software file with one image for DecoderId of 64-byte blocks, chosen on the file
// page, and a simulated programmer of kind (with keys) behind COM3 with the decoder on its
// track, writing its flash to a file. SelectedPort is COM3.
class Track {
public:
    Track(const QString &kind, const QString &keys, int payload = PagePayload)
        : rig(QStringLiteral("%1=sim:%2?decoder=%3&block=64&%4&flash=%5")
                  .arg(DecoderCom)
                  .arg(kind)
                  .arg(DecoderId)
                  .arg(keys)
                  .arg(QString::fromLatin1(QUrl::toPercentEncoding(FlashPath())))),
          software(DswBuilder::Build({QStringLiteral("%1:TB%1:1.00:2:%2").arg(DecoderId).arg(payload)}))
    {
        LanguageTexts::FillBuiltInTexts();
        QVERIFY(DswBuilder::WriteFile(SoftwarePath(), software));
        auto &state = Module_DU::State();
        state.SelectedPort = QString::number(DecoderCom);
        state.SoftwareFilePath = SoftwarePath();
        state.ChosenDecoders = QStringList{QString::number(DecoderId)};
    }

    QString SoftwarePath() const { return folder.filePath(QStringLiteral("DECODERSW.DAT")); }
    QString FlashPath() const { return folder.filePath(QStringLiteral("flash.bin")); }
    // Everything the program has written to the programmer.
    QByteArray Wire() const { return rig.Device(DecoderCom)->Received(); }

    QTemporaryDir folder;
    SimPortRig rig;
    QByteArray software;
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
    void blockRefusedEveryTimeFails();
};

// The port page's detection finds the adapter and switches it on; the update page's start button runs the update
// at the line's pace and the user answers Yes: the buttons disabled while it runs, other timers
// of the program firing and the progress bar repainted while the blocks go out, the lines in
// order, green, the bar 1 short of the image's length, the buttons enabled again, and the
// decoder's flash holds the payload byte for byte.
void TestUpdateEndToEnd::updateThroughThePage()
{
    const int blocks = 3; // of 64 bytes
    Track track(QStringLiteral("adapter"), QStringLiteral("line-rate=1"));
    QVERIFY(track.rig.StartAndScan());
    track.rig.ports.LeavePage();
    QCOMPARE(Module_DU::State().SelectedPort, QString::number(DecoderCom));
    QVERIFY(Module_DU::State().AdapterActive);
    const qsizetype adapterOnBefore = track.Wire().count(AdapterOn);

    // The page as the file page's Next shows it, with bursts that calibrate at once: a target
    // of 0 ms is met by the smallest loop count.
    AnsweringDialogs dialogs;
    frm_update page;
    page.show();
    Control<QLineEdit>(page, "txt_timing")->setText(QStringLiteral("1000"));
    Control<QLineEdit>(page, "txt_timing_soll")->setText(QStringLiteral("0"));
    Control<QLineEdit>(page, "txt_pream")->setText(QStringLiteral("10"));
    QList<bool> whileRunning;
    QTimer::singleShot(0, &page, [&] { whileRunning = ButtonsEnabled(page); });
    PaintCounter counter;
    Control(page, "ProgressBar1")->installEventFilter(&counter);
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

    Button(page, "Command3")->click();
    QCOMPARE(whileRunning, QList<bool>(4, false));
    QVERIFY(ticks > 0);
    QVERIFY(counter.paints > 0);
    const QStringList transferred{"TB12 " + T(TextId::Found), T(TextId::UpdateInProgress),
                                  T(TextId::UpdateFinished), T(TextId::PortClosed)};
    const QStringList opening{T(TextId::PortOpened), T(TextId::ConnectingToDecoder)};
    QCOMPARE(Lines(page), opening + transferred);
    QCOMPARE(Control(page, "List2")->palette().color(QPalette::Base), InfoColour::Finished);
    QCOMPARE(Control<QProgressBar>(page, "ProgressBar1")->value(), 99); // 193 of 194
    QCOMPARE(ButtonsEnabled(page), QList<bool>(4, true));
    QCOMPARE(dialogs.questions,
             QStringList{T(TextId::DecoderFound) + "|TB12 " + T(TextId::FoundWouldYouUpdate)});
    QCOMPARE(track.Wire().count(AdapterOn) - adapterOnBefore, 1);
    QCOMPARE(TestFolders::ReadFile(track.FlashPath()), UpdateRig::PayloadOf(track.software, DecoderId));
}

// A block the decoder refuses every time, block 1 taken again: the probing keeps coming back to
// block 2, and its refusals, counted across those returns, end the update in the end.
void TestUpdateEndToEnd::blockRefusedEveryTimeFails()
{
    Track track(QStringLiteral("box"), QStringLiteral("refuse-block=2"), RefusedPayload);
    MemoryUpdateView view;
    view.timing = QStringLiteral("1000");
    view.timingTarget = QStringLiteral("0");
    UpdateProcedure procedure(view);
    QCOMPARE(procedure.Run(), UpdateOutcome::Failed);
}

QTEST_MAIN(TestUpdateEndToEnd)
#include "test_update_end_to_end.moc"
