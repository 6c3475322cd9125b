// tobrik-cli update run as a user runs it, in a child process: the port scan, the file, the
// whole update against a simulated programmer with a decoder on its track, its exit status, and
// termination signals during the update. Also how every command takes its options: refusals,
// --help and --version.
#include "app/InfoVersionLine.h"
#include "app/modFunctions.h"
#include "sim/PtyLink.h"
#include "sim/SimPortAddress.h"
#include "software/DswGeneratorMark.h"
#include "support/DswBuilder.h"
#include "support/TestEnvironment.h"
#include "support/TestFolders.h"
#include "support/UpdateRig.h"

#include <QFileInfo>
#include <QLocale>
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

// What the decoder's flash holds after a run that signals interrupted.
enum class FlashAfter { Nothing, Whole, Part, Garbled };

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
    // The flash as it ends up after the run.
    FlashAfter FlashState() const
    {
        const QByteArray flash = Flash();
        if (flash.isEmpty())
            return FlashAfter::Nothing;
        if (flash == Payload())
            return FlashAfter::Whole;
        return Payload().startsWith(flash) ? FlashAfter::Part : FlashAfter::Garbled;
    }
    QByteArray Payload(int decoder = TrackDecoder) const
    {
        return UpdateRig::PayloadOf(software, decoder);
    }

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

// The environment of a user whose system speaks German.
QProcessEnvironment GermanUser()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("LANG", "de_DE.UTF-8");
    for (const char *overriding : {"LC_ALL", "LC_MESSAGES", "LANGUAGE"})
        environment.remove(overriding);
    return environment;
}

// tobrik-cli with the port map ports; false when it does not start.
bool StartCli(QProcess &cli, const QString &ports, const QStringList &arguments,
              QProcessEnvironment environment = QProcessEnvironment::systemEnvironment())
{
    environment.insert("TOBRIK_PORTS", ports);
    cli.setProcessEnvironment(environment);
    cli.start(TestEnvironment::CliPath(), arguments);
    return cli.waitForStarted();
}

CliRun RunCli(const QString &ports, const QStringList &arguments, const QByteArray &input = {},
              const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    QProcess cli;
    CliRun run;
    if (!StartCli(cli, ports, arguments, environment))
        return run;
    cli.write(input);
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

CliRun RunUpdate(const QString &ports, const QStringList &arguments, const QByteArray &input = {},
                 const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    return RunCli(ports, QStringList{"update"} + arguments, input, environment);
}
} // namespace

Q_DECLARE_METATYPE(FlashAfter)

class UpdateCliTest : public QObject {
    Q_OBJECT
private slots:
    void updatesTheDecoder_data();
    void updatesTheDecoder();
    void updatesOverPseudoTerminal_data();
    void updatesOverPseudoTerminal();
    void asksBeforeTheTransfer_data();
    void asksBeforeTheTransfer();
    void sendsNothingUnasked_data();
    void sendsNothingUnasked();
    void signalsDuringTheRun_data();
    void signalsDuringTheRun();
    void refusesWrongUsage_data();
    void refusesWrongUsage();
    void versionIsTheInfoLine();
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

void UpdateCliTest::updatesOverPseudoTerminal_data()
{
    QTest::addColumn<bool>("invented"); // the file as our generator made it, mark and all
    QTest::addColumn<QString>("pins"); // %1: the terminal's path
    QTest::addColumn<QString>("port");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("decoder");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("status");

    const QStringList options{"--decoder", QString::number(TrackDecoder)};
    QTest::newRow("a maker's image goes, by path, numbered for the run")
        << false << "" << "%1" << options << TrackDecoder << WholeUpdate << 0;
    QTest::newRow("an invented image stays")
        << true << "3=%1" << "3" << options << TrackDecoder
        << Opening
               + QStringList{"TB-M10 found",
                             "Invented software (for the simulator only): not sent to a real "
                             "decoder",
                             "Comm port closed"}
        << 1;
    // The alternative method finds its decoder among the IDs 200 to 209.
    QTest::newRow("the alternative method keeps an invented image too")
        << true << "3=%1" << "3" << QStringList{"--alternative"} << 200
        << QStringList{"Comm Port geöffnet", "Versuche Verbindung aufzubauen", "TB-M10 gefunden",
                       "Erfundene Software (nur für den Simulator): wird an keinen echten "
                       "Decoder gesendet",
                       "Comm Port geschlossen"}
        << 1;
}

// The simulator in a process of its own behind a pseudo-terminal, opened by the real serial
// back end; it writes its flash when the update closes the terminal. A pseudo-terminal is a
// device of the machine like any serial port, so an image our generator invented never goes
// there: the run ends before the question, with nothing of the image sent.
void UpdateCliTest::updatesOverPseudoTerminal()
{
    QFETCH(bool, invented);
    QFETCH(QString, pins);
    QFETCH(QString, port);
    QFETCH(QStringList, options);
    QFETCH(int, decoder);
    QFETCH(QStringList, lines);
    QFETCH(int, status);
    Workspace workspace({QStringLiteral("%1:TB-M10:214:1:64").arg(decoder)}, true);
    if (!invented)
        workspace.Unmark();
    QProcess simulator;
    simulator.start(TestEnvironment::CliPath(),
                    {"simulate", "--adapter", "--decoder", QString::number(decoder), "--flash",
                     workspace.flashPath});
    QVERIFY(simulator.waitForStarted());
    QVERIFY(QTest::qWaitFor([&] { return simulator.canReadLine(); }, ChildPatienceMs));
    const QString path = QString::fromLocal8Bit(simulator.readLine()).trimmed();
    QVERIFY2(path.startsWith("/dev/"), qPrintable(path));

    const CliRun run = RunUpdate(pins.replace("%1", path),
                                 QStringList{"--port", port.replace("%1", path), "--file",
                                             workspace.softwarePath, "--yes"}
                                     + options);
    QVERIFY2(run.exitCode == status, qPrintable(run.errors));
    QCOMPARE(run.lines, lines);
    if (!invented)
        QTRY_COMPARE(workspace.Flash(), workspace.Payload(decoder));

    simulator.terminate();
    QVERIFY(simulator.waitForFinished(ChildPatienceMs));
    QCOMPARE(simulator.exitCode(), 0);
    if (invented)
        QVERIFY(workspace.Flash().isEmpty());
}

void UpdateCliTest::asksBeforeTheTransfer_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("exitCode");

    QTest::newRow("German j, Windows line end") << QByteArray("j\r\n") << 0;
    QTest::newRow("end of input") << QByteArray() << 1;
}

// Without --yes the page's question is asked on standard input; only a yes, in any language
// the program ships, lets the transfer start.
void UpdateCliTest::asksBeforeTheTransfer()
{
    QFETCH(QByteArray, input);
    QFETCH(int, exitCode);
    Workspace workspace;
    const CliRun run = RunUpdate(workspace.Ports("box"),
                                 {"--port", "3", "--file", workspace.softwarePath, "--decoder",
                                  QString::number(TrackDecoder)},
                                 input);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.errors.contains("Decoder found: TB-M10 found, would you like to update? [y/N]"),
             qPrintable(run.errors));
    const QStringList lines =
        exitCode == 0 ? WholeUpdate : Opening + QStringList{"TB-M10 found", "Comm port closed"};
    QCOMPARE(run.lines, lines);
}

void UpdateCliTest::sendsNothingUnasked_data()
{
    QTest::addColumn<QByteArray>("contents"); // of a file chosen instead; empty: none there
    QTest::addColumn<QString>("pins");        // %1: the track decoder's keys
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("error");

    const QString box = QStringLiteral("3=sim:box?%1");
    const QStringList onCom3{"--port", "3"};
    // The system's reason in English, as the sentence around it.
    QTest::newRow("file missing") << QByteArray("") << box << onCom3 << 1
                                  << "chosen.dat: No such file or directory\n";
    QTest::newRow("not a decoder software file")
        << QByteArray("hello\n") << box << onCom3 << 1 << "is not a decoder software file";
    QTest::newRow("KT decoder")
        << DswBuilder::Build({"12:TB-M10:2.14:1:64", "70:TB-K70:1.00:3:64"}) << box << onCom3 << 1
        << "KT-Decoder werden derzeit nicht unterstützt. \nUpdate nur über USB-Stick möglich!\n";
    const QString nothingAttached = "COM3 (Simulated port, nothing attached)";
    QTest::newRow("nothing answered the detection")
        << QByteArray() << "3=sim:none;5=sim:box?status=41&%1" << QStringList() << 1
        << "no programmer found (ports probed: " + nothingAttached
               + ", COM5 (Simulated update box))";
    // Its name marks an adapter, so the click takes it unprobed; the box found elsewhere does
    // not count for it.
    QTest::newRow("--port named as an adapter, silent, beside a box")
        << QByteArray() << "3=sim:none?description=VARNO%20adapter;5=sim:box?%1" << onCom3 << 1
        << "no programmer found on COM3 (VARNO adapter)";
    QTest::newRow("alternative method, nothing answered")
        << QByteArray() << "3=sim:none" << QStringList{"--alternative"} << 1
        << "no programmer found";
    // Checked against the file before the programmer that is there is even looked for.
    QTest::newRow("decoder the file does not hold")
        << QByteArray() << box << QStringList{"--decoder", "99", "--decoder", "13"} << UsageStatus
        << "holds no image for --decoder 99; it holds the IDs 12, 13";
}

// A file the file page would not let the user go on with, no programmer's answer, or a decoder
// the file lacks: the update page never opens a port, so it prints none of its lines and the
// decoder's flash stays untouched. The user's system speaks German: the command's own lines
// stay English all the same.
void UpdateCliTest::sendsNothingUnasked()
{
    QFETCH(QByteArray, contents);
    QFETCH(QString, pins);
    QFETCH(QStringList, options);
    QFETCH(int, status);
    QFETCH(QString, error);
    Workspace workspace;
    QString file = workspace.softwarePath;
    if (!contents.isNull()) {
        file = workspace.dir.filePath("chosen.dat");
        if (!contents.isEmpty())
            QVERIFY(DswBuilder::WriteFile(file, contents));
    }
    const QStringList decoder = options.contains("--alternative") || options.contains("--decoder")
        ? QStringList()
        : QStringList{"--decoder", QString::number(TrackDecoder)};
    const QString trackKeys = workspace.Ports("box").section('?', 1);
    const CliRun run = RunUpdate(pins.replace("%1", trackKeys),
                                 QStringList{"--file", file, "--yes"} + decoder + options, {},
                                 GermanUser());
    QVERIFY2(run.exitCode == status, qPrintable(run.errors));
    QCOMPARE(run.lines, QStringList());
    QVERIFY2(run.errors.contains(error), qPrintable(run.errors));
    QVERIFY(workspace.Flash().isEmpty());
}

void UpdateCliTest::signalsDuringTheRun_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("signalAfter"); // on standard error
    QTest::addColumn<int>("signalCount");
    QTest::addColumn<QString>("line"); // on standard output, before "Comm port closed"
    QTest::addColumn<int>("status");
    QTest::addColumn<FlashAfter>("flash");

    // Standard input stays open: the answer is still to come when the signal arrives.
    QTest::newRow("at the question") << QStringList() << "[y/N]" << 1 << "TB-M10 found" << 1
                                     << FlashAfter::Nothing;
    QTest::newRow("in the transfer, once")
        << QStringList{"--yes"} << "Block=3" << 1 << "Update finished" << 0 << FlashAfter::Whole;
    QTest::newRow("in the transfer, twice") << QStringList{"--yes"} << "Block=3" << 2
                                            << "Update stopped on request" << 1 << FlashAfter::Part;
}

// SIGTERM during the run, with the adapter on a pseudo-terminal of this process at the line's
// pace. The first signal lets the run go on to its end; a second stops the transfer. Either way
// the port is closed and the adapter switched off.
void UpdateCliTest::signalsDuringTheRun()
{
    QFETCH(QStringList, options);
    QFETCH(QString, signalAfter);
    QFETCH(int, signalCount);
    QFETCH(QString, line);
    QFETCH(int, status);
    QFETCH(FlashAfter, flash);
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
                                 "--decoder", QString::number(TrackDecoder), "--log"}
                         + options));
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
    QVERIFY2(said(signalAfter), qPrintable(errors));
    for (int sent = 0; sent < signalCount; ++sent) {
        cli.terminate();
        QVERIFY2(said(QString("finishing the update; signal again to stop now")),
                 qPrintable(errors));
    }
    QVERIFY(QTest::qWaitFor([&cli] { return cli.state() == QProcess::NotRunning; },
                            ChildPatienceMs));

    errors += QString::fromUtf8(cli.readAllStandardError());
    QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
    QVERIFY2(cli.exitCode() == status, qPrintable(errors));
    const QStringList lines =
        QString::fromUtf8(cli.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    QVERIFY2(lines.endsWith("Comm port closed") && lines.contains(line),
             qPrintable(lines.join('\n')));
    QTRY_VERIFY(adapter->Received().endsWith("FLINT_AUS\r")); // once this process has read it
    QTRY_COMPARE(workspace.FlashState(), flash);
}

void UpdateCliTest::refusesWrongUsage_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("mentions");

    const QStringList update{"update", "--file", "DECODERSW.DAT"};
    const QStringList usage{"usage: tobrik-cli update"};
    QTest::newRow("blind with two decoders")
        << update + QStringList{"--decoder", "12", "--decoder", "13", "--blind"} << usage;
    QTest::newRow("no decoder") << update << usage;
    QTest::newRow("decoder beyond a byte") << update + QStringList{"--decoder", "256"} << usage;
    QTest::newRow("port beyond COM32")
        << update + QStringList{"--decoder", "12", "--port", "COM33"} << usage;
    // A misspelt option must not be dropped silently: the run would go on without it.
    QTest::newRow("misspelt option")
        << update + QStringList{"--decoders", "12"}
        << QStringList{"'decoders'", "tobrik-cli update --help"};
    QTest::newRow("unknown option before the command")
        << QStringList{"--verbose", "list", "x.dat"}
        << QStringList{"'verbose'", "tobrik-cli --help"};
    QTest::newRow("unknown command") << QStringList{"updat", "--file", "x.dat"}
                                     << QStringList{"unknown command updat\n", "tobrik-cli --help"};
}

void UpdateCliTest::refusesWrongUsage()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, mentions);
    const CliRun run = RunCli(QString(), arguments);
    QCOMPARE(run.exitCode, UsageStatus);
    QCOMPARE(run.lines, QStringList());
    for (const QString &mention : mentions)
        QVERIFY2(run.errors.contains(mention), qPrintable(run.errors));
}

// The version and date the info box shows: the program's file beside tobrik-cli dates it.
void UpdateCliTest::versionIsTheInfoLine()
{
    const QFileInfo program(QFileInfo(TestEnvironment::CliPath()).dir(), "Tobrik");
    const QString version = modFunctions::FormatVersion(TOBRIK_VERSION_MAJOR, TOBRIK_VERSION_MINOR,
                                                        TOBRIK_VERSION_PATCH);
    const QDateTime date = program.exists() ? program.lastModified() : QDateTime();
    for (const char *option : {"--version", "-v"}) {
        const CliRun run = RunCli(QString(), {option});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.lines, QStringList{"tobrik-cli " + InfoVersionLine(version, date, QLocale())});
    }
}

QTEST_MAIN(UpdateCliTest)
#include "test_update_cli.moc"
