// The decoder software file: both index layouts as listed and looked up, and read in chunks.
#include "software/DecoderLookup.h"
#include "software/IndexInput.h"
#include "software/IndexReader.h"
#include "software/SoftwareIndexListing.h"

#include <QBuffer>
#include <QtTest>

namespace {
SoftwareIndexListing List(QByteArray bytes)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return ListSoftwareIndex(buffer);
}

// START|LENGTH|NAME|VERSION|TYPE when found, else "absent" or "malformed".
QString Lookup(QByteArray bytes, int id)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    const LookupResult found = LookupDecoder(buffer, id);
    const IndexEntry &entry = found.Entry;
    if (found.Outcome != LookupOutcome::Found)
        return found.Outcome == LookupOutcome::Absent ? "absent" : "malformed";
    return QStringLiteral("%1|%2|%3|%4|%5").arg(entry.Start).arg(entry.Length)
        .arg(entry.Name, entry.Version).arg(entry.Type);
}
} // namespace

class TestSoftwareFile : public QObject {
    Q_OBJECT
private slots:
    void index_data();
    void index();
    void endlessIndexStops();
    void indexAcrossReadChunks_data();
    void indexAcrossReadChunks();
};

void TestSoftwareFile::index_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("rows"); // NAME|VERSION|ID as listed
    QTest::addColumn<QString>("flags");   // kt, malformed, foreign (not recognised) or none
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("lookup");  // as Lookup shows it
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
    row("token, KT entry", one + ";9;1;2;KT;1;0;3.", {ab1[0], "KT|1.0|9"}, "kt", 9,
        "1|2|KT|1.0|3");
    const QByteArray longest(Module_DU::MaxFieldLength, 'N');
    row("token, a name of the longest field length", one + ";13;1;2;" + longest + ";6;0;2.",
        {ab1[0], longest + "|6.0|13"}, "", 13, "1|2|" + longest + "|6.0|2");
    row("token, a longer field ends the index as malformed",
        one + ";13;1;2;" + longest + "N;6;0;2.", ab1, "malformed", 13, "malformed");
    row("token, second field not F", "DG;0;12;1;2;A;1;0;1.", {}, "foreign", 12, "malformed");
    row("fixed, entry after the end separator is not listed", fixed, ab12, "", 14, "absent");
    row("fixed, second entry", fixed, ab12, "", 13, "400|300|AB2|6.0|2");
    row("fixed, blanks around the ID, type 3 never flagged", "; 7 0000100000066KT1     1.03:",
        {"KT1|1.0|7"}, "", 7, "100|66|KT1|1.0|3");
    row("fixed, unknown separator", ";0120000100000300AB1     5.31.0130000400000300AB2     6.02:",
        ab1, "malformed", 13, "malformed");
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
    QCOMPARE(Lookup(bytes, id), lookup);
}

// An index of endless tiny fields stops early as malformed instead of taking minutes.
void TestSoftwareFile::endlessIndexStops()
{
    const QByteArray bytes = "DF;0;" + QByteArray("1;").repeated(2 * IndexReader::MaxIndexLength);
    const SoftwareIndexListing listing = List(bytes);
    QVERIFY(listing.Recognised && listing.Malformed);
    QCOMPARE(Lookup(bytes, 2), "malformed");
}

// The index is read in chunks: a token index shifted by its header field puts the chunk's end
// at each place of an entry, with and without extra fields.
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
    constexpr int ShortestEntry = 29; // bytes: a fixed-width entry with its separator
    constexpr int Entries = 2 * IndexInput::ChunkLength / ShortestEntry;
    QByteArray bytes = fixed ? QByteArray(";") : "DF;" + QByteArray(shift, 'h') + ";";
    for (int i = 0; i < Entries; ++i) {
        const QString name = QStringLiteral("N%1").arg(i);
        const char end = i + 1 == Entries ? (fixed ? ':' : '.') : ';';
        if (fixed)
            bytes += QStringLiteral("%1%2    34%3").arg(i % 255, 3).arg(100 + i, 7).arg(name, -8)
                         .toLatin1() + "1.0" + QByteArray::number(1 + i % 2) + end;
        else
            bytes += QStringLiteral("%1;%2;34;%3;1;0;%4%5").arg(i % 255).arg(100 + i).arg(name)
                         .arg(1 + i % 2).arg(QString(i % 3 == 0 ? "\tX\tYZ" : "")).toLatin1() + end;
    }
    const SoftwareIndexListing listing = List(bytes);
    QVERIFY(!listing.Malformed);
    QCOMPARE(listing.Entries.size(), qsizetype(Entries));
    for (int i = 0; i < Entries; ++i) {
        QCOMPARE(listing.Entries[i].Name, QStringLiteral("N%1").arg(i));
        QCOMPARE(listing.Entries[i].Start, 100 + i);
        QCOMPARE(listing.Entries[i].Type, 1 + i % 2);
    }
}

QTEST_GUILESS_MAIN(TestSoftwareFile)
#include "test_software_file.moc"
