// The decoder software file: field reader, both index layouts, lookup, generator and the
// command-line tool built on them.
#include "software/DecoderLookup.h"
#include "software/DswGenerator.h"
#include "software/ReadToken.h"
#include "software/SoftwareIndexListing.h"
#include "support/DswBuilder.h"

#include <QBuffer>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {
QStringList Rows(const SoftwareIndexListing &listing)
{
    QStringList rows;
    for (const IndexEntry &entry : listing.Entries)
        rows << entry.Name + QLatin1Char('|') + entry.Version + QLatin1Char('|')
                    + QString::number(entry.Id);
    return rows;
}

SoftwareIndexListing List(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return ListSoftwareIndex(buffer);
}

LookupResult Lookup(const QByteArray &bytes, int id)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return LookupDecoder(buffer, id);
}

struct CliResult {
    int status = -1;
    QString out;
    QString err;
};

CliResult RunCli(const QStringList &arguments)
{
    QProcess process;
    process.start(qEnvironmentVariable("TOBRIK_CLI"), arguments);
    process.waitForFinished(10000);
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}
} // namespace

Q_DECLARE_METATYPE(LookupOutcome)

class TestSoftwareFile : public QObject {
    Q_OBJECT
private slots:
    void readTokenEndsAtEachSeparatorAndAtEndOfFile();
    void listing_data();
    void listing();
    void lookup_data();
    void lookup();
    void generatedFilesHoldTheirImages_data();
    void generatedFilesHoldTheirImages();
    void generatorRefusesEntriesTheLayoutCannotHold_data();
    void generatorRefusesEntriesTheLayoutCannotHold();
    void sampleFileServesBothBlockSizes();
    void cliListPrintsRowsAndStatus();
    void cliLookupPrintsOneLine();
};

void TestSoftwareFile::readTokenEndsAtEachSeparatorAndAtEndOfFile()
{
    QBuffer buffer;
    buffer.setData(QByteArray("a b.\r\nc:;d\tLok\xe4"));
    buffer.open(QIODevice::ReadOnly);
    const QList<QPair<QString, QString>> expected = {
        {"a b", "."}, {"\r\nc", ":"}, {"", ";"}, {"d", "\t"}, {"Lokä", ""}, {"", ""}};
    for (const auto &[text, separator] : expected) {
        const Module_DU::Token token = Module_DU::ReadToken(buffer);
        QCOMPARE(token.Text, text);
        QCOMPARE(token.Separator, separator);
    }
}

void TestSoftwareFile::listing_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<bool>("kt");

    const QByteArray one = "DF.0.12.4711.300.AB1.5.3.1";
    QTest::newRow("token, dot ends index") << one + "." << QStringList{"AB1|5.3|12"} << false;
    QTest::newRow("token, colon ends index")
        << one + ":13;1;2;AB2;1;0;1." << QStringList{"AB1|5.3|12"} << false;
    QTest::newRow("token, extra fields")
        << one + "\tx1\tx2;13;5000;300;AB2;6;0;2." << QStringList{"AB1|5.3|12", "AB2|6.0|13"}
        << false;
    QTest::newRow("token, extra ended by dot ends index")
        << one + "\tx1.13;5000;300;AB2;6;0;2." << QStringList{"AB1|5.3|12"} << false;
    QTest::newRow("token, type 3 is listed and flagged")
        << QByteArray("DF;0;12;1;2;AB1;5;3;1;40;1;2;KT1;1;0;3.")
        << QStringList{"AB1|5.3|12", "KT1|1.0|40"} << true;
    QTest::newRow("token, blanks and line ends belong to fields")
        << QByteArray("DF;0;\r\n7 ;1;2; Lok A;1;02;1.") << QStringList{" Lok A|1.02|7"} << false;
    QTest::newRow("token, number that does not convert keeps the previous value")
        << QByteArray("DF;0;12;1;2;A;1;0;1;x;1;2;B;1;0;1.")
        << QStringList{"A|1.0|12", "B|1.0|12"} << false;
    QTest::newRow("token, first entry's bad ID is 0")
        << QByteArray("DF;0;?;1;2;A;1;0;1.") << QStringList{"A|1.0|0"} << false;
    QTest::newRow("token, file ends inside an entry")
        << one + ";13;50" << QStringList{"AB1|5.3|12"} << false;
    QTest::newRow("token, file ends inside the type") << QByteArray("DF;0;9;1;2;A;1;0")
                                                      << QStringList{} << false;
    QTest::newRow("token, second field not F") << QByteArray("DG;0;12;1;2;A;1;0;1.")
                                               << QStringList{} << false;
    QTest::newRow("token, only the head") << QByteArray("DF") << QStringList{} << false;
    QTest::newRow("fixed, two entries")
        << QByteArray(";0120000100000300AB1     5.31;0130000400000300AB2     6.02:")
        << QStringList{"AB1|5.3|12", "AB2|6.0|13"} << false;
    QTest::newRow("fixed, ID 007 and type 3 never flagged")
        << QByteArray(";0070000100000300KT1     1.03:") << QStringList{"KT1|1.0|7"} << false;
    QTest::newRow("fixed, blanks around the ID")
        << QByteArray("; 9 0000100000300X       1.01:") << QStringList{"X|1.0|9"} << false;
    QTest::newRow("fixed, entry after the end separator is not listed")
        << QByteArray(";0120000100000300AB1     5.31:0130000400000300AB2     6.02:")
        << QStringList{"AB1|5.3|12"} << false;
    QTest::newRow("fixed, file ends inside the second entry")
        << QByteArray(";0120000100000300AB1     5.31;01300004") << QStringList{"AB1|5.3|12"}
        << false;
    QTest::newRow("fixed, last separator missing")
        << QByteArray(";0120000100000300AB1     5.31") << QStringList{"AB1|5.3|12"} << false;
    QTest::newRow("empty file") << QByteArray() << QStringList{} << false;
    QTest::newRow("foreign file") << QByteArray("PK\x03\x04;D") << QStringList{} << false;
}

void TestSoftwareFile::listing()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, rows);
    QFETCH(bool, kt);
    const SoftwareIndexListing listing = List(bytes);
    QCOMPARE(Rows(listing), rows);
    QCOMPARE(listing.HasKtEntry, kt);
}

void TestSoftwareFile::lookup_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("id");
    QTest::addColumn<LookupOutcome>("outcome");
    QTest::addColumn<QString>("found"); // START|LENGTH|NAME|VERSION|TYPE when found

    const QByteArray token = "DF;0;12;4711;300;AB1;5;3;1\tx\ty;13;5000;302;AB2;6;0;2.";
    QTest::newRow("token, first entry")
        << token << 12 << LookupOutcome::Found << QStringLiteral("4711|300|AB1|5.3|1");
    QTest::newRow("token, second entry past extra fields")
        << token << 13 << LookupOutcome::Found << QStringLiteral("5000|302|AB2|6.0|2");
    QTest::newRow("token, not in index") << token << 14 << LookupOutcome::Absent << QString();
    QTest::newRow("token, entry after the end separator")
        << QByteArray("DF;0;12;1;2;A;1;0;1:13;1;2;B;1;0;1.") << 13 << LookupOutcome::Absent
        << QString();
    QTest::newRow("token, file ends inside the index")
        << QByteArray("DF;0;12;1;2;A;1;0;1;13;1") << 13 << LookupOutcome::Absent << QString();
    QTest::newRow("token, second field not F")
        << QByteArray("DX;0;12;1;2;A;1;0;1.") << 12 << LookupOutcome::Malformed << QString();

    const QByteArray fixed = ";0120000100000300AB1     5.31;0130000400000300AB2     6.02:"
                             "0140000700000300AB3     7.01:";
    QTest::newRow("fixed, second entry")
        << fixed << 13 << LookupOutcome::Found << QStringLiteral("400|300|AB2|6.0|2");
    QTest::newRow("fixed, ID written 007")
        << QByteArray(";0070000100000066X       1.01:") << 7 << LookupOutcome::Found
        << QStringLiteral("100|66|X|1.0|1");
    QTest::newRow("fixed, entry after the end separator") << fixed << 14 << LookupOutcome::Absent
                                                          << QString();
    QTest::newRow("fixed, unknown separator")
        << QByteArray(";0120000100000300AB1     5.31.0130000400000300AB2     6.02:") << 13
        << LookupOutcome::Malformed << QString();
    QTest::newRow("fixed, file ends inside the index")
        << QByteArray(";0120000100000300AB1     5.31;013") << 13 << LookupOutcome::Absent
        << QString();
    QTest::newRow("empty file") << QByteArray() << 12 << LookupOutcome::Malformed << QString();
    QTest::newRow("foreign file") << QByteArray("<html>") << 12 << LookupOutcome::Malformed
                                  << QString();
}

void TestSoftwareFile::lookup()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, id);
    QFETCH(LookupOutcome, outcome);
    QFETCH(QString, found);
    const LookupResult result = Lookup(bytes, id);
    QCOMPARE(result.Outcome, outcome);
    if (outcome == LookupOutcome::Found) {
        const IndexEntry &entry = result.Entry;
        QCOMPARE(QStringLiteral("%1|%2|").arg(entry.Start).arg(entry.Length) + entry.Name
                     + QLatin1Char('|') + entry.Version + QLatin1Char('|')
                     + QString::number(entry.Type),
                 found);
    }
}

void TestSoftwareFile::generatedFilesHoldTheirImages_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QStringList entries = {"3:ALPHA:1.10:1:64", "200:BETA:2.07:2:128", "45:GAMMA:9.99:1:0"};
    QTest::newRow("token") << DswBuilder::Token(entries);
    QStringList fixed = entries;
    fixed.replaceInStrings(QRegularExpression(QStringLiteral(":(\\d)\\.\\d(\\d):")),
                           QStringLiteral(":\\1.\\2:"));
    QTest::newRow("fixed") << DswBuilder::Fixed(fixed);
}

void TestSoftwareFile::generatedFilesHoldTheirImages()
{
    QFETCH(QByteArray, bytes);
    QVERIFY(!bytes.isEmpty());
    QCOMPARE(Rows(List(bytes)).size(), 3);
    qint64 end = 0;
    for (const auto &[id, payload] : {QPair<int, int>{3, 64}, {200, 128}, {45, 0}}) {
        const LookupResult result = Lookup(bytes, id);
        QCOMPARE(result.Outcome, LookupOutcome::Found);
        const IndexEntry &entry = result.Entry;
        QCOMPARE(entry.Length, payload + 2);
        QCOMPARE(quint8(bytes.at(entry.Start - 1)), quint8(DswGenerator::DefaultLeadByte));
        QCOMPARE(quint8(bytes.at(entry.Start)), quint8(id));
        end = qMax<qint64>(end, entry.Start + entry.Length - 1);
    }
    QCOMPARE(end, bytes.size());
}

void TestSoftwareFile::generatorRefusesEntriesTheLayoutCannotHold_data()
{
    QTest::addColumn<bool>("token");
    QTest::addColumn<QString>("entry");
    QTest::newRow("ID above a byte") << true << "256:A:1.0:1:32";
    QTest::newRow("token version without minor") << true << "1:A:10:1:32";
    QTest::newRow("fixed name of 9 characters") << false << "1:ABCDEFGHI:1.0:1:32";
    QTest::newRow("fixed length above 999999") << false << "1:A:1.0:1:999998";
    QTest::newRow("missing field") << true << "1:A:1.0:1";
}

void TestSoftwareFile::generatorRefusesEntriesTheLayoutCannotHold()
{
    QFETCH(bool, token);
    QFETCH(QString, entry);
    const QByteArray bytes = token ? DswBuilder::Token({entry}) : DswBuilder::Fixed({entry});
    QVERIFY(bytes.isEmpty());
}

void TestSoftwareFile::sampleFileServesBothBlockSizes()
{
    QFile file(qEnvironmentVariable("TOBRIK_SHARE_DIR") + QStringLiteral("/DECSOFT/DECODERSW.DAT"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const SoftwareIndexListing listing = List(bytes);
    QVERIFY(listing.Entries.size() >= 3);
    QSet<int> types;
    for (const IndexEntry &listed : listing.Entries) {
        const LookupResult result = Lookup(bytes, listed.Id);
        QCOMPARE(result.Outcome, LookupOutcome::Found);
        const int blockSize = result.Entry.Type == 2 ? 64 : 32;
        QCOMPARE((result.Entry.Length - 2) % blockSize, 0);
        QCOMPARE(quint8(bytes.at(result.Entry.Start)), quint8(listed.Id));
        types.insert(result.Entry.Type);
    }
    QCOMPARE(types, (QSet<int>{1, 2}));
}

void TestSoftwareFile::cliListPrintsRowsAndStatus()
{
    QTemporaryDir dir;
    const QString plain = dir.filePath(QStringLiteral("plain.dat"));
    const QString kt = dir.filePath(QStringLiteral("kt.dat"));
    QCOMPARE(RunCli({"make-dsw", "--layout", "token", "--out", plain, "7:LOK:1.2:1:32",
                     "12:AB1:5.3:2:64"})
                 .status,
             0);
    QVERIFY(DswBuilder::WriteFile(kt, DswBuilder::Token({"7:LOK:1.2:1:32", "9:KT:1.0:3:32"})));

    const CliResult listed = RunCli({"list", plain});
    QCOMPARE(listed.status, 0);
    QCOMPARE(listed.out, QStringLiteral("LOK\t1.2\t7\nAB1\t5.3\t12\n"));

    const CliResult warned = RunCli({"list", kt});
    QCOMPARE(warned.status, 2);
    QCOMPARE(warned.out, QStringLiteral("LOK\t1.2\t7\nKT\t1.0\t9\n"));
    QCOMPARE(warned.err, QStringLiteral("KT-Decoder werden derzeit nicht unterstützt. \n"
                                        "Update nur über USB-Stick möglich!\n"));

    const CliResult missing = RunCli({"list", dir.filePath(QStringLiteral("none.dat"))});
    QCOMPARE(missing.status, 1);
    QVERIFY(!missing.err.isEmpty());
}

void TestSoftwareFile::cliLookupPrintsOneLine()
{
    QTemporaryDir dir;
    const QString fixed = dir.filePath(QStringLiteral("fixed.dat"));
    QCOMPARE(RunCli({"make-dsw", "--layout", "fixed", "--lead", "A5", "--out", fixed,
                     "7:LOK:1A3:2:64"})
                 .status,
             0);
    QFile file(fixed);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QCOMPARE(quint8(bytes.at(30)), quint8(0xA5)); // the image follows the 30-byte index
    QCOMPARE(RunCli({"lookup", fixed, "7"}).out, QStringLiteral("found\t31\t66\tLOK\t1A3\t2\n"));
    QCOMPARE(RunCli({"lookup", fixed, "8"}).out, QStringLiteral("absent\n"));
    const QString foreign = dir.filePath(QStringLiteral("foreign.dat"));
    QVERIFY(DswBuilder::WriteFile(foreign, "MZ"));
    QCOMPARE(RunCli({"lookup", foreign, "7"}).out, QStringLiteral("malformed\n"));
}

QTEST_GUILESS_MAIN(TestSoftwareFile)
#include "test_software_file.moc"
