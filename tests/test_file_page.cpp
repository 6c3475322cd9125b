// The file page: finding the newest software file, loading and listing it, its failure paths,
// the open dialog, the online update fallback and the hand-over to the update page.
#include "app/Dialogs.h"
#include "app/LanguageTexts.h"
#include "app/Module_DU.h"
#include "software/FindNewestSoftwareFile.h"
#include "software/frm_Du_File.h"
#include "support/DswBuilder.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

namespace {
class ScriptedDialogs : public Dialogs {
public:
    void Message(QWidget *, const QString &title, const QString &text) override
    {
        messages << title + QLatin1Char('|') + text;
    }
    bool AskYesNo(QWidget *, const QString &, const QString &) override { return true; }
    QString OpenFileName(QWidget *, const QString &title, const QString &folder,
                         const QString &filter) override
    {
        openTitles << title;
        openFolders << folder;
        openFilters << filter;
        return openAnswer;
    }

    QStringList messages;
    QStringList openTitles, openFolders, openFilters;
    QString openAnswer;
};

// A time at the start of a coarse unit (2^32 x 100 ns), plus offset seconds.
QDateTime CoarseUnitTime(int32_t unit, int offsetSeconds)
{
    constexpr qint64 MsecsFrom1601To1970 = 11644473600000LL;
    const qint64 msecs = ((qint64(unit) << 32) + 9999) / 10000 - MsecsFrom1601To1970;
    return QDateTime::fromMSecsSinceEpoch(msecs, Qt::UTC).addSecs(offsetSeconds);
}

bool WriteFileAt(const QString &path, const QByteArray &bytes, const QDateTime &time)
{
    QFile file(path);
    // Flushed first: a write at close would stamp the file with the current time.
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush()
           && file.setFileTime(time, QFileDevice::FileModificationTime);
}

const QDateTime Base = CoarseUnitTime(CoarseWriteTime(QDateTime(QDate(2024, 3, 1), QTime(), Qt::UTC)), 10);
} // namespace

class TestFilePage : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void coarseWriteTimeCountsFrom1601();
    void newestFile_data();
    void newestFile();
    void newestFileOfMissingFolderIsEmpty();

    void controlsCarryTheirNames();
    void loadListsRowsSelectsAllAndNamesTheFile();
    void captionShortensLongPaths_data();
    void captionShortensLongPaths();
    void ktEntryWarnsAndKeepsNextDisabled();
    void fixedIndexTypeThreeDoesNotWarn();
    void unreadableIndexListsNothingButEnablesNext_data();
    void unreadableIndexListsNothingButEnablesNext();
    void fileThatCannotBeOpenedChangesNothingElse();

    void firstActivationLoadsNewestFile();
    void firstActivationFallsBackToOnlineUpdate();
    void nothingFoundOnlineOpensTheDialog();
    void openDialogSetsFolderAndFile();
    void cancelledDialogKeepsFolderAndFile();
    void nextHandsOverSelectedIdsInListOrder();
    void backThenForwardSearchesAgain();
    void exitButtonAndMenuEndTheProgram();

private:
    void ActivatePage(frm_Du_File &page);
    QString WriteDsw(const QString &folder, const QString &name, const QStringList &entries,
                     int offsetSeconds = 0);

    ScriptedDialogs dialogs_;
    std::unique_ptr<QTemporaryDir> lastFolder_;
    std::unique_ptr<QTemporaryDir> softwareFolder_;
};

void TestFilePage::init()
{
    Module_DU::ResetState();
    lastFolder_ = std::make_unique<QTemporaryDir>();
    LanguageTexts::ReadTexts(lastFolder_->filePath(QStringLiteral("no-texts-file.txt")));
    dialogs_ = ScriptedDialogs();
    Dialogs::Replace(&dialogs_);
    softwareFolder_ = std::make_unique<QTemporaryDir>();
    auto &state = Module_DU::State();
    state.LastFolder = lastFolder_->path() + QLatin1Char('/');
    state.SoftwareFolder = softwareFolder_->path() + QLatin1Char('/');
}

void TestFilePage::cleanup()
{
    Dialogs::Replace(nullptr);
}

void TestFilePage::ActivatePage(frm_Du_File &page)
{
    page.show();
    QTRY_VERIFY(page.windowTitle().startsWith(Module_DU::State().Texts[13]));
}

QString TestFilePage::WriteDsw(const QString &folder, const QString &name,
                               const QStringList &entries, int offsetSeconds)
{
    const QString path = folder + name;
    if (!WriteFileAt(path, DswBuilder::Token(entries), Base.addSecs(offsetSeconds)))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

void TestFilePage::coarseWriteTimeCountsFrom1601()
{
    QCOMPARE(CoarseWriteTime(QDateTime(QDate(1601, 1, 1), QTime(0, 0), Qt::UTC)), 0);
    QCOMPARE(CoarseWriteTime(QDateTime::fromMSecsSinceEpoch(0, Qt::UTC)), 27111902);
    const int32_t unit = CoarseWriteTime(Base);
    QCOMPARE(CoarseWriteTime(Base.addSecs(400)), unit);
    QCOMPARE(CoarseWriteTime(Base.addSecs(430)), unit + 1);
}

void TestFilePage::newestFile_data()
{
    QTest::addColumn<QStringList>("names");   // a trailing "/" makes a folder
    QTest::addColumn<QList<int>>("seconds");  // write time after Base
    QTest::addColumn<QString>("expected");

    QTest::newRow("newer vup wins") << QStringList{"DECODERSW.DAT", "DS_NEW.VUP"}
                                    << QList<int>{0, 600} << "DS_NEW.VUP";
    QTest::newRow("older vup loses") << QStringList{"DECODERSW.DAT", "DS_OLD.VUP"}
                                     << QList<int>{600, 0} << "DECODERSW.DAT";
    QTest::newRow("same coarse time: first by name wins")
        << QStringList{"DECB.DAT", "DECA.DAT"} << QList<int>{0, 60} << "DECA.DAT";
    QTest::newRow("newer file of another name does not count")
        << QStringList{"DECODERSW.DAT", "readme.txt", "DECOLD.DAT"} << QList<int>{600, 1200, 0}
        << "DECODERSW.DAT";
    QTest::newRow("names match without case") << QStringList{"decsoft.dat", "ds_x.VUP"}
                                              << QList<int>{600, 0} << "decsoft.dat";
    QTest::newRow("DEC.DAT overlaps") << QStringList{"DEC.DAT"} << QList<int>{0} << "DEC.DAT";
    QTest::newRow("folders are skipped") << QStringList{"DECSOFT.DAT/", "DSA.VUP"}
                                         << QList<int>{0, 0} << "DSA.VUP";
    QTest::newRow("no matching name") << QStringList{"DECODERSW.DAT.bak", "DS.VU", "XDEC.DAT"}
                                      << QList<int>{0, 0, 0} << QString();
}

void TestFilePage::newestFile()
{
    QFETCH(QStringList, names);
    QFETCH(QList<int>, seconds);
    QFETCH(QString, expected);
    const QString folder = Module_DU::State().LastFolder;
    for (int i = 0; i < names.size(); ++i) {
        if (names[i].endsWith(QLatin1Char('/')))
            QVERIFY(QDir(folder).mkdir(names[i]));
        else
            QVERIFY(WriteFileAt(folder + names[i], "D", Base.addSecs(seconds[i])));
    }
    QCOMPARE(FindNewestSoftwareFile(), expected.isEmpty() ? QString() : folder + expected);
}

void TestFilePage::newestFileOfMissingFolderIsEmpty()
{
    Module_DU::State().LastFolder = lastFolder_->filePath(QStringLiteral("gone/"));
    QCOMPARE(FindNewestSoftwareFile(), QString());
    Module_DU::State().LastFolder.clear();
    QCOMPARE(FindNewestSoftwareFile(), QString());
}

void TestFilePage::controlsCarryTheirNames()
{
    frm_Du_File page;
    for (const char *name : {"Command1", "Command2", "Command3", "Command4", "Command5"})
        QVERIFY2(page.findChild<QPushButton *>(QLatin1String(name)), name);
    for (const char *name : {"Label1", "Label2", "Label3", "Lab_Online"})
        QVERIFY2(page.findChild<QLabel *>(QLatin1String(name)), name);
    for (const char *name : {"mnu_menue", "mnu_update", "mnu_h"})
        QVERIFY2(page.findChild<QMenu *>(QLatin1String(name)), name);
    for (const char *name : {"mnu_beenden", "mnu_upd_decsw", "mnu_hilfe", "men_log", "mnu_info"})
        QVERIFY2(page.findChild<QAction *>(QLatin1String(name)), name);
    auto *list = page.findChild<QTreeWidget *>(QStringLiteral("ListView1"));
    QVERIFY(list);
    QCOMPARE(list->headerItem()->text(0), QStringLiteral("Typ"));
    QCOMPARE(list->headerItem()->text(1), QStringLiteral("Ver."));
    QCOMPARE(list->headerItem()->text(2), QStringLiteral("ID"));
    QCOMPARE(list->columnWidth(1), 40);
    QVERIFY(!page.findChild<QPushButton *>(QStringLiteral("Command3"))->isEnabled());
}

void TestFilePage::loadListsRowsSelectsAllAndNamesTheFile()
{
    const QString path = WriteDsw(Module_DU::State().LastFolder, QStringLiteral("DECODERSW.DAT"),
                                  {"30:TB-S30:1.07:2:64", "7:TB-M7:2.14:1:32"});
    frm_Du_File page;
    page.LoadSoftwareFile(path);
    auto *list = page.findChild<QTreeWidget *>(QStringLiteral("ListView1"));
    QCOMPARE(list->topLevelItemCount(), 2);
    const QTreeWidgetItem *second = list->topLevelItem(1);
    QCOMPARE(QStringList({second->text(0), second->text(1), second->text(2)}),
             QStringList({"TB-M7", "2.14", "7"}));
    QCOMPARE(list->selectedItems().size(), 2);
    QVERIFY(page.findChild<QPushButton *>(QStringLiteral("Command3"))->isEnabled());
    QCOMPARE(Module_DU::State().SoftwareFilePath, path);
    QCOMPARE(page.windowTitle(), QStringLiteral("Software selection ...") + path.right(30));
    QVERIFY(dialogs_.messages.isEmpty());
}

void TestFilePage::captionShortensLongPaths_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("shortened");
    QTest::newRow("30 characters shown whole") << 30 << false;
    QTest::newRow("31 characters shortened") << 31 << true;
}

void TestFilePage::captionShortensLongPaths()
{
    QFETCH(int, length);
    QFETCH(bool, shortened);
    QTemporaryDir dir(QStringLiteral("/tmp/fXXXXXX"));
    const QString folder = dir.path() + QLatin1Char('/');
    QVERIFY(folder.size() < length - 4);
    const QString path = folder + QString(length - folder.size() - 4, QLatin1Char('d'))
                         + QStringLiteral(".dat");
    QCOMPARE(path.size(), length);
    QVERIFY(DswBuilder::WriteFile(path, "DF;0;1;1;2;A;1;0;1."));
    frm_Du_File page;
    page.LoadSoftwareFile(path);
    const QString shown = shortened ? QStringLiteral("...") + path.right(30) : path;
    QCOMPARE(page.windowTitle(), QStringLiteral("Software selection ") + shown);
}

void TestFilePage::ktEntryWarnsAndKeepsNextDisabled()
{
    const QString path = WriteDsw(Module_DU::State().LastFolder, QStringLiteral("DECKT.DAT"),
                                  {"7:TB-M7:2.14:1:32", "90:KT9:1.00:3:32"});
    frm_Du_File page;
    page.LoadSoftwareFile(path);
    QCOMPARE(dialogs_.messages,
             QStringList{QStringLiteral("Warnung|KT-Decoder werden derzeit nicht unterstützt. "
                                        "\r\nUpdate nur über USB-Stick möglich!")});
    QVERIFY(!page.findChild<QPushButton *>(QStringLiteral("Command3"))->isEnabled());
    auto *list = page.findChild<QTreeWidget *>(QStringLiteral("ListView1"));
    QCOMPARE(list->topLevelItemCount(), 2);
    QCOMPARE(list->topLevelItem(1)->text(0), QStringLiteral("KT9"));
}

void TestFilePage::fixedIndexTypeThreeDoesNotWarn()
{
    const QString path = Module_DU::State().LastFolder + QStringLiteral("DECFIX.DAT");
    QVERIFY(DswBuilder::WriteFile(path, DswBuilder::Fixed({"7:KT7:1.0:3:32"})));
    frm_Du_File page;
    page.LoadSoftwareFile(path);
    QVERIFY(dialogs_.messages.isEmpty());
    QVERIFY(page.findChild<QPushButton *>(QStringLiteral("Command3"))->isEnabled());
    QCOMPARE(page.findChild<QTreeWidget *>(QStringLiteral("ListView1"))->topLevelItemCount(), 1);
}

void TestFilePage::unreadableIndexListsNothingButEnablesNext_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("foreign file") << QByteArray("GIF89a");
    QTest::newRow("token index without F") << QByteArray("DX;0;1;1;2;A;1;0;1.");
}

void TestFilePage::unreadableIndexListsNothingButEnablesNext()
{
    QFETCH(QByteArray, bytes);
    const QString path = Module_DU::State().LastFolder + QStringLiteral("x.dat");
    QVERIFY(DswBuilder::WriteFile(path, bytes));
    frm_Du_File page;
    page.LoadSoftwareFile(path);
    QCOMPARE(page.findChild<QTreeWidget *>(QStringLiteral("ListView1"))->topLevelItemCount(), 0);
    QVERIFY(dialogs_.messages.isEmpty());
    QVERIFY(page.findChild<QPushButton *>(QStringLiteral("Command3"))->isEnabled());
    QVERIFY(page.windowTitle().endsWith(QStringLiteral("x.dat")));
    QCOMPARE(Module_DU::State().SoftwareFilePath, path);
}

void TestFilePage::fileThatCannotBeOpenedChangesNothingElse()
{
    const QString good = WriteDsw(Module_DU::State().LastFolder, QStringLiteral("DECODERSW.DAT"),
                                  {"7:TB-M7:2.14:1:32"});
    frm_Du_File page;
    page.LoadSoftwareFile(good);
    const QString caption = page.windowTitle();
    for (const QString &bad : {Module_DU::State().LastFolder + QStringLiteral("missing.dat"),
                               Module_DU::State().LastFolder}) {
        page.LoadSoftwareFile(bad);
        QCOMPARE(Module_DU::State().SoftwareFilePath, QString());
        QCOMPARE(page.findChild<QTreeWidget *>(QStringLiteral("ListView1"))->topLevelItemCount(),
                 0);
        QCOMPARE(page.windowTitle(), caption);
        QVERIFY(page.findChild<QPushButton *>(QStringLiteral("Command3"))->isEnabled());
    }
}

void TestFilePage::firstActivationLoadsNewestFile()
{
    const QString folder = Module_DU::State().LastFolder;
    WriteDsw(folder, QStringLiteral("DECODERSW.DAT"), {"7:OLD:1.00:1:32"});
    const QString newest = WriteDsw(folder, QStringLiteral("DS_2.VUP"), {"7:NEW:2.00:1:32"}, 600);
    frm_Du_File page;
    int onlineRuns = 0;
    page.SetOnlineUpdateRunner([&onlineRuns] { ++onlineRuns; });
    ActivatePage(page);
    QCOMPARE(onlineRuns, 0);
    QCOMPARE(Module_DU::State().SoftwareFilePath, newest);
    auto *list = page.findChild<QTreeWidget *>(QStringLiteral("ListView1"));
    QCOMPARE(list->topLevelItem(0)->text(0), QStringLiteral("NEW"));
    QCOMPARE(page.findChild<QPushButton *>(QStringLiteral("Command1"))->text(),
             QStringLiteral("<-- Back"));
    QCOMPARE(page.findChild<QPushButton *>(QStringLiteral("Command3"))->text(),
             QStringLiteral("Next -->"));
    QCOMPARE(page.findChild<QLabel *>(QStringLiteral("Lab_Online"))->text(),
             Module_DU::State().Texts[40]);
}

void TestFilePage::firstActivationFallsBackToOnlineUpdate()
{
    frm_Du_File page;
    QString downloaded;
    page.SetOnlineUpdateRunner([this, &downloaded] {
        downloaded = WriteDsw(Module_DU::State().SoftwareFolder, QStringLiteral("DECODERSW.DAT"),
                              {"12:FETCHED:3.01:1:32"});
    });
    ActivatePage(page);
    const auto &state = Module_DU::State();
    QCOMPARE(state.SoftwareFilePath, downloaded);
    QCOMPARE(state.LastFolder, state.SoftwareFolder);
    QCOMPARE(state.LastFile, downloaded);
    QVERIFY(dialogs_.openTitles.isEmpty());
    QCOMPARE(page.findChild<QTreeWidget *>(QStringLiteral("ListView1"))->topLevelItem(0)->text(0),
             QStringLiteral("FETCHED"));
}

void TestFilePage::nothingFoundOnlineOpensTheDialog()
{
    frm_Du_File page;
    page.SetOnlineUpdateRunner([] {});
    ActivatePage(page);
    QCOMPARE(dialogs_.openTitles, QStringList{QStringLiteral("Please select a software file")});
    for (const char *pattern : {"*.dat", "*.vup", "*.DAT", "*.VUP"})
        QVERIFY2(dialogs_.openFilters.value(0).contains(QLatin1String(pattern)), pattern);
    QCOMPARE(dialogs_.openFolders.value(0), Module_DU::State().SoftwareFolder);
    QCOMPARE(Module_DU::State().SoftwareFilePath, QString());
    QVERIFY(!page.findChild<QPushButton *>(QStringLiteral("Command3"))->isEnabled());
}

void TestFilePage::openDialogSetsFolderAndFile()
{
    QTemporaryDir other;
    dialogs_.openAnswer = WriteDsw(other.path() + QLatin1Char('/'), QStringLiteral("mine.vup"),
                                   {"5:PICKED:1.00:1:32"});
    frm_Du_File page;
    page.findChild<QPushButton *>(QStringLiteral("Command4"))->click();
    const auto &state = Module_DU::State();
    QCOMPARE(state.LastFolder, other.path() + QLatin1Char('/'));
    QCOMPARE(state.LastFile, dialogs_.openAnswer);
    QCOMPARE(state.SoftwareFilePath, dialogs_.openAnswer);
    QCOMPARE(page.findChild<QTreeWidget *>(QStringLiteral("ListView1"))->topLevelItemCount(), 1);
}

void TestFilePage::cancelledDialogKeepsFolderAndFile()
{
    auto &state = Module_DU::State();
    state.LastFile = state.LastFolder + QStringLiteral("DECODERSW.DAT");
    const QString folder = state.LastFolder;
    frm_Du_File page;
    page.findChild<QPushButton *>(QStringLiteral("Command4"))->click();
    QCOMPARE(dialogs_.openTitles.size(), 1);
    QCOMPARE(state.LastFolder, folder);
    QCOMPARE(state.LastFile, folder + QStringLiteral("DECODERSW.DAT"));
}

void TestFilePage::nextHandsOverSelectedIdsInListOrder()
{
    const QString path = WriteDsw(Module_DU::State().LastFolder, QStringLiteral("DECODERSW.DAT"),
                                  {"30:A:1.00:1:32", "7:B:1.00:1:32", "12:C:1.00:2:64"});
    frm_Du_File page;
    QSignalSpy next(&page, &frm_Du_File::NextRequested);
    page.LoadSoftwareFile(path);
    page.show();
    auto *list = page.findChild<QTreeWidget *>(QStringLiteral("ListView1"));
    auto *nextButton = page.findChild<QPushButton *>(QStringLiteral("Command3"));
    list->topLevelItem(1)->setSelected(false);
    nextButton->click();
    QCOMPARE(Module_DU::State().ChosenDecoders, QStringList({"30", "12"}));
    QCOMPARE(next.count(), 1);
    QVERIFY(page.isHidden());

    list->clearSelection();
    nextButton->click();
    QCOMPARE(Module_DU::State().ChosenDecoders, QStringList());
}

void TestFilePage::backThenForwardSearchesAgain()
{
    const QString folder = Module_DU::State().LastFolder;
    WriteDsw(folder, QStringLiteral("DECODERSW.DAT"), {"7:FIRST:1.00:1:32"});
    frm_Du_File page;
    QSignalSpy back(&page, &frm_Du_File::BackRequested);
    ActivatePage(page);
    page.findChild<QPushButton *>(QStringLiteral("Command1"))->click();
    QCOMPARE(back.count(), 1);
    QVERIFY(page.isHidden());

    const QString newer = WriteDsw(folder, QStringLiteral("DS_B.VUP"),
                                   {"8:SECOND:1.00:1:32", "9:THIRD:1.00:1:32"}, 900);
    page.show();
    QTRY_COMPARE(Module_DU::State().SoftwareFilePath, newer);
    auto *list = page.findChild<QTreeWidget *>(QStringLiteral("ListView1"));
    QCOMPARE(list->topLevelItemCount(), 2);
    QCOMPARE(list->topLevelItem(0)->text(0), QStringLiteral("SECOND"));
}

void TestFilePage::exitButtonAndMenuEndTheProgram()
{
    frm_Du_File page;
    page.SetOnlineUpdateRunner([] {});
    QSignalSpy unloaded(&page, &frm_Du_File::Unloaded);
    page.findChild<QPushButton *>(QStringLiteral("Command2"))->click();
    QVERIFY(Module_DU::State().Exiting);
    QCOMPARE(unloaded.count(), 1);

    QSignalSpy exit(&page, &frm_Du_File::ExitRequested);
    page.findChild<QAction *>(QStringLiteral("mnu_beenden"))->trigger();
    QCOMPARE(exit.count(), 1);
}

QTEST_MAIN(TestFilePage)
#include "test_file_page.moc"
