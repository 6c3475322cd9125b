// tobrik-cli update run as a user runs it, in a child process: the port scan, the file, the
// whole update against a simulated programmer with a decoder on its track, its exit status,
// an invented image kept from a device, refusals before any port is opened, and termination signals during the update.
#include "history/UpdateHistory.h"
#include "sim/PtyLink.h"
#include "sim/SimPortAddress.h"
#include "software/DswGeneratorMark.h"
#include "support/DswBuilder.h"
#include "support/TestEnvironment.h"
#include "support/TestFolders.h"
#include "support/UpdateRig.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

namespace {
constexpr int TrackDecoder = 12;
// Only an upper bound for a child that hangs; a run takes a few seconds.
constexpr int ChildPatienceMs = 60000;
constexpr int UsageStatus = 64;
constexpr int UnconfirmedStatus = 3;

// Two blocks of 32 bytes per image, so a run stays short.
const QStringList SoftwareEntries{"12:TB-M10:2.14:1:64", "13:TB-M11:1.00:1:64"};
// Enough blocks that, at the line's pace, signals sent after the third still find the
// transfer running.
const QStringList LongImage{"12:TB-M10:2.14:1:1280"};

// Found by trying: with lost-reply=0.5 this seed loses exactly the reply to the last block, of
// the six the two-block update gets (the ID's, three of the handshake, two blocks').
const QString LoseLastBlockReply = QStringLiteral("&lost-reply=0.5&seed=58");

const QStringList Opening{"Comm port open", "Connecting to decoder..."};
const QStringList Transfer{"TB-M10 found", "Update in progress"};
const QStringList Ending{"Update finished", "Comm port closed"};
const QStringList WholeUpdate = Opening + Transfer + Ending;

struct CliRun {
    int exitCode = -1;
    QStringList lines; // standard output
    QString errors;    // standard error
};

// A software file and a flash file in a folder of their own, and fresh program folders.
class Workspace {
public:
    explicit Workspace(const QStringList &entries = SoftwareEntries, bool fixed = false)
    {
        software = DswBuilder::Build(entries, fixed);
        Write();
    }

    // The file as a maker's would be: the same images without our generator's mark.
    void Unmark()
    {
        software.replace(DswGenerator::Mark, QByteArray(DswGenerator::Mark.size(), '\0'));
        Write();
    }

    // COM3 pinned to a simulated programmer of kind with the track decoder and its flash file.
    QString Ports(const QString &kind, const QString &moreKeys = {}) const
    {
        return QStringLiteral("3=sim:%1?decoder=%2&flash=%3")
                   .arg(kind)
                   .arg(TrackDecoder)
                   .arg(QString::fromLatin1(QUrl::toPercentEncoding(flashPath)))
               + moreKeys;
    }
    QByteArray Flash() const { return TestFolders::ReadFile(flashPath); }
    QByteArray Payload() const { return UpdateRig::PayloadOf(software, TrackDecoder); }

    TestFolders folders;
    QTemporaryDir dir;
    QByteArray software;
    QString softwarePath = dir.filePath("DECODERSW.DAT");
    QString flashPath = dir.filePath("flash.bin");

private:
    void Write() const
    {
        if (!DswBuilder::WriteFile(softwarePath, software))
            qFatal("cannot write %s", qPrintable(softwarePath));
    }
};

// tobrik-cli with the port map ports; false when it does not start.
bool StartCli(QProcess &cli, const QString &ports, const QStringList &arguments)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("TOBRIK_PORTS", ports);
    cli.setProcessEnvironment(environment);
    cli.start(TestEnvironment::CliPath(), arguments);
    return cli.waitForStarted();
}

// tobrik-cli update, standard input closed at once.
CliRun RunUpdate(const QString &ports, const QStringList &arguments)
{
    QProcess cli;
    CliRun run;
    if (!StartCli(cli, ports, QStringList{"update"} + arguments))
        return run;
    cli.closeWriteChannel();
    if (!cli.waitForFinished(ChildPatienceMs)) {
        cli.kill();
        cli.waitForFinished();
        return run;
    }
    run.exitCode = cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1;
    run.lines = QString::fromUtf8(cli.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    run.errors = QString::fromUtf8(cli.readAllStandardError());
    return run;
}
} // namespace

class UpdateCliTest : public QObject {
    Q_OBJECT
private slots:
    void updatesTheDecoder_data();
    void updatesTheDecoder();
    void keepsAnInventedImageFromADevice_data();
    void keepsAnInventedImageFromADevice();
    void sendsNothingUnasked_data();
    void sendsNothingUnasked();
    void secondSignalStopsTheTransfer();
};

void UpdateCliTest::updatesTheDecoder_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("faults");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("errorsContain");
    QTest::addColumn<int>("status");

    // The numbers go in as typed: their leading number counts.
    QTest::newRow("adapter, detected, numbers as typed")
        << "adapter" << QString()
        << QStringList{"--no-query", "--pream", "6 pairs", "--timing-soll", "30ms", "--log"}
        << WholeUpdate
        << QStringList{"QXBRISK/QXHALDA on Comm 3 found", "Port 3 geöffnet",
                       "Timing messen. Soll=30ms", "Preamble gesendet. Anz.=6 "}
        << 0;
    // Its status byte says it is no update box; the user's word counts all the same. Its probe
    // lies beyond the image: the end is reached, but the decoder may lack that block.
    QTest::newRow("box the probe does not take, forced; reply to the last block lost")
        << "box" << QStringLiteral("&status=41") + LoseLastBlockReply
        << QStringList{"--port", "3", "--force", "--yes"}
        << Opening + Transfer
               + QStringList{"Timeout Block 1 Retry 1", "Update finished",
                             "Not confirmed by the decoder: block 1", "Comm port closed"}
        << QStringList{"Result: finished, unconfirmed (amber)"} << UnconfirmedStatus;
}

// A whole update, from the port scan to the closed port: the page's lines in order, and the
// image's payload in the decoder's flash.
void UpdateCliTest::updatesTheDecoder()
{
    QFETCH(QString, kind);
    QFETCH(QString, faults);
    QFETCH(QStringList, options);
    QFETCH(QStringList, lines);
    QFETCH(QStringList, errorsContain);
    QFETCH(int, status);
    Workspace workspace;
    const CliRun run = RunUpdate(workspace.Ports(kind, faults),
                                 QStringList{"--file", workspace.softwarePath, "--decoder",
                                             QString::number(TrackDecoder)}
                                     + options);
    QVERIFY2(run.exitCode == status, qPrintable(run.errors));
    QCOMPARE(run.lines, lines);
    for (const QString &part : errorsContain)
        QVERIFY2(run.errors.contains(part), qPrintable(part));
    // A pipe gets no progress bar.
    QVERIFY(!run.errors.contains('\r'));
    QCOMPARE(workspace.Flash(), workspace.Payload());
}

void UpdateCliTest::keepsAnInventedImageFromADevice_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("decoder");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("update page")
        << QStringList{"--decoder", QString::number(TrackDecoder)} << TrackDecoder
        << Opening
               + QStringList{"TB-M10 found",
                             "Invented software (for the simulator only): not sent to a real "
                             "decoder",
                             "Comm port closed"};
    // The alternative method finds its decoder among the IDs 200 to 209.
    QTest::newRow("alternative method")
        << QStringList{"--alternative"} << 200
        << QStringList{"Comm Port geöffnet", "Versuche Verbindung aufzubauen", "TB-M10 gefunden",
                       "Erfundene Software (nur für den Simulator): wird an keinen echten "
                       "Decoder gesendet",
                       "Comm Port geschlossen"};
}

// The simulator in a process of its own behind a pseudo-terminal, opened by the real serial
// back end. A pseudo-terminal is a device of the machine like any serial port, so an image our
// generator invented never goes there: the run fails before the question, with nothing sent.
void UpdateCliTest::keepsAnInventedImageFromADevice()
{
    QFETCH(QStringList, options);
    QFETCH(int, decoder);
    QFETCH(QStringList, lines);
    Workspace workspace({QStringLiteral("%1:TB-M10:214:1:64").arg(decoder)}, true);
    QProcess simulator;
    simulator.start(TestEnvironment::CliPath(),
                    {"simulate", "--adapter", "--decoder", QString::number(decoder), "--flash",
                     workspace.flashPath});
    QVERIFY(simulator.waitForStarted());
    QVERIFY(QTest::qWaitFor([&] { return simulator.canReadLine(); }, ChildPatienceMs));
    const QString path = QString::fromLocal8Bit(simulator.readLine()).trimmed();

    const CliRun run = RunUpdate("3=" + path, QStringList{"--port", "3", "--file",
                                                          workspace.softwarePath, "--yes"}
                                                  + options);
    QVERIFY2(run.exitCode == 1, qPrintable(run.errors));
    QCOMPARE(run.lines, lines);
    simulator.terminate();
    QVERIFY(simulator.waitForFinished(ChildPatienceMs));
    QVERIFY(workspace.Flash().isEmpty());
}

void UpdateCliTest::sendsNothingUnasked_data()
{
    QTest::addColumn<QString>("pins"); // %1: the track decoder's keys
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("error");

    const QStringList onCom3{"--port", "3"};
    const QStringList track{"--decoder", QString::number(TrackDecoder)};
    QTest::newRow("nothing answered the detection")
        << "3=sim:none;5=sim:box?status=41&%1" << track << 1
        << "no programmer found (ports probed: COM3 (Simulated port, nothing attached), COM5 "
           "(Simulated update box))";
    // Its name marks an adapter, so the click takes it unprobed; the box found elsewhere does
    // not count for it.
    QTest::newRow("--port named as an adapter, silent, beside a box")
        << "3=sim:none?description=VARNO%20adapter;5=sim:box?%1" << track + onCom3 << 1
        << "no programmer found on COM3 (VARNO adapter)";
    // Checked against the file before the programmer that is there is even looked for.
    QTest::newRow("decoder the file does not hold")
        << "3=sim:box?%1" << QStringList{"--decoder", "99", "--decoder", "13"} + onCom3
        << UsageStatus << "holds no image for --decoder 99; it holds the IDs 12, 13";
}

// No programmer's answer, or a decoder the file lacks: the update page never opens a port, so
// it prints none of its lines and the decoder's flash stays untouched.
void UpdateCliTest::sendsNothingUnasked()
{
    QFETCH(QString, pins);
    QFETCH(QStringList, options);
    QFETCH(int, status);
    QFETCH(QString, error);
    Workspace workspace;
    const QString trackKeys = workspace.Ports("box").section('?', 1);
    const CliRun run = RunUpdate(pins.replace("%1", trackKeys),
                                 QStringList{"--file", workspace.softwarePath, "--yes"} + options);
    QVERIFY2(run.exitCode == status, qPrintable(run.errors));
    QCOMPARE(run.lines, QStringList());
    QVERIFY2(run.errors.contains(error), qPrintable(run.errors));
    QVERIFY(workspace.Flash().isEmpty());
}

// Two SIGTERMs during the transfer, with the adapter on a pseudo-terminal of this process at
// the line's pace: the first would let the run go on to its end, the second stops it. The port
// is closed, the adapter switched off and the decoder holds only the blocks sent.
void UpdateCliTest::secondSignalStopsTheTransfer()
{
    Workspace workspace(LongImage);
    workspace.Unmark(); // a pseudo-terminal is a device of the machine
    const std::shared_ptr<SimDevice> adapter = SimPortAddress::Create(
        workspace.Ports("adapter", "&line-rate=1").section(QLatin1Char('='), 1));
    QVERIFY(adapter);
    PtyLink link(adapter);
    QString error;
    QVERIFY2(link.Open(&error), qPrintable(error));

    QProcess cli;
    QVERIFY(StartCli(cli, "3=" + link.Path(),
                     QStringList{"update", "--port", "3", "--file", workspace.softwarePath,
                                 "--decoder", QString::number(TrackDecoder), "--log", "--yes"}));
    QString errors;
    // Whether standard error has said text; a child that has ended will say nothing more.
    const auto said = [&cli, &errors](const QString &text) {
        const bool saidOrEnded = QTest::qWaitFor(
            [&] {
                errors += QString::fromUtf8(cli.readAllStandardError());
                return errors.contains(text) || cli.state() == QProcess::NotRunning;
            },
            ChildPatienceMs);
        return saidOrEnded && errors.contains(text);
    };
    QVERIFY2(said("Block=3"), qPrintable(errors));
    cli.terminate();
    QVERIFY2(said("finishing the update; signal again to stop now"), qPrintable(errors));
    cli.terminate();
    QVERIFY(QTest::qWaitFor([&cli] { return cli.state() == QProcess::NotRunning; },
                            ChildPatienceMs));

    errors += QString::fromUtf8(cli.readAllStandardError());
    QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
    QVERIFY2(cli.exitCode() == 1, qPrintable(errors));
    const QStringList lines =
        QString::fromUtf8(cli.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    QVERIFY2(lines.endsWith("Comm port closed") && lines.contains("Update stopped on request"),
             qPrintable(lines.join('\n')));
    QTRY_VERIFY(adapter->Received().endsWith("FLINT_AUS\r")); // once this process has read it
    const QByteArray flash = workspace.Flash();
    QVERIFY(!flash.isEmpty() && flash.size() < workspace.Payload().size());
    QVERIFY(workspace.Payload().startsWith(flash));
    const std::vector<UpdateRecord> history =
        UpdateHistory::Read(workspace.folders.UserFolder() + "Update_History.jsonl");
    QCOMPARE(history.size(), size_t{1});
    QCOMPARE(ResultName(history[0].result), "interrupted");
}

QTEST_MAIN(UpdateCliTest)
#include "test_update_cli.moc"
