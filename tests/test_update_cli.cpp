// tobrik-cli update run as a user runs it, in a child process: the port scan, the file, the
// whole update against a simulated programmer with a decoder on its track, its exit status,
// an invented image kept from a device, refusals before any port is opened, termination signals
// during the update, update --json for other programs and the history the runs leave.
#include "app/Mod_Getfolder.h"
#include "history/UpdateHistory.h"
#include "sim/PtyLink.h"
#include "sim/SimPortAddress.h"
#include "software/DswGeneratorMark.h"
#include "support/DswBuilder.h"
#include "support/TestEnvironment.h"
#include "support/TestFolders.h"
#include "support/UpdateRig.h"

#include <QJsonDocument>
#include <QJsonObject>
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
// More blocks than percents: several blocks in a row end on the same whole percent.
const QStringList ManyBlocksImage{"12:TB-M10:2.14:1:4096"};

// Found by trying: with lost-reply=0.5 this seed loses exactly the reply to the last block, of
// the six the two-block update gets (the ID's, three of the handshake, two blocks').
const QString LoseLastBlockReply = QStringLiteral("&lost-reply=0.5&seed=58");

const QStringList Opening{"Comm port open", "Connecting to decoder..."};
const QStringList Transfer{"TB-M10 found", "Update in progress"};
const QStringList Ending{"Update finished", "Comm port closed"};
const QStringList WholeUpdate = Opening + Transfer + Ending;

struct CliRun {
    int exitCode = -1;
    QString output;
    QStringList lines; // standard output's
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

// tobrik-cli, standard input closed at once.
CliRun RunCli(const QString &ports, const QStringList &arguments)
{
    QProcess cli;
    CliRun run;
    if (!StartCli(cli, ports, arguments))
        return run;
    cli.closeWriteChannel();
    if (!cli.waitForFinished(ChildPatienceMs)) {
        cli.kill();
        cli.waitForFinished();
        return run;
    }
    run.exitCode = cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1;
    run.output = QString::fromUtf8(cli.readAllStandardOutput());
    run.lines = run.output.split('\n', Qt::SkipEmptyParts);
    run.errors = QString::fromUtf8(cli.readAllStandardError());
    return run;
}

CliRun RunUpdate(const QString &ports, const QStringList &arguments)
{
    return RunCli(ports, QStringList{"update"} + arguments);
}

// The history file the runs of tobrik-cli write in the workspace's folders.
QString HistoryPath()
{
    Mod_Getfolder::ComputePaths();
    return UpdateHistory::FilePath();
}

UpdateRecord Attempt(int32_t decoder, const QString &name, int startMinute, AttemptResult result,
                     const QString &note)
{
    UpdateRecord record;
    record.time = QDateTime(QDate(2026, 3, 14), QTime(9, 30), Qt::OffsetFromUTC, 3600)
                      .addSecs(startMinute * 60);
    record.decoderId = decoder;
    record.decoder = name;
    record.version = QStringLiteral("2.14");
    record.result = result;
    record.blocks = 2;
    record.blocksAcknowledged = result == AttemptResult::Finished ? 2 : 0;
    record.seconds = 3.25;
    record.note = note;
    return record;
}

// Three attempts in the order they ended, the second begun first, and a record cut short by a
// kill; the records as the history reads them back, in the file's order.
std::vector<UpdateRecord> WriteHistory(const QString &path)
{
    QDir().mkpath(QFileInfo(path).path()); // as the program's start makes it
    for (const UpdateRecord &record :
         {Attempt(12, "TB-M10", 60, AttemptResult::Finished, "BR 01 118"),
          Attempt(13, "TB-M11", 0, AttemptResult::Failed, {}),
          Attempt(12, "TB-M10", 30, AttemptResult::Declined, "V 200, \"Gleis 3\"")})
        UpdateHistory::Append(record, path);
    QFile file(path);
    if (!file.open(QIODevice::Append) || file.write("{\"time\":\"2026-03-14T1") < 0)
        qFatal("cannot tear %s", qPrintable(path));
    return UpdateHistory::Read(path);
}

// Standard output's lines as JSON objects; none when a line is not one.
std::optional<QList<QJsonObject>> JsonObjects(const QStringList &lines)
{
    QList<QJsonObject> objects;
    for (const QString &line : lines) {
        const QJsonDocument document = QJsonDocument::fromJson(line.toUtf8());
        if (!document.isObject())
            return std::nullopt;
        objects.append(document.object());
    }
    return objects;
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
    void printsTheHistory_data();
    void printsTheHistory();
    void tellsAnotherProgramInJson_data();
    void tellsAnotherProgramInJson();
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

void UpdateCliTest::printsTheHistory_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QList<int>>("shown"); // places in the file, in the order printed

    QTest::newRow("table, oldest start first") << QStringList{} << QList<int>{1, 2, 0};
    QTest::newRow("table of no record: the header")
        << QStringList{"--decoder", "99"} << QList<int>{};
    QTest::newRow("JSON lines of one decoder") << QStringList{"--json", "--decoder", "12"}
                                               << QList<int>{2, 0};
    QTest::newRow("CSV of two decoders")
        << QStringList{"--csv", "--decoder", "13", "--decoder", "12"} << QList<int>{1, 2, 0};
}

// The history as tobrik-cli reads it from a file the history's own writer wrote: the records
// asked for in the order of their start, a torn last line named on standard error and skipped.
void UpdateCliTest::printsTheHistory()
{
    QFETCH(QStringList, options);
    QFETCH(QList<int>, shown);
    TestFolders folders;
    const std::vector<UpdateRecord> written = WriteHistory(HistoryPath());
    QCOMPARE(written.size(), size_t(3));
    std::vector<UpdateRecord> expected;
    for (const int place : shown)
        expected.push_back(written[place]);

    const CliRun run = RunCli({}, QStringList{"history"} + options);
    QVERIFY2(run.exitCode == 0, qPrintable(run.errors));
    QVERIFY(!run.errors.isEmpty());
    if (options.contains("--csv")) {
        QCOMPARE(run.output, UpdateHistory::ToCsv(expected));
    } else if (options.contains("--json")) {
        const auto objects = JsonObjects(run.lines);
        QVERIFY(objects);
        QCOMPARE(objects->size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i)
            QCOMPARE(objects->at(i), expected[i].ToJson());
    } else {
        QCOMPARE(run.lines.size(), expected.size() + 1);
        const QString header = run.lines.first();
        for (size_t i = 0; i < expected.size(); ++i) {
            const QString &row = run.lines[i + 1];
            QCOMPARE(row.indexOf(ResultName(expected[i].result)), header.indexOf("RESULT"));
            QCOMPARE(row.mid(header.indexOf("NOTE")), expected[i].note);
        }
    }
}

void UpdateCliTest::tellsAnotherProgramInJson_data()
{
    QTest::addColumn<QString>("ports"); // %1: COM3 with the track decoder
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("answers");
    QTest::addColumn<QString>("result");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("error"); // on standard error

    QTest::newRow("finished, with a note")
        << "%1" << QStringList{"--yes", "--note", "BR 01 118"} << WholeUpdate << "true"
        << "finished" << 0 << "Result: finished (green)";
    // Standard input is closed: the end of input is No.
    QTest::newRow("question answered No")
        << "%1" << QStringList{} << Opening + QStringList{"TB-M10 found", "Comm port closed"}
        << "false" << "declined" << 1 << "Result: no transfer";
    // The update page never ran.
    QTest::newRow("no programmer")
        << "3=sim:none" << QStringList{"--yes"} << QStringList{} << "" << "failed" << 1
        << "no programmer found";
    QTest::newRow("misspelt option") << "%1" << QStringList{"--yess"} << QStringList{} << ""
                                     << "failed" << UsageStatus << "Unknown option 'yess'";
}

// update --json: standard output is JSON lines only, the list's lines in order, each whole
// percent once, the question with its answer, and last the result with the exit status and
// the very record the run wrote to the history.
void UpdateCliTest::tellsAnotherProgramInJson()
{
    QFETCH(QString, ports);
    QFETCH(QStringList, options);
    QFETCH(QStringList, lines);
    QFETCH(QString, answers);
    QFETCH(QString, result);
    QFETCH(int, status);
    QFETCH(QString, error);
    Workspace workspace(ManyBlocksImage);
    const CliRun run = RunUpdate(ports.replace("%1", workspace.Ports("box")),
                                 QStringList{"--file", workspace.softwarePath, "--decoder",
                                             QString::number(TrackDecoder), "--json"}
                                     + options);
    QVERIFY2(run.exitCode == status, qPrintable(run.errors));
    const auto objects = JsonObjects(run.lines);
    QVERIFY2(objects && !objects->isEmpty(), qPrintable(run.lines.join('\n')));

    QStringList listed;
    QStringList answered;
    QList<int> percents;
    for (const QJsonObject &object : objects->mid(0, objects->size() - 1)) {
        const QString type = object["type"].toString();
        if (type == "line")
            listed.append(object["text"].toString());
        else if (type == "question")
            answered.append(object["answer"].toBool() ? "true" : "false");
        else if (type == "progress")
            percents.append(object["percent"].toInt());
        else
            QFAIL(qPrintable("unexpected object " + QJsonDocument(object).toJson()));
    }
    QCOMPARE(listed, lines);
    QCOMPARE(answered.join(','), answers);
    for (int i = 1; i < percents.size(); ++i)
        QVERIFY2(percents[i] != percents[i - 1], qPrintable(QString::number(percents[i])));

    const QJsonObject end = objects->last();
    QCOMPARE(end["type"].toString(), QString("result"));
    QCOMPARE(end["result"].toString(), result);
    QCOMPARE(end["exit_status"].toInt(), status);
    QVERIFY2(run.errors.contains(error), qPrintable(run.errors));
    const std::vector<UpdateRecord> history = UpdateHistory::Read(HistoryPath());
    if (lines.isEmpty()) { // the update page never ran
        QVERIFY(history.empty());
        QVERIFY(end["record"].isNull());
        return;
    }
    QCOMPARE(history.size(), size_t(1));
    QCOMPARE(end["record"].toObject(), history.front().ToJson());
    const int noteAt = options.indexOf("--note");
    QCOMPARE(history.front().note, noteAt < 0 ? QString() : options[noteAt + 1]);
}

QTEST_MAIN(UpdateCliTest)
#include "test_update_cli.moc"
