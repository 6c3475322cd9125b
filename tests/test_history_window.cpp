// The History window: newest first, narrowed by decoder, each result's colour, and the export of
// what it lists as CSV.
#include "TestFolders.h"
#include "support/AnsweringDialogs.h"
#include "support/UpdatePageControls.h"

#include "app/LanguageTexts.h"
#include "history/HistoryListing.h"
#include "history/UpdateHistory.h"
#include "history/frm_history.h"
#include "update/UpdateView.h"

#include <QComboBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTableWidget>
#include <QtTest>

Q_DECLARE_METATYPE(AttemptResult)

namespace {
using namespace UpdatePageControls;

const QDateTime Start(QDate(2026, 12, 7), QTime(9, 0), QTimeZone(3600));

// An attempt minutes after Start on decoder id (none: no decoder answered), its note naming it.
UpdateRecord Attempt(const QString &note, int minutes, std::optional<int32_t> id,
                     AttemptResult result = AttemptResult::Finished)
{
    UpdateRecord record;
    record.time = Start.addSecs(minutes * 60);
    record.decoderId = id;
    record.decoder = id ? QStringLiteral("TB%1").arg(*id) : QString();
    record.result = result;
    record.note = note;
    return record;
}

UpdateRecord NamedBefore(UpdateRecord record)
{
    record.decoder = QStringLiteral("TB12 old");
    return record;
}

// The history as the file holds it, oldest first, but for "b" and "d" of one moment and "late",
// written before "early" by a clock that was set back. Decoder 12 had another name at first.
const std::vector<UpdateRecord> History{
    NamedBefore(Attempt("a", 1, 12)),
    Attempt("b", 3, 5),
    Attempt("late", 9, 5),
    Attempt("early", 2, 12),
    Attempt("d", 3, 12),
    Attempt("none", 4, std::nullopt, AttemptResult::Failed),
};

QStringList Notes(const std::vector<UpdateRecord> &records)
{
    QStringList notes;
    for (const UpdateRecord &record : records)
        notes.append(record.note);
    return notes;
}

QStringList Column(const QTableWidget &table, int column)
{
    QStringList cells;
    for (int row = 0; row < table.rowCount(); ++row)
        cells.append(table.item(row, column)->text());
    return cells;
}
} // namespace

class HistoryWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void listing_data();
    void listing();
    void resultColour_data();
    void resultColour();
    void exportCsv_data();
    void exportCsv();
};

void HistoryWindowTest::init()
{
    LanguageTexts::FillBuiltInTexts();
}

void HistoryWindowTest::listing_data()
{
    QTest::addColumn<int>("decoder"); // 0: all
    QTest::addColumn<QStringList>("notes");
    QTest::newRow("all") << 0 << QStringList{"late", "none", "d", "b", "early", "a"};
    QTest::newRow("decoder 12") << 12 << QStringList{"d", "early", "a"};
    QTest::newRow("decoder never seen") << 7 << QStringList{};
}

void HistoryWindowTest::listing()
{
    QFETCH(int, decoder);
    QFETCH(QStringList, notes);
    HistoryListing listing;
    listing.SetRecords(History);
    listing.SetDecoderFilter(decoder ? std::optional<int32_t>(decoder) : std::nullopt);
    QCOMPARE(Notes(listing.Listed()), notes);
    const std::vector<HistoryListing::Decoder> seen{{5, "TB5 (5)"}, {12, "TB12 (12)"}};
    QCOMPARE(listing.DecodersSeen(), seen);
}

void HistoryWindowTest::resultColour_data()
{
    QTest::addColumn<AttemptResult>("result");
    QTest::addColumn<QColor>("colour"); // invalid: left plain
    QTest::newRow("finished") << AttemptResult::Finished << InfoColour::Finished;
    QTest::newRow("unconfirmed") << AttemptResult::Unconfirmed << InfoColour::Unconfirmed;
    QTest::newRow("failed") << AttemptResult::Failed << InfoColour::Failed;
    QTest::newRow("declined") << AttemptResult::Declined << QColor();
    QTest::newRow("interrupted") << AttemptResult::Interrupted << QColor();
}

void HistoryWindowTest::resultColour()
{
    QFETCH(AttemptResult, result);
    QFETCH(QColor, colour);
    QCOMPARE(HistoryCells::ResultColour(result).value_or(QColor()), colour);
}

// Decoder 12 chosen in the filter: the export holds what the window lists, newest first. A
// cancelled dialog writes nothing; a file that cannot be written is named in a message.
void HistoryWindowTest::exportCsv_data()
{
    QTest::addColumn<QString>("answer"); // below the test's folder; empty: cancelled
    QTest::addColumn<bool>("written");
    QTest::newRow("saved") << "history.csv" << true;
    QTest::newRow("cancelled") << "" << false;
    QTest::newRow("folder missing") << "no/such/folder/history.csv" << false;
}

void HistoryWindowTest::exportCsv()
{
    QFETCH(QString, answer);
    QFETCH(bool, written);
    const QTemporaryDir folder;
    const QString historyFile = folder.filePath("history.jsonl");
    for (const UpdateRecord &record : History)
        QVERIFY(UpdateHistory::Append(record, historyFile));
    AnsweringDialogs dialogs;
    dialogs.savePath = answer.isEmpty() ? QString() : folder.filePath(answer);
    auto *window = new frm_history(historyFile);
    window->ShowInFront();
    auto *table = Control<QTableWidget>(*window, "tbl_history");
    QCOMPARE(Column(*table, 4), QStringList({"late", "none", "d", "b", "early", "a"}));
    QCOMPARE(table->item(1, 3)->background().color(), InfoColour::Failed);
    auto *filter = Control<QComboBox>(*window, "cmb_decoder");
    QCOMPARE(filter->count(), 3); // all, TB5, TB12
    filter->setCurrentIndex(filter->findText("TB12 (12)"));
    emit filter->activated(filter->currentIndex());
    QCOMPARE(Column(*table, 4), QStringList({"d", "early", "a"}));

    Button(*window, "cmd_export")->click();
    const std::vector<UpdateRecord> listed{History[4], History[3], History[0]};
    if (written)
        QCOMPARE(QString::fromUtf8(TestFolders::ReadFile(dialogs.savePath)), UpdateHistory::ToCsv(listed));
    else
        QVERIFY(QDir(folder.path()).entryList({"*.csv"}, QDir::Files).isEmpty());
    QCOMPARE(dialogs.messages.size(), answer.contains('/') ? 1 : 0);
    window->close();
}

QTEST_MAIN(HistoryWindowTest)
#include "test_history_window.moc"
