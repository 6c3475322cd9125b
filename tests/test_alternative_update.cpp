// The update page's alternative method against the simulated decoder: the bytes it writes (the
// probes, the handshake, the blocks and where the stream stops), the decoder's flash after it,
// every way it ends before the transfer, and a stop asked for.
#include "history/UpdateHistory.h"
#include "SimPortRig.h"
#include "support/DswBuilder.h"
#include "support/UpdateRig.h"

#include "app/LanguageTexts.h"
#include "app/Module_DU.h"
#include "sim/SimDecoder.h"
#include "sim/SimUpdateBox.h"
#include "software/DswGenerator.h"
#include "update/AlternativeUpdate.h"
#include "update/MemoryUpdateView.h"
#include "update/UpdateLink.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(AlternativeOutcome)

namespace {
constexpr int DecoderCom = 3;
constexpr int FirstProbe = 200;
constexpr int WakeUpPairs = 10;
// The pause after each full block, while the decoder writes it, is 100 ms; timer ticks may come
// a little early, a stream without the pause takes a few milliseconds.
constexpr int LeastBlockPauseMs = 50;

const QString Opened = QStringLiteral("Comm Port geöffnet");
const QString Connecting = QStringLiteral("Versuche Verbindung aufzubauen");
const QString Closed = QStringLiteral("Comm Port geschlossen");
const QStringList Transferred{"Update wird durchgeführt", "Übertragung abgeschlossen", Closed};
const QString Information =
    QStringLiteral("Übertragung beendet|Übertragung beendet, bitte kontrollieren Sie die Funktion "
                   "des Decoders und führen Sie bei einem Mißerfolg das Update noch einmal durch.");

QString Found(int id)
{
    return QStringLiteral("TB%1 gefunden").arg(id);
}

// A decoder software file with one image for id holding payload, fixed-width unless told.
QByteArray Software(int id, int type, const QByteArray &payload, bool fixed = true)
{
    const QString entry = QStringLiteral("%1:TB%1:1.0:%2:%3").arg(id).arg(type).arg(payload.size());
    return UpdateRig::WithPayload(DswBuilder::Build({entry}, fixed), id, payload);
}

// A payload whose bytes count up from first.
QByteArray Counting(int length, int first = 1)
{
    QByteArray bytes;
    for (int i = 0; i < length; ++i)
        bytes.append(static_cast<char>(first + i));
    return bytes;
}

// The wire up to the probe of lastId: each ID from 200 on after its own wake-up pairs.
QByteArray Probes(int lastId)
{
    QByteArray wire;
    for (int id = FirstProbe; id <= lastId; ++id)
        wire += QByteArray("\xEF\xBF").repeated(WakeUpPairs) + char(id);
    return wire;
}

// The handshake for the generator's lead byte.
QByteArray Handshake()
{
    return QByteArray(1, char(DswGenerator::DefaultLeadByte - 1)) + '\x55' + '\xAA';
}

QString BoxWithDecoder(int id, int blockBytes = 32)
{
    return QStringLiteral("%1=sim:box?decoder=%2&block=%3").arg(DecoderCom).arg(id).arg(blockBytes);
}

// Simulated ports, the software file as SoftwareFilePath (a null one is left missing), COM3
// as SelectedPort, and the folder the file lies in as the user's working folder (the history).
class Track {
public:
    Track(const QString &ports, const QByteArray &software) : sim(ports)
    {
        const QString path = folder.filePath(QStringLiteral("DECODERSW.DAT"));
        if (!software.isNull())
            QVERIFY(DswBuilder::WriteFile(path, software));
        Module_DU::State().SelectedPort = QString::number(DecoderCom);
        Module_DU::State().SoftwareFilePath = path;
        Module_DU::State().UserFolder = folder.path() + '/';
        LanguageTexts::FillBuiltInTexts();
    }

    // The result of the one history record the run left.
    QString RecordedResult() const
    {
        const std::vector<UpdateRecord> history = UpdateHistory::Read();
        return history.size() == 1 ? ResultName(history[0].result) : QStringLiteral("<none or more>");
    }

    // Everything the program has written to the programmer.
    QByteArray Wire() const { return sim.Device(DecoderCom)->Received(); }
    // The decoder's flash; empty without a decoder.
    QByteArray Flash() const
    {
        const auto *box = sim.Device<SimUpdateBox>(DecoderCom);
        return box && box->Decoder() ? box->Decoder()->Flash() : QByteArray();
    }
    bool PortOpen() const { return sim.Device(DecoderCom)->Connected(); }

    QTemporaryDir folder;
    SimPortRig sim;
};

// The page kept in memory, with the time of each progress step: the bar moves after each full
// block.
struct TimedView : MemoryUpdateView {
    TimedView() { clock.start(); }
    void SetProgress(float percent) override
    {
        MemoryUpdateView::SetProgress(percent);
        steps.append(clock.elapsed());
    }
    QElapsedTimer clock;
    QList<qint64> steps; // milliseconds
};

// The method with the page kept in memory.
struct MemoryRun {
    TimedView view;
    UpdateLink link{view};
    AlternativeUpdate update{view, link};
};

} // namespace

class TestAlternativeUpdate : public QObject {
    Q_OBJECT

private slots:
    void transfersTheImage_data();
    void transfersTheImage();
    void endsBeforeTheTransfer_data();
    void endsBeforeTheTransfer();
    void stopsOnRequest();
};

void TestAlternativeUpdate::transfersTheImage_data()
{
    QTest::addColumn<int>("decoder");
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QByteArray>("blocks"); // the wire after the handshake
    QTest::addColumn<int>("progress");      // after the last full block

    // Checksums where XOR and sum differ: 1 to 32 give 0x20 (sum 0x10), then block 1's number,
    // 0x10 and 0x20 give 0x31; 1 to 64 give 0x40 (sum 0x20).
    const QByteArray first = Counting(32);
    const QByteArray second = QByteArray("\x10\x20") + QByteArray(30, '\0');
    QTest::newRow("found at 203; type 1, last block full, then the next number")
        << 203 << 1 << first + second
        << '\x00' + first + '\x20' + '\x01' + second + '\x31' + '\x02' << 98; // 65 of 66
    const QByteArray payload100 = Counting(100);
    QTest::newRow("type 2, blocks of 64; the last, short, without its checksum")
        << 200 << 2 << payload100
        << '\x00' + payload100.left(64) + '\x40' + '\x01' + payload100.mid(64) << 64; // 65 of 102
}

// One whole run: each probe after its own wake-up pairs up to the ID that answers, the
// handshake, and the blocks until the first position past the image. The question is asked
// although the page's options would skip it in the main update.
void TestAlternativeUpdate::transfersTheImage()
{
    QFETCH(int, decoder);
    QFETCH(int, type);
    QFETCH(QByteArray, payload);
    QFETCH(QByteArray, blocks);
    QFETCH(int, progress);
    const int blockBytes = type == 2 ? 64 : 32;
    Track track(BoxWithDecoder(decoder, blockBytes), Software(decoder, type, payload));
    MemoryRun run;
    run.view.noQuery = true;
    run.view.blind = true;

    QCOMPARE(run.update.Run(), AlternativeOutcome::Completed);
    QCOMPARE(track.Wire(), Probes(decoder) + Handshake() + blocks);
    // The decoder stores the full blocks only.
    QCOMPARE(track.Flash(), payload.left(payload.size() / blockBytes * blockBytes));
    QCOMPARE(run.view.infoLines, QStringList({Opened, Connecting, Found(decoder)}) + Transferred);
    QCOMPARE(run.view.questions,
             QStringList{"Decoder gefunden|" + Found(decoder)
                         + ", wollen Sie das Update durchführen?"});
    QCOMPARE(run.view.informations, QStringList{Information});
    QCOMPARE(qRound(run.view.progress), progress);
    for (qsizetype step = 1; step < run.view.steps.size(); ++step)
        QVERIFY(run.view.steps.at(step) - run.view.steps.at(step - 1) >= LeastBlockPauseMs);
    QCOMPARE(run.view.buttonStates, QList<bool>({false, true}));
    QVERIFY(track.sim.log.contains(Found(decoder)));
    QVERIFY(!track.PortOpen());
    QCOMPARE(track.RecordedResult(), "finished");
    const UpdateRecord record = UpdateHistory::Read().at(0);
    QCOMPARE(record.method, "alternative");
    QCOMPARE(record.blocks, payload.size() / blockBytes);
    QCOMPARE(record.blocksAcknowledged, 0); // nothing is awaited
}

void TestAlternativeUpdate::endsBeforeTheTransfer_data()
{
    QTest::addColumn<QString>("ports");
    QTest::addColumn<QByteArray>("software");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<AlternativeOutcome>("outcome");
    QTest::addColumn<QStringList>("lines"); // after "Comm Port geöffnet" and the search
    QTest::addColumn<QByteArray>("wire");

    const QByteArray good = Software(FirstProbe, 1, Counting(64));
    const QString box = BoxWithDecoder(FirstProbe);
    QTest::newRow("port busy") << QString("3=sim:busy") << good << true
                               << AlternativeOutcome::PortNotOpened
                               << QStringList{"Fehler beim Öffnen der Com-Schnittstelle",
                                              "Port not opened: Simulated port in use elsewhere: "
                                              "Device or resource busy",
                                              LanguageTexts::BuiltInText(
                                                  int(TextId::ReplugProgrammer))}
                               << QByteArray();
    QTest::newRow("token index") << box << Software(FirstProbe, 1, Counting(64), false) << true
                                 << AlternativeOutcome::FileInvalid
                                 << QStringList{"Softwarefile ist ungültig"} << Probes(FirstProbe);
    QTest::newRow("ID not in the index")
        << BoxWithDecoder(201) << good << true << AlternativeOutcome::DecoderUnknown
        << QStringList{"Verbindungsaufbau erfolgreich", "Unbekannter Dekoder gefunden",
                       "Softwarefile enthält keine Software", "für dieses Produkt"}
        << Probes(201);
    QByteArray otherIdByte = good;
    otherIdByte[qsizetype(UpdateRig::EntryOf(good, FirstProbe).Start)] = char(FirstProbe + 1);
    QTest::newRow("ID byte differs")
        << box << otherIdByte << true << AlternativeOutcome::WrongImage
        << QStringList{Found(FirstProbe), "Geladene Software ist nicht für dieses Produkt",
                       "Update wird nicht durchgeführt"}
        << Probes(FirstProbe);
    QTest::newRow("image runs past the file's end")
        << box << good.chopped(1) << true << AlternativeOutcome::ImageUnusable
        << QStringList{Found(FirstProbe), "Softwarefile ist ungültig"} << Probes(FirstProbe);
    QTest::newRow("image without a whole block")
        << box << Software(FirstProbe, 1, Counting(31)) << true << AlternativeOutcome::ImageUnusable
        << QStringList{Found(FirstProbe), "Kein ganzer Block im Abbild, nichts gesendet"}
        << Probes(FirstProbe);
    QTest::newRow("No to the question") << box << good << false << AlternativeOutcome::Declined
                                        << QStringList{Found(FirstProbe)} << Probes(FirstProbe);
}

// Every way out before the transfer: its lines, nothing sent after the probe, the decoder's
// flash untouched, the port closed and the buttons enabled again.
void TestAlternativeUpdate::endsBeforeTheTransfer()
{
    QFETCH(QString, ports);
    QFETCH(QByteArray, software);
    QFETCH(bool, answer);
    QFETCH(AlternativeOutcome, outcome);
    QFETCH(QStringList, lines);
    QFETCH(QByteArray, wire);
    Track track(ports, software);
    MemoryRun run;
    run.view.answer = answer;

    QCOMPARE(run.update.Run(), outcome);
    const bool opened = outcome != AlternativeOutcome::PortNotOpened;
    const QStringList expected =
        opened ? QStringList({Opened, Connecting}) + lines + QStringList{Closed} : lines;
    QCOMPARE(run.view.infoLines, expected);
    QCOMPARE(track.Wire(), wire);
    QCOMPARE(run.view.buttonStates, QList<bool>({false, true}));
    QVERIFY(!track.PortOpen());
    QVERIFY(run.view.informations.isEmpty());
    QVERIFY(track.Flash().isEmpty());
    QCOMPARE(track.RecordedResult(), outcome == AlternativeOutcome::Declined ? "declined" : "failed");
}

// A stop asked for (a second signal to tobrik-cli) ends the stream before its next block, and
// the run still closes down.
void TestAlternativeUpdate::stopsOnRequest()
{
    Track track(BoxWithDecoder(FirstProbe), Software(FirstProbe, 1, Counting(64)));
    MemoryRun run;
    Module_DU::State().StopUpdate = true;

    QCOMPARE(run.update.Run(), AlternativeOutcome::Stopped);
    QCOMPARE(run.view.infoLines.mid(3), (QStringList{"Update wird durchgeführt",
                                                     "Übertragung auf Wunsch abgebrochen", Closed}));
    QVERIFY(!track.PortOpen());
    QVERIFY(track.Flash().isEmpty());
    QCOMPARE(track.RecordedResult(), "interrupted");
}

QTEST_MAIN(TestAlternativeUpdate)
#include "test_alternative_update.moc"
