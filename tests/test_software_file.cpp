// The decoder software file: field reader, both index layouts, lookup, generator and the
// command-line tool built on them.
#include "software/DecoderLookup.h"
#include "software/DswGenerator.h"
#include "software/IndexInput.h"
#include "software/IndexReader.h"
#include "software/SoftwareIndexListing.h"
#include "support/DswBuilder.h"
#include "support/SparseFile.h"
#include "support/TestEnvironment.h"

#include <QBuffer>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {
SoftwareIndexListing List(QByteArray bytes)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return ListSoftwareIndex(buffer);
}

LookupResult Lookup(QByteArray bytes, int id)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return LookupDecoder(buffer, id);
}
} // namespace

class TestSoftwareFile : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void index_data();
    void index();
    void endlessIndexStops_data();
    void endlessIndexStops();
    void indexAcrossReadChunks_data();
    void indexAcrossReadChunks();
    void sampleImagesFollowTheIndex();
    void generatorRefusesWhatTheLayoutCannotHold();
    void cli_data();
    void cli();

private:
    // Runs tobrik-cli in dir_: its exit status, standard output and standard error.
    QStringList Run(const QStringList &arguments);

    QTemporaryDir dir_;
};

QStringList TestSoftwareFile::Run(const QStringList &arguments)
{
    QProcess process;
    process.setWorkingDirectory(dir_.path());
    process.start(TestEnvironment::CliPath(), arguments);
    if (!process.waitForFinished(10000))
        return {QStringLiteral("did not run")};
    return {QString::number(process.exitCode()), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

void TestSoftwareFile::initTestCase()
{
    QCOMPARE(Run({"make-dsw", "--layout", "token", "--out", "plain.dat", "7:LOK:1.2:1:32",
                  "12:AB1:5.3:2:64"}).value(0), "0");
    QCOMPARE(Run({"make-dsw", "--layout", "fixed", "--lead", "A5", "--out", "fixed.dat",
                  "7:LOK:1A3:2:64"}).value(0), "0");
    QFile fixed(dir_.filePath(QStringLiteral("fixed.dat")));
    QVERIFY(fixed.open(QIODevice::ReadOnly));
    QCOMPARE(quint8(fixed.readAll().at(30)), quint8(0xA5)); // the image follows the 30-byte index
    QVERIFY(DswBuilder::WriteFile(dir_.filePath(QStringLiteral("kt.dat")),
                                  DswBuilder::Build({"7:LOK:1.2:1:32", "9:KT:1.0:3:32"})));
    QVERIFY(DswBuilder::WriteFile(dir_.filePath(QStringLiteral("foreign.dat")), "MZ"));
    QVERIFY(DswBuilder::WriteFile(dir_.filePath(QStringLiteral("broken.dat")),
                                  "DF;0;12;1;2;AB1;5;3;1;13;1;2;" + QByteArray(300, 'N') + ";1."));
#ifdef Q_OS_UNIX
    QCOMPARE(mkfifo(QFile::encodeName(dir_.filePath(QStringLiteral("pipe.dat"))).constData(),
                    0600), 0);
#endif
}

void TestSoftwareFile::index_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("rows"); // NAME|VERSION|ID as listed
    QTest::addColumn<QString>("flags");   // kt, malformed, foreign (not recognised) or none
    QTest::addColumn<int>("id");          // looked up: START|LENGTH|NAME|VERSION|TYPE, absent
    QTest::addColumn<QString>("lookup");  // or malformed
    const auto row = [](const char *name, const QByteArray &bytes, const QStringList &rows,
                        const char *flags, int id, const QString &lookup) {
        QTest::newRow(name) << bytes << rows << QString(flags) << id << lookup;
    };

    const QByteArray one = "DF.0.12.4711.300.AB1.5.3.1";
    const QByteArray fixed = ";0120000100000300AB1     5.31;0130000400000300AB2     6.02:"
                             "0140000700000300AB3     7.01:";
    const QStringList ab1 = {"AB1|5.3|12"}, ab12 = {"AB1|5.3|12", "AB2|6.0|13"};
    row("token, colon ends index", one + ":13;1;2;AB2;1;0;1.", ab1, "", 13, "absent");
    row("token, extra fields", one + "\tx1\tx2;13;5000;302;AB2;6;0;2.", ab12, "", 13,
        "5000|302|AB2|6.0|2");
    row("token, dot after extra fields ends index", one + "\tx1.13;5000;300;AB2;6;0;2.", ab1, "",
        13, "absent");
    row("token, blanks and line ends belong to fields, Latin-1 names",
        "DF;0;\r\n7 ;1;2; Lok\xe4;1;02;1.", {" Lok\u00e4|1.02|7"}, "", 7, "1|2| Lok\u00e4|1.02|1");
    row("token, number that does not convert keeps the previous value",
        "DF;0;12;1;2;A;1;0;1;x;3;4;B;1;0;1.", {"A|1.0|12", "B|1.0|12"}, "", 12, "1|2|A|1.0|1");
    row("token, file ends inside the TYPE of the wanted entry", one + ";13;50;30;AB2;6;0;2", ab12,
        "", 13, "absent");
    const QByteArray longest(Module_DU::MaxFieldLength, 'N');
    row("token, a name of the longest field length", one + ";13;1;2;" + longest + ";6;0;2.",
        {ab1[0], longest + "|6.0|13"}, "", 13, "1|2|" + longest + "|6.0|2");
    row("token, a longer field ends the index as malformed",
        one + ";13;1;2;" + longest + "N;6;0;2.", ab1, "malformed", 13, "malformed");
    row("token, index without entries", "DF;0.", {}, "", 1, "absent");
    row("token, second field not F", "DG;0;12;1;2;A;1;0;1.", {}, "foreign", 12, "malformed");
    row("fixed, entry after the end separator is not listed", fixed, ab12, "", 14, "absent");
    row("fixed, second entry", fixed, ab12, "", 13, "400|300|AB2|6.0|2");
    row("fixed, blanks around the ID, type 3 never flagged", "; 7 0000100000066KT1     1.03:",
        {"KT1|1.0|7"}, "", 7, "100|66|KT1|1.0|3");
    row("fixed, unknown separator", ";0120000100000300AB1     5.31.0130000400000300AB2     6.02:",
        ab1, "malformed", 13, "malformed");
    row("fixed, file ends before the wanted entry's separator: listed, not found", fixed.left(58),
        ab12, "", 13, "absent");
    row("empty file", QByteArray(), {}, "foreign", 12, "malformed");
}

void TestSoftwareFile::index()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, rows);
    QFETCH(QString, flags);
    QFETCH(int, id);
    QFETCH(QString, lookup);
    const SoftwareIndexListing listing = List(bytes);
    QStringList listed;
    for (const IndexEntry &entry : listing.Entries)
        listed << QStringLiteral("%1|%2|%3").arg(entry.Name, entry.Version).arg(entry.Id);
    QCOMPARE(listed, rows);
    QStringList set;
    if (listing.HasKtEntry)
        set << "kt";
    if (listing.Malformed)
        set << "malformed";
    if (!listing.Recognised)
        set << "foreign";
    QCOMPARE(set.join(','), flags);

    const LookupResult found = Lookup(bytes, id);
    const IndexEntry &entry = found.Entry;
    QString shown = found.Outcome == LookupOutcome::Absent ? "absent" : "malformed";
    if (found.Outcome == LookupOutcome::Found)
        shown = QStringLiteral("%1|%2|%3|%4|%5").arg(entry.Start).arg(entry.Length)
                    .arg(entry.Name, entry.Version).arg(entry.Type);
    QCOMPARE(shown, lookup);
}

// Indexes that never end: one endless field (a sparse file of 2 GiB), or endless runs of tiny
// fields, extra fields or fixed entries. Reading must stop early as malformed, keeping the rows
// read so far, instead of taking minutes and gigabytes.
void TestSoftwareFile::endlessIndexStops_data()
{
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<QByteArray>("repeated"); // empty: the rest of a sparse 2 GiB file
    QTest::addColumn<int>("wanted");          // an ID the index does not name
    QTest::newRow("one endless field") << QByteArray("DF;0;") << QByteArray() << 1;
    QTest::newRow("endless fields") << QByteArray("DF;0;") << QByteArray("1;") << 2;
    QTest::newRow("endless extra fields") << QByteArray("DF;0;1;1;1;A;1;0;1") << QByteArray("\t")
                                          << 2;
    QTest::newRow("endless fixed entries")
        << QByteArray() << QByteArray(";0010000100000300AB1     5.31") << 2;
}

void TestSoftwareFile::endlessIndexStops()
{
    QFETCH(QByteArray, head);
    QFETCH(QByteArray, repeated);
    QFETCH(int, wanted);
    // Far beyond the longest index read, yet quick to hold in memory.
    constexpr qint64 RepeatedBytes = 4 * IndexReader::MaxIndexLength;
    QFile file(dir_.filePath(QStringLiteral("endless.dat")));
    QVERIFY(repeated.isEmpty()
                ? SparseFile::Write(file.fileName(), head)
                : DswBuilder::WriteFile(file.fileName(),
                                        head + repeated.repeated(RepeatedBytes / repeated.size())));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const SoftwareIndexListing listing = ListSoftwareIndex(file);
    QVERIFY(file.pos() < file.size() / 2);
    QVERIFY(listing.Recognised && listing.Malformed);
    QCOMPARE(listing.Entries.isEmpty(), repeated.isEmpty()); // the rows before are kept
    QVERIFY(file.seek(0));
    QCOMPARE(LookupDecoder(file, wanted).Outcome, LookupOutcome::Malformed);
}

// The index is read from the file in chunks: every kind of field and separator, split at a
// chunk's end, must read as it does whole. A token index is shifted by its header field so that
// the chunk's end falls at each place of an entry, with and without extra fields.
void TestSoftwareFile::indexAcrossReadChunks_data()
{
    QTest::addColumn<bool>("fixed");
    QTest::addColumn<int>("shift"); // characters of the token index's header field
    constexpr int LongestTokenEntry = 40; // characters; covers every place in an entry
    for (int shift = 0; shift < LongestTokenEntry; ++shift)
        QTest::addRow("token index shifted by %d", shift) << false << shift;
    QTest::newRow("fixed-width index") << true << 0;
}

void TestSoftwareFile::indexAcrossReadChunks()
{
    QFETCH(bool, fixed);
    QFETCH(int, shift);
    // Enough entries to fill more than one chunk; only the last one has ID 255.
    constexpr int ShortestEntry = 29; // bytes: a fixed-width entry with its separator
    constexpr int Entries = 2 * IndexInput::ChunkLength / ShortestEntry;
    constexpr int LastId = 255;
    QByteArray bytes = fixed ? QByteArray(";") : "DF;" + QByteArray(shift, 'h') + ";";
    for (int i = 0; i < Entries; ++i) {
        const int id = i + 1 == Entries ? LastId : i % LastId;
        const QString name = QStringLiteral("N%1").arg(i);
        const char end = i + 1 == Entries ? (fixed ? ':' : '.') : ';';
        if (fixed)
            bytes += QStringLiteral("%1%2%3%4%5%6").arg(id, 3).arg(100 + i, 7).arg(34, 6)
                         .arg(name, -8).arg(QStringLiteral("1.0")).arg(1 + i % 2).toLatin1() + end;
        else
            bytes += QStringLiteral("%1;%2;%3;%4;1;%5;%6%7").arg(id).arg(100 + i).arg(34)
                         .arg(name).arg(i % 100).arg(1 + i % 2)
                         .arg(i % 3 == 0 ? QStringLiteral("\tX\tYZ") : QString()).toLatin1() + end;
    }
    const SoftwareIndexListing listing = List(bytes);
    QVERIFY(!listing.Malformed);
    QCOMPARE(listing.Entries.size(), qsizetype(Entries));
    for (int i = 0; i < Entries; ++i) {
        QCOMPARE(listing.Entries[i].Name, QStringLiteral("N%1").arg(i));
        QCOMPARE(listing.Entries[i].Start, 100 + i);
        QCOMPARE(listing.Entries[i].Type, 1 + i % 2);
    }
    const LookupResult last = Lookup(bytes, LastId);
    QCOMPARE(last.Outcome, LookupOutcome::Found);
    QCOMPARE(last.Entry.Name, QStringLiteral("N%1").arg(Entries - 1));
    QCOMPARE(Lookup(bytes, LastId + 1).Outcome, LookupOutcome::Absent);
}

// The demo's file, made by the generator at build time: whole blocks of both sizes, each
// image at the place its index entry gives, the last one ending the file.
void TestSoftwareFile::sampleImagesFollowTheIndex()
{
    QFile sample(TestEnvironment::DemoSoftwareFile());
    QVERIFY(sample.open(QIODevice::ReadOnly));
    const QByteArray bytes = sample.readAll();
    const SoftwareIndexListing listing = List(bytes);
    QVERIFY(listing.Entries.size() >= 3);
    QSet<int> types;
    qint64 end = 0;
    for (const IndexEntry &listed : listing.Entries) {
        const LookupResult result = Lookup(bytes, listed.Id);
        QCOMPARE(result.Outcome, LookupOutcome::Found);
        const IndexEntry &image = result.Entry;
        QCOMPARE(quint8(bytes.at(image.Start - 1)), quint8(DswGenerator::DefaultLeadByte));
        QCOMPARE(quint8(bytes.at(image.Start)), quint8(listed.Id));
        QCOMPARE((image.Length - 2) % (image.Type == 2 ? 64 : 32), 0);
        types.insert(image.Type);
        end = qMax<qint64>(end, image.Start + image.Length - 1);
    }
    QCOMPARE(end, bytes.size());
    QCOMPARE(types, (QSet<int>{1, 2}));
}

void TestSoftwareFile::generatorRefusesWhatTheLayoutCannotHold()
{
    QVERIFY(DswBuilder::Build({"256:A:1.0:1:32"}).isEmpty());          // ID above a byte
    QVERIFY(DswBuilder::Build({"1:ABCDEFGHI:1.0:1:32"}, true).isEmpty()); // 9-character name
    QVERIFY(DswBuilder::Build({"1:A:1.0:1:999998"}, true).isEmpty());  // length above 999999
}

void TestSoftwareFile::cli_data()
{
    QTest::addColumn<QStringList>("arguments"); // files made by initTestCase
    QTest::addColumn<QStringList>("result");    // status, output, error ("*": any message)
    const auto row = [](const char *name, const QStringList &arguments, const char *status,
                        const QString &output, const QString &error) {
        QTest::newRow(name) << arguments << QStringList{status, output, error};
    };
    row("list", {"list", "plain.dat"}, "0", "LOK\t1.2\t7\nAB1\t5.3\t12\n", "");
    row("list with a KT entry", {"list", "kt.dat"}, "2", "LOK\t1.2\t7\nKT\t1.0\t9\n",
        "KT-Decoder werden derzeit nicht unterstützt. \nUpdate nur über USB-Stick möglich!\n");
    row("list of a missing file", {"list", "none.dat"}, "1", "", "*");
#ifdef Q_OS_UNIX
    // Opening a named pipe would wait for a writer that never comes.
    row("list of a named pipe", {"list", "pipe.dat"}, "1", "", "*");
#endif
    row("list of a foreign file", {"list", "foreign.dat"}, "1", "", "*");
    row("list of a malformed index", {"list", "broken.dat"}, "1", "AB1\t5.3\t12\n", "*");
    row("lookup found", {"lookup", "fixed.dat", "7"}, "0", "found\t31\t66\tLOK\t1A3\t2\n", "");
}

void TestSoftwareFile::cli()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, result);
    QStringList actual = Run(arguments);
    if (result.value(2) == QLatin1String("*") && !actual.value(2).isEmpty())
        actual[2] = QStringLiteral("*");
    QCOMPARE(actual, result);
}

QTEST_GUILESS_MAIN(TestSoftwareFile)
#include "test_software_file.moc"
