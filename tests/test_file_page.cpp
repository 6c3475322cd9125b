// The file page: the choice of the newest software file, loading and listing it, and the page
// driven through its controls.
#include "app/LanguageTexts.h"
#include "app/Module_DU.h"
#include "software/FindNewestSoftwareFile.h"
#include "software/SoftwareFilePage.h"
#include "software/frm_Du_File.h"
#include "support/DswBuilder.h"
#include "support/UpdatePageControls.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>
#include <functional>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {
using namespace UpdatePageControls;

// 10 seconds into the coarse time unit 31091563 (2^32 x 100 ns since 1601), in February 2024:
// files written up to 419 seconds later share its unit.
const QDateTime Base = QDateTime::fromMSecsSinceEpoch(1709251036653, Qt::UTC);

// One directory entry of a newestFile row: NAME:SECONDS after Base is a file, NAME/ a folder,
// NAME| a named pipe and NAME>TARGET a symbolic link to TARGET in the same folder.
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

// The file page in memory; the online update window runs onlineUpdate.
class MemoryFileView : public FileView {
public:
    void ClearDecoderList() override
    {
        rows.clear();
        allSelected = false;
    }
    void AddDecoderRow(const QString &name, const QString &version, const QString &id) override
    {
        rows << name + QLatin1Char('|') + version + QLatin1Char('|') + id;
    }
    void SelectAllRows() override { allSelected = true; }
    void SetNextEnabled(bool enabled) override { nextEnabled = enabled; }
    void SetCaption(const QString &text) override { caption = text; }
    void ShowKtWarning() override { ++ktWarnings; }
    void SetControlCaptions() override {}
    bool NextEnabled() const override { return nextEnabled; }
    void FocusNext() override {}
    QStringList SelectedIds() const override { return {}; }
    QString AskFileName(const QString &title, const QString &folder,
                        const QString &filter) override
    {
        opened << title + QLatin1Char('|') + folder + QLatin1Char('|') + filter;
        return {};
    }
    void RunOnlineUpdate() override
    {
        ++onlineRuns;
        onlineUpdate();
    }

    QStringList rows; // NAME|VERSION|ID
    bool allSelected = false, nextEnabled = false;
    QString caption;
    int ktWarnings = 0, onlineRuns = 0;
    QStringList opened; // TITLE|FOLDER|FILTER
    std::function<void()> onlineUpdate = [] {};
};

Module_DU::ProgramState &State()
{
    return Module_DU::State();
}

QString WriteDsw(const QString &folder, const QStringList &entries)
{
    DswBuilder::WriteFile(folder + "DECODERSW.DAT", DswBuilder::Build(entries));
    return folder + "DECODERSW.DAT";
}
} // namespace

class TestFilePage : public QObject {
    Q_OBJECT
private slots:
    void init();

    void newestFile_data();
    void newestFile();
    void loadSoftwareFile_data();
    void loadSoftwareFile();
    void pageRunsThroughItsControls();
    void withoutAFileTheOnlineUpdateRuns_data();
    void withoutAFileTheOnlineUpdateRuns();

private:
    std::unique_ptr<QTemporaryDir> lastFolder_, softwareFolder_;
};

void TestFilePage::init()
{
    Module_DU::ResetState();
    lastFolder_ = std::make_unique<QTemporaryDir>(QStringLiteral("/tmp/fXXXXXX"));
    softwareFolder_ = std::make_unique<QTemporaryDir>();
    LanguageTexts::ReadTexts(lastFolder_->filePath(QStringLiteral("no-texts-file.txt")));
    State().LastFolder = lastFolder_->path() + QLatin1Char('/');
    State().SoftwareFolder = softwareFolder_->path() + QLatin1Char('/');
}

void TestFilePage::newestFile_data()
{
    QTest::addColumn<QString>("files"); // entries as CreateEntry makes them
    QTest::addColumn<QString>("newest");
    QTest::newRow("newer vup wins") << "DECODERSW.DAT:0 DS_NEW.VUP:600" << "DS_NEW.VUP";
    QTest::newRow("same coarse time: first by name wins") << "DECB.DAT:0 DECA.DAT:60" << "DECA.DAT";
    QTest::newRow("other names do not count, any case")
        << "decsoft.dat:600 readme.txt:1200 DECOLD.DAT:0" << "decsoft.dat";
    QTest::newRow("folders are skipped") << "DECSOFT.DAT/ DSA.VUP:0" << "DSA.VUP";
    QTest::newRow("no matching name") << "DECODERSW.DAT.bak:0 DS.VU:0 XDEC.DAT:0" << "";
#ifdef Q_OS_UNIX
    // Opening a named pipe waits for a writer: it would freeze the page.
    QTest::newRow("a named pipe is no file") << "DECOLD.DAT:0 DECODERSW.DAT|" << "DECOLD.DAT";
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

void TestFilePage::loadSoftwareFile_data()
{
    // Written to the last folder, "/tmp/fXXXXXX/", unless bytes is null: then that name is no
    // file (one ending in "|" is made a named pipe).
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("rows"); // NAME|VERSION|ID
    QTest::addColumn<bool>("kt");
    QTest::addColumn<bool>("shortened"); // a path over 30 characters shows as "..." + its end

    QTest::newRow("token index, all rows selected, 30-character path")
        << "DS_ABCDEFGHIJ.VUP" << DswBuilder::Build({"30:TB-S30:1.07:2:64", "7:TB-M7:2.14:1:32"})
        << QStringList{"TB-S30|1.07|30", "TB-M7|2.14|7"} << false << false;
    QTest::newRow("KT entry warns and blocks Next, 31-character path shortened")
        << "DECKT_ABCDEFGH.DAT" << DswBuilder::Build({"7:TB-M7:2.14:1:32", "90:KT9:1.00:3:32"})
        << QStringList{"TB-M7|2.14|7", "KT9|1.00|90"} << true << true;
    QTest::newRow("foreign file, nothing listed") << "x.dat" << QByteArray("GIF89a")
                                                  << QStringList{} << false << false;
    QTest::newRow("missing file") << "x.dat" << QByteArray() << QStringList{} << false << false;
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
    SoftwareFilePage::LoadSoftwareFile(view, WriteDsw(State().SoftwareFolder, {"1:E:1.00:1:32"}));
    const QString before = view.caption;
    const LoadResult loaded = SoftwareFilePage::LoadSoftwareFile(view, path);

    QCOMPARE(loaded.Opened, !bytes.isNull());
    QCOMPARE(view.rows, rows);
    QCOMPARE(view.allSelected, !kt && !bytes.isNull());
    QCOMPARE(view.nextEnabled, !kt);
    QCOMPARE(view.ktWarnings, kt ? 1 : 0);
    // A file that cannot be opened clears the choice and leaves the caption.
    QCOMPARE(State().SoftwareFilePath, bytes.isNull() ? QString() : path);
    QCOMPARE(view.caption, bytes.isNull() ? before
                           : "Software selection " + (shortened ? "..." + path.right(30) : path));
}

// Driven through its controls: the first showing lists the newest file, and Next hands over
// the selected rows' IDs in list order.
void TestFilePage::pageRunsThroughItsControls()
{
    const QString path = WriteDsw(State().LastFolder,
                                  {"30:A:1.00:1:32", "7:B:1.10:1:32", "12:C:2.00:2:64"});
    frm_Du_File page;
    QSignalSpy next(&page, &frm_Du_File::NextRequested);
    page.show();
    QTRY_COMPARE(page.windowTitle(), "Software selection " + path);
    QTreeWidget *list = Control<QTreeWidget>(page, "ListView1");
    QCOMPARE(list->selectedItems().size(), 3);
    list->topLevelItem(1)->setSelected(false);
    Button(page, "Command3")->click();
    QCOMPARE(State().ChosenDecoders, QStringList({"30", "12"}));
    QCOMPARE(next.count(), 1);
}

void TestFilePage::withoutAFileTheOnlineUpdateRuns_data()
{
    QTest::addColumn<bool>("downloads");
    QTest::addColumn<bool>("closesDown"); // the program begins to close while the window is open
    QTest::newRow("and brings a file") << true << false;
    QTest::newRow("and brings nothing: the open dialog") << false << false;
    QTest::newRow("the program closes meanwhile: nothing more happens") << true << true;
}

// A fresh installation has no software file: the first activation runs the online update and,
// when that brings nothing, offers the open dialog on the software folder.
void TestFilePage::withoutAFileTheOnlineUpdateRuns()
{
    QFETCH(bool, downloads);
    QFETCH(bool, closesDown);
    MemoryFileView view;
    view.onlineUpdate = [&] {
        if (downloads)
            WriteDsw(State().SoftwareFolder, {"12:F:3.01:1:32"});
        State().Exiting = closesDown;
    };
    SoftwareFilePage page(view);
    page.Activate();
    QCOMPARE(view.onlineRuns, 1);
    QCOMPARE(view.rows, downloads && !closesDown ? QStringList{"F|3.01|12"} : QStringList{});
    QCOMPARE(view.opened, downloads || closesDown
                              ? QStringList{}
                              : QStringList{"Please select a software file|" + State().SoftwareFolder
                                            + "|Software(*.dat *.vup *.DAT *.VUP)"});
}

QTEST_MAIN(TestFilePage)
#include "test_file_page.moc"
