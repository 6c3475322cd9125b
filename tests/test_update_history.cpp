// The update history file: records read back as written, unknowns as null; a torn last line
// skipped and closed before the next record; a writer killed mid-append leaving every earlier
// record readable; CSV for a spreadsheet.
#include "app/Log.h"
#include "history/UpdateHistory.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {
constexpr int KilledAfterRecords = 50;
constexpr int WriterPatienceMs = 30000;

UpdateRecord FullRecord()
{
    UpdateRecord record;
    record.time = QDateTime(QDate(2026, 12, 7), QTime(15, 4, 5), Qt::OffsetFromUTC, 3600);
    record.decoderId = 12;
    record.decoder = QStringLiteral("TB-M10");
    record.version = QStringLiteral("2.14");
    record.file = QStringLiteral("/home/u1/DECSOFT/DECODERSW.DAT");
    record.fileSha256 = QStringLiteral("ab").repeated(32);
    record.port = 3;
    record.device = QStringLiteral("/dev/ttyUSB0");
    record.method = UpdateMethod::Alternative;
    record.noQuery = true;
    record.preamble = 100;
    record.timingTargetMs = 40;
    record.result = AttemptResult::Unconfirmed;
    record.blocks = 32;
    record.blocksAcknowledged = 31;
    record.seconds = 12.34;
    record.note = QStringLiteral("BR 01, \"Rheingold\"");
    return record;
}

// What an attempt that never found its decoder knows.
UpdateRecord SparseRecord()
{
    UpdateRecord record;
    record.time = QDateTime(QDate(2026, 12, 8), QTime(9, 0)); // local time, as the recorder takes it
    record.port = 7;
    record.blind = true;
    record.result = AttemptResult::Failed;
    return record;
}

QStringList LinesOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
}

bool WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}
} // namespace

class TestUpdateHistory : public QObject {
    Q_OBJECT

private slots:
    void init();
    void readsWhatWasWritten();
    void tornLastLine();
    void killedWriter();
    void csv();

private:
    QTemporaryDir folder_;
    QString path_;
    QStringList problems_;
};

void TestUpdateHistory::init()
{
    path_ = folder_.filePath(QStringLiteral("history-%1.jsonl").arg(QTest::currentTestFunction()));
    problems_.clear();
    Log::SetSink([this](const QString &line) { problems_ << line; });
}

void TestUpdateHistory::readsWhatWasWritten()
{
    QVERIFY(UpdateHistory::Read(path_).empty()); // no file yet: no history, no complaint
    QVERIFY(UpdateHistory::Append(FullRecord(), path_));
    QVERIFY(UpdateHistory::Append(SparseRecord(), path_));

    const std::vector<UpdateRecord> records = UpdateHistory::Read(path_);
    QCOMPARE(records.size(), size_t{2});
    QCOMPARE(records[0].ToJson(), FullRecord().ToJson());
    QCOMPARE(records[0].time, FullRecord().time);
    QCOMPARE(records[0].time.offsetFromUtc(), 3600);
    QCOMPARE(records[1].ToJson(), SparseRecord().ToJson());
    QCOMPARE(records[1].decoderId, std::nullopt);
    QCOMPARE(records[1].preamble, std::nullopt);
    const QStringList lines = LinesOf(path_);
    QCOMPARE(lines.size(), 3); // two records, each with its line end
    QVERIFY(lines[0].contains(QStringLiteral("\"time\":\"2026-12-07T15:04:05+01:00\"")));
    QVERIFY(lines[0].contains(QStringLiteral("\"seconds\":12.3")));
    // Local time is written with its offset, so the record says when it was anywhere.
    QVERIFY2(QRegularExpression(QStringLiteral("\"time\":\"2026-12-08T09:00:00(Z|[+-]\\d\\d:\\d\\d)\""))
                 .match(lines[1]).hasMatch(),
             qPrintable(lines[1]));
    QVERIFY(lines[1].contains(QStringLiteral("\"decoder_id\":null")));
    QVERIFY(lines[1].contains(QStringLiteral("\"blocks_acknowledged\":null")));
    QVERIFY(!lines[1].contains(QStringLiteral("\"note\"")));
    QVERIFY(problems_.isEmpty());
}

// A kill in the middle of an append leaves the last line torn: it is skipped with a log line,
// and the next record starts a line of its own instead of joining it.
void TestUpdateHistory::tornLastLine()
{
    const QByteArray whole = QJsonDocument(FullRecord().ToJson()).toJson(QJsonDocument::Compact);
    QVERIFY(WriteFile(path_, whole + "\n" + whole.left(whole.size() / 2)));

    QCOMPARE(UpdateHistory::Read(path_).size(), size_t{1});
    QCOMPARE(problems_.size(), 1);
    QVERIFY2(problems_[0].contains(QStringLiteral("line 2")), qPrintable(problems_[0]));

    QVERIFY(UpdateHistory::Append(SparseRecord(), path_));
    const std::vector<UpdateRecord> records = UpdateHistory::Read(path_);
    QCOMPARE(records.size(), size_t{2});
    QCOMPARE(records[1].ToJson(), SparseRecord().ToJson());
}

void TestUpdateHistory::killedWriter()
{
    QProcess writer;
    writer.start(QStringLiteral(TOBRIK_TEST_HISTORY_APPENDER), {path_});
    QVERIFY(writer.waitForStarted());
    QVERIFY(QTest::qWaitFor([this] { return LinesOf(path_).size() > KilledAfterRecords; },
                            WriterPatienceMs));
    writer.kill();
    QVERIFY(writer.waitForFinished());

    // Every line but a torn last one is a record; a torn one is the only complaint.
    const QStringList lines = LinesOf(path_);
    const bool torn = !lines.last().isEmpty();
    const std::vector<UpdateRecord> records = UpdateHistory::Read(path_);
    QCOMPARE(records.size(), size_t(lines.size() - 1));
    QCOMPARE(problems_.size(), torn ? 1 : 0);
    for (size_t i = 0; i < records.size(); ++i)
        QCOMPARE(records[i].blocks, int64_t(i));
    QVERIFY(UpdateHistory::Append(SparseRecord(), path_));
    QCOMPARE(UpdateHistory::Read(path_).size(), records.size() + 1);
}

void TestUpdateHistory::csv()
{
    const QStringList lines =
        UpdateHistory::ToCsv({FullRecord(), SparseRecord()}).split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 4); // header, two records, the last line end
    QCOMPARE(lines[0], "time,decoder_id,decoder,version,file,file_sha256,port,device,method,"
                       "no_query,blind,preamble,timing_target_ms,result,blocks,"
                       "blocks_acknowledged,seconds,note");
    QCOMPARE(lines[1], "2026-12-07T15:04:05+01:00,12,TB-M10,2.14,/home/u1/DECSOFT/DECODERSW.DAT,"
                           + QStringLiteral("ab").repeated(32)
                           + ",3,/dev/ttyUSB0,alternative,true,false,100,40,unconfirmed,32,31,"
                             "12.3,\"BR 01, \"\"Rheingold\"\"\"");
    QCOMPARE(lines[2].section(',', 1), ",,,,,7,,main,false,true,,,failed,,,0,");
}

QTEST_MAIN(TestUpdateHistory)
#include "test_update_history.moc"
