// The file page: finding the newest software file, loading and listing it, its failure paths,
// the open dialog, the online update fallback and the hand-over to the update page. The
// procedures run against a page in memory; two tests drive the page through its controls.
#include "app/Dialogs.h"
#include "app/LanguageTexts.h"
#include "app/Module_DU.h"
#include "software/FindNewestSoftwareFile.h"
#include "software/SoftwareFilePage.h"
#include "software/frm_Du_File.h"
#include "support/DswBuilder.h"
#include "support/UpdatePageControls.h"

#include <QAction>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {
using namespace UpdatePageControls;

class ScriptedDialogs : public Dialogs {
public:
    void Message(QWidget *, const QString &title, const QString &text) override
    {
        messages << title + QLatin1Char('|') + text;
    }
    QString OpenFileName(QWidget *, const QString &title, const QString &folder,
                         const QString &filter) override
    {
        opened << title + QLatin1Char('|') + folder + QLatin1Char('|') + filter;
        return {};
    }

    QStringList messages, opened; // opened: TITLE|FOLDER|FILTER
};

// The start of a coarse time unit (2^32 x 100 ns since 1601) in March 2024, plus 10 seconds.
const QDateTime Base = [] {
    const qint64 unit = CoarseWriteTime(QDateTime(QDate(2024, 3, 1), QTime(), Qt::UTC));
    const qint64 msecsFrom1601To1970 = 11644473600000LL;
    return QDateTime::fromMSecsSinceEpoch(((unit << 32) + 9999) / 10000 - msecsFrom1601To1970,
                                          Qt::UTC).addSecs(10);
}();

QString WriteDsw(const QString &folder, const QString &name, const QStringList &entries,
                 int offsetSeconds = 0)
{
    if (!DswBuilder::WriteFile(folder + name, DswBuilder::Build(entries),
                               Base.addSecs(offsetSeconds)))
        qFatal("cannot write %s", qPrintable(folder + name));
    return folder + name;
}

// One directory entry of a newestFile row: NAME:SECONDS after Base is a file, NAME/ a folder,
// NAME| a named pipe (made now) and NAME>TARGET a symbolic link to TARGET in the same folder.
bool CreateEntry(const QString &folder, const QString &entry)
{
    if (entry.endsWith(QLatin1Char('/')))
        return QDir(folder).mkdir(entry);
#ifdef Q_OS_UNIX
    if (entry.endsWith(QLatin1Char('|')))
        return mkfifo(QFile::encodeName(folder + entry.chopped(1)).constData(), 0600) == 0;
    if (entry.contains(QLatin1Char('>')))
        return QFile::link(folder + entry.section(QLatin1Char('>'), 1),
                           folder + entry.section(QLatin1Char('>'), 0, 0));
#endif
    return DswBuilder::WriteFile(folder + entry.section(QLatin1Char(':'), 0, 0), "D",
                                 Base.addSecs(entry.section(QLatin1Char(':'), 1).toInt()));
}

// The file page in memory: what the procedures showed, and the user's answers.
class MemoryFileView : public FileView {
public:
    struct Row {
        QString Name, Version, Id;
        bool Selected = false;
    };

    void ClearDecoderList() override { rows.clear(); }
    void AddDecoderRow(const QString &name, const QString &version, const QString &id) override
    {
        rows.append({name, version, id});
    }
    void SelectAllRows() override
    {
        for (Row &row : rows)
            row.Selected = true;
    }
    void SetNextEnabled(bool enabled) override { nextEnabled = enabled; }
    void SetCaption(const QString &text) override { caption = text; }
    void ShowKtWarning() override { ++ktWarnings; }
    void SetControlCaptions() override { ++controlCaptions; }
    bool NextEnabled() const override { return nextEnabled; }
    void FocusNext() override { nextFocused = true; }
    QStringList SelectedIds() const override
    {
        QStringList ids;
        for (const Row &row : rows)
            if (row.Selected)
                ids << row.Id;
        return ids;
    }
    QString AskFileName(const QString &title, const QString &folder,
                        const QString &filter) override
    {
        opened << title + QLatin1Char('|') + folder + QLatin1Char('|') + filter;
        return openAnswer;
    }
    void RunOnlineUpdate() override
    {
        ++onlineRuns;
        if (onlineUpdate)
            onlineUpdate();
    }

    // NAME|VERSION|ID of every row, in list order.
    QStringList Listed() const
    {
        QStringList listed;
        for (const Row &row : rows)
            listed << QStringList{row.Name, row.Version, row.Id}.join(QLatin1Char('|'));
        return listed;
    }
    int SelectedCount() const { return SelectedIds().size(); }

    QVector<Row> rows;
    bool nextEnabled = false; // as at the page's load
    bool nextFocused = false;
    QString caption;
    int ktWarnings = 0, controlCaptions = 0, onlineRuns = 0;
    QStringList opened; // TITLE|FOLDER|FILTER
    QString openAnswer;
    std::function<void()> onlineUpdate;
};

Module_DU::ProgramState &State()
{
    return Module_DU::State();
}

const QString KtMessage = QStringLiteral(
    "Warnung|KT-Decoder werden derzeit nicht unterstützt. \r\nUpdate nur über USB-Stick möglich!");
} // namespace

class TestFilePage : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { Dialogs::Replace(nullptr); }

    void coarseWriteTimeCountsFrom1601();
    void newestFile_data();
    void newestFile();
    void lastFolderWithoutTrailingSeparator();
    void loadSoftwareFile_data();
    void loadSoftwareFile();
    void firstActivationRunsOnceUntilBack();
    void withoutAFileTheOnlineUpdateRuns_data();
    void withoutAFileTheOnlineUpdateRuns();
    void openDialogCancelKeepsAndChoiceLoads();
    void pageRunsThroughItsControls();
    void pageAsksThroughTheDialogsObject();
    void emptyFolderLeadsToTheOpenDialog();

private:
    ScriptedDialogs dialogs_;
    std::unique_ptr<QTemporaryDir> lastFolder_, softwareFolder_;
};

void TestFilePage::init()
{
    Module_DU::ResetState();
    lastFolder_ = std::make_unique<QTemporaryDir>(QStringLiteral("/tmp/fXXXXXX"));
    softwareFolder_ = std::make_unique<QTemporaryDir>();
    LanguageTexts::ReadTexts(lastFolder_->filePath(QStringLiteral("no-texts-file.txt")));
    dialogs_ = ScriptedDialogs();
    Dialogs::Replace(&dialogs_);
    State().LastFolder = lastFolder_->path() + QLatin1Char('/');
    State().SoftwareFolder = softwareFolder_->path() + QLatin1Char('/');
}

void TestFilePage::coarseWriteTimeCountsFrom1601()
{
    QCOMPARE(CoarseWriteTime(QDateTime(QDate(1601, 1, 1), QTime(0, 0), Qt::UTC)), 0);
    QCOMPARE(CoarseWriteTime(QDateTime::fromMSecsSinceEpoch(0, Qt::UTC)), 27111902);
}

void TestFilePage::newestFile_data()
{
    QTest::addColumn<QString>("files"); // entries as CreateEntry makes them
    QTest::addColumn<QString>("newest");
    QTest::newRow("newer vup wins") << "DECODERSW.DAT:0 DS_NEW.VUP:600" << "DS_NEW.VUP";
    QTest::newRow("same coarse time: first by name wins") << "DECB.DAT:0 DECA.DAT:60" << "DECA.DAT";
    QTest::newRow("other names do not count")
        << "DECODERSW.DAT:600 readme.txt:1200 DECOLD.DAT:0" << "DECODERSW.DAT";
    QTest::newRow("names match without case") << "decsoft.dat:600 ds_x.VUP:0" << "decsoft.dat";
    QTest::newRow("DEC.DAT overlaps") << "DEC.DAT:0" << "DEC.DAT";
    QTest::newRow("folders are skipped") << "DECSOFT.DAT/ DSA.VUP:0" << "DSA.VUP";
    QTest::newRow("no matching name") << "DECODERSW.DAT.bak:0 DS.VU:0 XDEC.DAT:0" << "";
#ifdef Q_OS_UNIX
    // Opening a named pipe waits for a writer: it would freeze the page.
    QTest::newRow("a named pipe is no file") << "DECOLD.DAT:0 DECODERSW.DAT|" << "DECOLD.DAT";
    QTest::newRow("a broken link is no file") << "DECNEW.DAT>gone" << "";
    QTest::newRow("a link to a file counts with the file's time")
        << "image.bin:600 DSLINK.VUP>image.bin DECOLD.DAT:0" << "DSLINK.VUP";
#endif
}

void TestFilePage::newestFile()
{
    QFETCH(QString, files);
    QFETCH(QString, newest);
    const QString folder = State().LastFolder;
    for (const QString &entry : files.split(QLatin1Char(' ')))
        QVERIFY2(CreateEntry(folder, entry), qPrintable(entry));
    QCOMPARE(FindNewestSoftwareFile(), newest.isEmpty() ? QString() : folder + newest);
}

// A folder written to the settings file by hand may lack its trailing separator.
void TestFilePage::lastFolderWithoutTrailingSeparator()
{
    const QString path = WriteDsw(State().LastFolder, QStringLiteral("DECODERSW.DAT"),
                                  {"7:LOK:1.00:1:32"});
    State().LastFolder.chop(1);
    QCOMPARE(FindNewestSoftwareFile(), path);
}

void TestFilePage::loadSoftwareFile_data()
{
    // Written to the last folder, "/tmp/fXXXXXX/", unless bytes is null: that name is not a file
    // (a name ending in "|" is made a named pipe, which opening would wait on and freeze the page).
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("rows"); // NAME|VERSION|ID
    QTest::addColumn<bool>("kt");
    QTest::addColumn<bool>("shortened"); // a path over 30 characters shows as "..." + its end

    QTest::newRow("token index, all rows selected, 30-character path")
        << "DS_ABCDEFGHIJ.VUP" << DswBuilder::Build({"30:TB-S30:1.07:2:64", "7:TB-M7:2.14:1:32"})
        << QStringList{"TB-S30|1.07|30", "TB-M7|2.14|7"} << false << false;
    QTest::newRow("KT entry warns and blocks Next, 31-character path")
        << "DECKT_ABCDEFGH.DAT" << DswBuilder::Build({"7:TB-M7:2.14:1:32", "90:KT9:1.00:3:32"})
        << QStringList{"TB-M7|2.14|7", "KT9|1.00|90"} << true << true;
    QTest::newRow("foreign file, nothing listed") << "x.dat" << QByteArray("GIF89a")
                                                  << QStringList{} << false << false;
    QTest::newRow("missing file") << "x.dat" << QByteArray() << QStringList{} << false << false;
    QTest::newRow("a folder") << "" << QByteArray() << QStringList{} << false << false;
#ifdef Q_OS_UNIX
    QTest::newRow("a named pipe") << "DECODERSW.DAT|" << QByteArray() << QStringList{} << false
                                  << false;
#endif
}

void TestFilePage::loadSoftwareFile()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, rows);
    QFETCH(bool, kt);
    QFETCH(bool, shortened);
    const QString path = State().LastFolder + QString(name).remove(QLatin1Char('|'));
    if (!bytes.isNull())
        QVERIFY(DswBuilder::WriteFile(path, bytes));
    else if (name.endsWith(QLatin1Char('|')))
        QVERIFY(CreateEntry(State().LastFolder, name));
    MemoryFileView view;
    SoftwareFilePage::LoadSoftwareFile(view, WriteDsw(State().SoftwareFolder, "DECODERSW.DAT",
                                                      {"1:E:1.00:1:32"}));
    const QString caption = view.caption;
    const LoadResult loaded = SoftwareFilePage::LoadSoftwareFile(view, path);

    QCOMPARE(loaded.Opened, !bytes.isNull());
    QCOMPARE(view.Listed(), rows);
    QCOMPARE(view.SelectedCount(), kt ? 0 : rows.size()); // all but after a warning
    QCOMPARE(view.nextEnabled, !kt);
    QCOMPARE(view.ktWarnings, kt ? 1 : 0);
    // A file that cannot be opened clears the choice and leaves the caption.
    QCOMPARE(State().SoftwareFilePath, bytes.isNull() ? QString() : path);
    QCOMPARE(view.caption, bytes.isNull() ? caption
                           : "Software selection " + (shortened ? "..." + path.right(30) : path));
}

// Showing the page again does not search again; after Back the next showing does.
void TestFilePage::firstActivationRunsOnceUntilBack()
{
    const QString folder = State().LastFolder;
    WriteDsw(folder, QStringLiteral("DECODERSW.DAT"), {"7:OLD:1.00:1:32"});
    const QString newest = WriteDsw(folder, QStringLiteral("DS_2.VUP"), {"7:NEW:2.00:1:32"}, 600);
    MemoryFileView view;
    SoftwareFilePage page(view);
    page.Activate();
    QVERIFY(page.Activated());
    QCOMPARE(view.controlCaptions, 1);
    QCOMPARE(State().SoftwareFilePath, newest);
    QCOMPARE(view.caption, "Software selection " + newest);
    QCOMPARE(view.Listed(), QStringList{"NEW|2.00|7"});
    QVERIFY(view.nextFocused);

    const QString newer = WriteDsw(folder, QStringLiteral("DS_3.VUP"),
                                   {"8:NEWER:1.00:1:32", "9:THIRD:1.00:1:32"}, 900);
    page.Activate();
    QCOMPARE(State().SoftwareFilePath, newest);
    QCOMPARE(view.controlCaptions, 1);

    page.Back();
    QVERIFY(!page.Activated());
    page.Activate();
    QCOMPARE(State().SoftwareFilePath, newer);
    QCOMPARE(view.rows.size(), 2);
    QCOMPARE(view.controlCaptions, 2);
    QCOMPARE(view.onlineRuns, 0);
}

void TestFilePage::withoutAFileTheOnlineUpdateRuns_data()
{
    QTest::addColumn<bool>("downloads");
    QTest::addColumn<bool>("closesDown"); // the program begins to close while the window is open
    QTest::newRow("and brings a file") << true << false;
    QTest::newRow("and brings nothing: the open dialog") << false << false;
    QTest::newRow("the program closes meanwhile: nothing more happens") << true << true;
}

void TestFilePage::withoutAFileTheOnlineUpdateRuns()
{
    QFETCH(bool, downloads);
    QFETCH(bool, closesDown);
    const QString lastFolder = State().LastFolder;
    const QString fetched = State().SoftwareFolder + QStringLiteral("DECODERSW.DAT");
    MemoryFileView view;
    view.onlineUpdate = [&] {
        if (downloads)
            WriteDsw(State().SoftwareFolder, QStringLiteral("DECODERSW.DAT"), {"12:F:3.01:1:32"});
        State().Exiting = closesDown;
    };
    SoftwareFilePage page(view);
    page.Activate();
    const bool loaded = downloads && !closesDown;
    QCOMPARE(view.onlineRuns, 1);
    QCOMPARE(State().SoftwareFilePath, loaded ? fetched : QString());
    QCOMPARE(State().LastFolder, closesDown ? lastFolder : State().SoftwareFolder);
    QCOMPARE(State().LastFile, loaded ? fetched : QString());
    QCOMPARE(view.rows.size(), loaded ? 1 : 0);
    QCOMPARE(view.nextEnabled, loaded);
    QCOMPARE(view.nextFocused, loaded);
    QCOMPARE(view.opened.size(), downloads || closesDown ? 0 : 1);
    // Once the close-down has begun, a second sequence does not even open the window.
    page.OnlineUpdateSequence();
    QCOMPARE(view.onlineRuns, closesDown ? 1 : 2);
}

void TestFilePage::openDialogCancelKeepsAndChoiceLoads()
{
    const QString folder = State().LastFolder;
    State().LastFile = folder + QStringLiteral("DECODERSW.DAT");
    MemoryFileView view;
    SoftwareFilePage page(view);
    page.OpenDialog(); // cancelled
    QCOMPARE(view.opened.size(), 1);
    QCOMPARE(State().LastFolder + State().LastFile, folder + folder + "DECODERSW.DAT");

    QTemporaryDir other;
    view.openAnswer = WriteDsw(other.path() + QLatin1Char('/'), QStringLiteral("mine.vup"),
                               {"5:PICKED:1.00:1:32"});
    page.OpenDialog();
    QCOMPARE(State().LastFolder, other.path() + QLatin1Char('/'));
    QCOMPARE(State().LastFile, view.openAnswer);
    QCOMPARE(State().SoftwareFilePath, view.openAnswer);
    QCOMPARE(view.Listed(), QStringList{"PICKED|1.00|5"});
}

// The page's first activation, its list and Next, driven through its controls: Next hands over
// the selected rows' IDs in list order.
void TestFilePage::pageRunsThroughItsControls()
{
    const QString path = WriteDsw(State().LastFolder, QStringLiteral("DECODERSW.DAT"),
                                  {"30:A:1.00:1:32", "7:B:1.10:1:32", "12:C:2.00:2:64"});
    frm_Du_File page;
    int onlineRuns = 0;
    page.SetOnlineUpdateRunner([&onlineRuns] { ++onlineRuns; });
    QSignalSpy next(&page, &frm_Du_File::NextRequested);
    QVERIFY(!Button(page, "Command3")->isEnabled());
    page.show();
    QTRY_COMPARE(page.windowTitle(), "Software selection " + path);
    QTreeWidget *list = Control<QTreeWidget>(page, "ListView1");
    QCOMPARE(list->topLevelItemCount(), 3);
    const QTreeWidgetItem *second = list->topLevelItem(1);
    QCOMPARE((QStringList{second->text(0), second->text(1), second->text(2)}),
             (QStringList{"B", "1.10", "7"}));
    QCOMPARE(list->selectedItems().size(), 3);
    QVERIFY(Button(page, "Command3")->isEnabled());

    list->topLevelItem(1)->setSelected(false);
    Button(page, "Command3")->click();
    QCOMPARE(State().ChosenDecoders, QStringList({"30", "12"}));
    QCOMPARE(next.count(), 1);
    QVERIFY(page.isHidden());
    QCOMPARE(onlineRuns, 0);
}

// The KT warning and the open dialog reach the user through the dialogs object; the online
// update runs from its button and its menu item.
void TestFilePage::pageAsksThroughTheDialogsObject()
{
    frm_Du_File page;
    int onlineRuns = 0;
    page.SetOnlineUpdateRunner([&onlineRuns] {
        ++onlineRuns;
        WriteDsw(State().SoftwareFolder, QStringLiteral("DECODERSW.DAT"),
                 {"7:TB-M7:2.14:1:32", "90:KT9:1.00:3:32"});
    });
    Button(page, "Command5")->click();
    QCOMPARE(onlineRuns, 1);
    QCOMPARE(dialogs_.messages, QStringList{KtMessage});
    QCOMPARE(Control<QTreeWidget>(page, "ListView1")->topLevelItemCount(), 2);
    QCOMPARE(Control<QTreeWidget>(page, "ListView1")->selectedItems().size(), 0);
    QVERIFY(!Button(page, "Command3")->isEnabled());
    Control<QAction>(page, "mnu_upd_decsw")->trigger();
    QCOMPARE(onlineRuns, 2);
    QCOMPARE(dialogs_.messages.size(), 2);

    Button(page, "Command4")->click();
    QCOMPARE(dialogs_.opened,
             QStringList{"Please select a software file|" + State().SoftwareFolder
                         + "|Software(*.dat *.vup *.DAT *.VUP)"});
}

// A fresh installation ships no decoder software file: shown on an empty folder, the page runs
// the online update and, as that brings nothing, offers the open dialog.
void TestFilePage::emptyFolderLeadsToTheOpenDialog()
{
    frm_Du_File page;
    int onlineRuns = 0;
    page.SetOnlineUpdateRunner([&onlineRuns] { ++onlineRuns; });
    page.show();
    QTRY_COMPARE(dialogs_.opened,
                 QStringList{"Please select a software file|" + State().SoftwareFolder
                             + "|Software(*.dat *.vup *.DAT *.VUP)"});
    QCOMPARE(onlineRuns, 1);
    QCOMPARE(Control<QTreeWidget>(page, "ListView1")->topLevelItemCount(), 0);
    QVERIFY(!Button(page, "Command3")->isEnabled());
}

QTEST_MAIN(TestFilePage)
#include "test_file_page.moc"
