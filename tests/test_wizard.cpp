// The wizard as a user moves through it: Next and Back, every way of ending the program and
// what each leaves in the settings file, the side windows of every page (help, log, info), the
// close-down while an update runs, termination signals, and one whole run from the port page
// to a flashed decoder.
#include "SimPortRig.h"
#include "TestEnvironment.h"
#include "TestFolders.h"
#include "support/AnsweringDialogs.h"
#include "support/DswBuilder.h"
#include "support/UpdatePageControls.h"
#include "support/UpdateRig.h"

#include "app/LanguageTexts.h"
#include "app/Module_DU.h"
#include "gui/Wizard.h"
#include "app/frm_Du_Hilfe.h"
#include "app/frm_Du_Info.h"
#include "app/frm_log.h"
#include "port/frm_Du_Com.h"
#include "software/frm_Du_File.h"
#include "update/frm_update.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTextBrowser>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <QtTest>
#include <csignal>

namespace {
using namespace UpdatePageControls;

constexpr int DecoderId = 12;  // TB-M10 in the shipped sample file, 32-byte blocks
constexpr int EnglishItem = 1; // the language menu's second item, English in the shipped texts
constexpr int RunGiveUpMs = 60000;
constexpr int PollMs = 10;

const QStringList OneDecoder{"12:TB12:1.00:1:64"};

QString DemoFile()
{
    return TestEnvironment::DemoSoftwareFile();
}

// The demo's set-up: the all-users folder as an installation lays it out (the texts file, no
// decoder software file) and the demo's file in the user's own software folder.
void Install(const TestFolders &folders)
{
    TestFolders::WriteFile(folders.CommonFolder() + "TBK_Texte.txt",
                           TestFolders::ReadFile(TestEnvironment::ShareDir() + "/TBK_Texte.txt"));
    TestFolders::WriteFile(folders.SoftwareFolder() + "DECODERSW.DAT",
                           TestFolders::ReadFile(DemoFile()));
}

// A decoder software file of the test's own in the all-users folder, seeded at start.
void Ship(const TestFolders &folders, const QStringList &entries)
{
    TestFolders::WriteFile(folders.CommonFolder() + "DECSOFT/DECODERSW.DAT",
                           DswBuilder::Build(entries));
}

QString SettingsFile(const TestFolders &folders)
{
    return folders.UserFolder() + "Inits.ini";
}

// The port page's first scan, then Next; the file page loads the file it finds.
bool ToFilePage(Wizard &wizard)
{
    QPushButton *next = Button(*wizard.PortPage(), "Command6");
    if (!QTest::qWaitFor([next] { return next->isEnabled(); }))
        return false;
    Module_DU::State().SoftwareFilePath.clear();
    next->click();
    return QTest::qWaitFor([&wizard] {
        return wizard.FilePage() && !Module_DU::State().SoftwareFilePath.isEmpty();
    });
}

bool ToUpdatePage(Wizard &wizard)
{
    if (!ToFilePage(wizard))
        return false;
    Button(*wizard.FilePage(), "Command3")->click();
    return wizard.UpdatePage() && wizard.UpdatePage()->isVisible();
}

// Bursts that calibrate at once: a target of 0 ms is met by the smallest loop count.
void QuickBursts(const frm_update &page)
{
    Control<QLineEdit>(page, "txt_timing")->setText(QStringLiteral("1000"));
    Control<QLineEdit>(page, "txt_timing_soll")->setText(QStringLiteral("0"));
    Control<QLineEdit>(page, "txt_pream")->setText(QStringLiteral("10"));
}

// The modal box the next trigger opens: its title and version line, then OK.
struct InfoBoxSeen {
    QString title;
    QString versionLine;
};

InfoBoxSeen OpenInfo(const QWidget &page, const char *item)
{
    InfoBoxSeen seen;
    QTimer::singleShot(0, [&seen] {
        QWidget *box = QApplication::activeModalWidget();
        if (!box)
            return;
        seen.title = box->windowTitle();
        seen.versionLine = Control<QLabel>(*box, "Label2")->text();
        Button(*box, "cmd_ok")->click();
    });
    Control<QAction>(page, item)->trigger();
    return seen;
}

// Whether this process holds path open (Linux; elsewhere nothing is known).
bool HeldOpen(const QString &path)
{
    const QString wanted = QFileInfo(path).canonicalFilePath();
    const QFileInfoList handles = QDir(QStringLiteral("/proc/self/fd")).entryInfoList(QDir::AllEntries | QDir::System);
    return std::any_of(handles.begin(), handles.end(), [&wanted](const QFileInfo &handle) {
        return handle.symLinkTarget() == wanted;
    });
}

// A simulated update box on COM3 with decoder 12 on its track, its flash written to a file.
struct BoxWithDecoder {
    QString FlashPath() const { return flashFolder.filePath(QStringLiteral("flash.bin")); }
    QByteArray Flash() const { return TestFolders::ReadFile(FlashPath()); }
    SimDevice &Device() const { return *ports.Device(3); }

    QTemporaryDir flashFolder;
    SimPorts ports{QStringLiteral("3=sim:box?decoder=%1&flash=%2")
                       .arg(DecoderId)
                       .arg(QString::fromLatin1(QUrl::toPercentEncoding(FlashPath())))};
};

// Runs drive once Run's start-up has shown the port page. (A timer that fired earlier would
// run inside the start-up's own waits, which cannot end before it returns.)
void OnceStarted(Wizard &wizard, const std::function<void()> &drive)
{
    auto *poll = new QTimer(&wizard);
    QObject::connect(poll, &QTimer::timeout, [poll, &wizard, drive] {
        if (!wizard.PortPage() || !wizard.PortPage()->isVisible())
            return;
        poll->deleteLater();
        poll->stop();
        drive();
    });
    poll->start(PollMs);
}

// Ends a Run whose driving failed half-way, so that the failure is reported instead of a hang.
class GiveUp : public QTimer {
public:
    GiveUp()
    {
        setSingleShot(true);
        connect(this, &QTimer::timeout, [] { QCoreApplication::exit(1); });
        start(RunGiveUpMs);
    }
};

// Runs the program and, once the port page shows, goes on to the update page and starts the
// update there, beforeStart first; returns Run's exit status.
int RunAndStartUpdate(Wizard &wizard, const std::function<void()> &beforeStart = {})
{
    const GiveUp giveUp;
    OnceStarted(wizard, [&wizard, beforeStart] {
        if (!ToUpdatePage(wizard))
            return QCoreApplication::exit(1);
        QuickBursts(*wizard.UpdatePage());
        if (beforeStart)
            beforeStart();
        Button(*wizard.UpdatePage(), "Command3")->click();
    });
    return wizard.Run();
}
} // namespace

class WizardTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void endings_data();
    void endings();
    void exitDuringUpdate_data();
    void exitDuringUpdate();
    void sideWindowsFromEveryPage();
    void closeDownDuringUpdateKeepsThePage();
    void signalDuringTransferWaitsForItsEnd();
    void signalAtTheQuestionAnswersNo();
    void wholeWizard();
};

void WizardTest::init()
{
    Module_DU::ResetState();
}

void WizardTest::endings_data()
{
    QTest::addColumn<bool>("onFilePage"); // else on the port page
    QTest::addColumn<QString>("request");
    QTest::addColumn<bool>("closeDown");
    QTest::newRow("port page Exit") << false << "Command2" << true;
    QTest::newRow("port page File -> Exit") << false << "men_ende" << false;
    QTest::newRow("file page close box") << true << "close" << true;
    QTest::newRow("file page File -> Exit") << true << "mnu_beenden" << true;
}

// Every way out ends the program. All but the port page's File -> Exit run the close-down: it
// stops the port scan, unloads and deletes every page and side window there is and writes the
// settings file. After File -> Exit not even a later close writes it. (The update page's ways
// out, once its update has ended, are exitDuringUpdate's.)
void WizardTest::endings()
{
    QFETCH(bool, onFilePage);
    QFETCH(QString, request);
    QFETCH(bool, closeDown);
    TestFolders folders;
    Ship(folders, OneDecoder);
    AnsweringDialogs dialogs;
    Wizard wizard;
    QSignalSpy finished(&wizard, &Wizard::Finished);
    wizard.Start();
    const QPointer<frm_log> log = wizard.ShowLog();
    wizard.ShowHelp();
    QWidget *current = wizard.PortPage();
    if (onFilePage) {
        QVERIFY(ToFilePage(wizard));
        current = wizard.FilePage();
    }

    const QByteArray name = request.toUtf8();
    if (request == "close")
        current->close();
    else if (auto *button = current->findChild<QPushButton *>(request))
        button->click();
    else
        Control<QAction>(*current, name.constData())->trigger();

    QTRY_COMPARE(finished.count(), 1);
    if (!closeDown)
        current->close();
    QCOMPARE(QFileInfo::exists(SettingsFile(folders)), closeDown);
    if (!closeDown)
        return;
    QVERIFY(Module_DU::State().Exiting);
    QVERIFY(!wizard.LogWindow() && !wizard.HelpPage());
    QVERIFY(!wizard.PortPage()->findChild<QTimer *>(QStringLiteral("Timer2"))->isActive());
    QTRY_VERIFY(!log && !wizard.FilePage() && !wizard.UpdatePage());
    QVERIFY(wizard.PortPage()->isHidden());
}

void WizardTest::exitDuringUpdate_data()
{
    QTest::addColumn<QString>("request");
    QTest::newRow("Exit") << "cmd_beenden";
    QTest::newRow("File -> Exit") << "mnu_beenden";
    QTest::newRow("close box") << "close";
}

// While an update runs, no close request acts and none says anything; once it has ended, the
// same request ends the program.
void WizardTest::exitDuringUpdate()
{
    QFETCH(QString, request);
    UpdateRig rig;
    rig.WriteSoftware(OneDecoder);
    Module_DU::State().ChosenDecoders = QStringList{"12"};
    AnsweringDialogs dialogs;
    frm_update page;
    QSignalSpy unloaded(&page, &frm_update::Unloaded);
    page.show();
    QuickBursts(page);
    const auto ask = [&page, &request] {
        if (request == "close")
            page.close();
        else if (request == "cmd_beenden")
            Button(page, "cmd_beenden")->click();
        else
            Control<QAction>(page, "mnu_beenden")->trigger();
    };
    bool visibleWhileRunning = false;
    dialogs.onQuestion = [&] {
        ask();
        visibleWhileRunning = page.isVisible();
    };

    Button(page, "Command3")->click();
    QCOMPARE(dialogs.questions.size(), 1);
    QVERIFY(visibleWhileRunning);
    QCOMPARE(unloaded.count(), 0);
    QVERIFY(!Module_DU::State().Exiting);
    QVERIFY(Lines(page).contains(Text(TextId::UpdateFinished)));
    QCOMPARE(dialogs.questions.size(), 1); // no message about the refusal either

    ask();
    QCOMPARE(unloaded.count(), 1);
    QVERIFY(Module_DU::State().Exiting);
    QVERIFY(page.isHidden());
}

// Help, Log and Info on every page: one help page and one log window for all, shown without
// blocking; the info box modal above the page it was asked from. The help page holds its static
// German text, every space as written; OK unloads it.
void WizardTest::sideWindowsFromEveryPage()
{
    TestFolders folders;
    Ship(folders, OneDecoder);
    AnsweringDialogs dialogs;
    Wizard wizard;
    wizard.Start();
    QVERIFY(ToUpdatePage(wizard));
    struct Items {
        QWidget *page;
        const char *help;
        const char *log;
        const char *info;
    };
    const QList<Items> pages{
        {wizard.PortPage(), "men_hilfe", "men_log", "men_info"},
        {wizard.FilePage(), "mnu_hilfe", "men_log", "mnu_info"},
        {wizard.UpdatePage(), "mnu_hilfe", "mnu_log", "mnu_info"},
    };
    const auto &state = Module_DU::State();
    const QString versionLine = InfoVersionLine(state.ProgramVersion, state.ProgramDate, QLocale());
    QPointer<frm_Du_Hilfe> help;
    for (const Items &items : pages) {
        const QByteArray page = items.page->objectName().toUtf8();
        Control<QAction>(*items.page, items.help)->trigger();
        QVERIFY2(wizard.HelpPage() && wizard.HelpPage()->isVisible(), page);
        QVERIFY2(!help || wizard.HelpPage() == help, page);
        help = wizard.HelpPage();
        Control<QAction>(*items.page, items.log)->trigger();
        QVERIFY2(wizard.LogWindow() && wizard.LogWindow()->isVisible(), page);

        const InfoBoxSeen info = OpenInfo(*items.page, items.info);
        QCOMPARE(info.title, QStringLiteral("Info"));
        QCOMPARE(info.versionLine, versionLine);
        QVERIFY(!QApplication::activeModalWidget());
    }

    QCOMPARE(help->windowTitle(), QStringLiteral("Hilfe"));
    const auto *text = Control<QTextBrowser>(*help, "txt_hilfe");
    const QStringList paragraphs = text->toPlainText().split(QLatin1Char('\n'));
    QCOMPARE(paragraphs.size(), 16);
    QCOMPARE(paragraphs.first(), QStringLiteral("VARNO Decoder Update"));
    QVERIFY(paragraphs.at(5).contains("angeschlossen haben  drücken")); // two spaces, as written
    QCOMPARE(paragraphs.last(),
             QStringLiteral("Sollte das Update wiederholt abbrechen benutzen Sie die "
                            "\"Alternative Updatemethode\"."));
    QCOMPARE(text->verticalScrollBar()->value(), 0); // opens at its heading

    Button(*help, "cmd_ok")->click();
    QVERIFY(!wizard.HelpPage());
    QTRY_VERIFY(!help);
}

// A close-down while an update runs (here while it asks its question) unloads the update page
// but deletes it only once the update has returned; the update still closes the software file
// and the port.
void WizardTest::closeDownDuringUpdateKeepsThePage()
{
    TestFolders folders;
    Ship(folders, OneDecoder);
    BoxWithDecoder box;
    AnsweringDialogs dialogs;
    Wizard wizard;
    QSignalSpy finished(&wizard, &Wizard::Finished);
    wizard.Start();
    QVERIFY(ToUpdatePage(wizard));
    const QPointer<frm_update> page = wizard.UpdatePage();
    QuickBursts(*page);
    bool keptDuringUpdate = false;
    bool fileOpenDuringUpdate = false;
    dialogs.onQuestion = [&] {
        fileOpenDuringUpdate = HeldOpen(Module_DU::State().SoftwareFilePath);
        wizard.PortPage()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        keptDuringUpdate = page && page->isHidden();
    };

    Button(*page, "Command3")->click();
    QCOMPARE(finished.count(), 1);
    QVERIFY(fileOpenDuringUpdate);
    QVERIFY(keptDuringUpdate);
    QVERIFY(!HeldOpen(Module_DU::State().SoftwareFilePath));
    QVERIFY(!box.Device().Connected());
    QTRY_VERIFY(!page);
    QVERIFY(QFileInfo::exists(SettingsFile(folders)));
}

// SIGTERM in the middle of the transfer: the update goes on to its end, then the close-down
// runs and the program ends.
void WizardTest::signalDuringTransferWaitsForItsEnd()
{
    TestFolders folders;
    Install(folders);
    BoxWithDecoder box;
    AnsweringDialogs dialogs;
    box.ports.onLog = [](const QString &line) {
        if (line == QStringLiteral("Block=3"))
            std::raise(SIGTERM);
    };
    Wizard wizard;
    QSignalSpy finished(&wizard, &Wizard::Finished);
    QCOMPARE(RunAndStartUpdate(wizard), 0);

    QCOMPARE(finished.count(), 1);
    QCOMPARE(box.Flash(), UpdateRig::PayloadOf(TestFolders::ReadFile(DemoFile()), DecoderId));
    QVERIFY(box.ports.CountLog(QStringLiteral("Block=4")) > 0);
    QVERIFY(!HeldOpen(Module_DU::State().SoftwareFilePath));
    QVERIFY(QFileInfo::exists(SettingsFile(folders)));
}

// SIGTERM while the update's question waits for a user: the question is answered No, the update
// ends before anything of the image is sent, and the program ends.
void WizardTest::signalAtTheQuestionAnswersNo()
{
    TestFolders folders;
    Install(folders);
    BoxWithDecoder box;
    Wizard wizard;
    QSignalSpy finished(&wizard, &Wizard::Finished);
    QTimer question;
    connect(&question, &QTimer::timeout, [&question] {
        if (qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            question.stop();
            std::raise(SIGTERM);
        }
    });
    QCOMPARE(RunAndStartUpdate(wizard, [&question] { question.start(PollMs); }), 0);

    QCOMPARE(finished.count(), 1);
    QCOMPARE(box.ports.CountLog(QStringLiteral("--- Update Start ---")), 1);
    QCOMPARE(box.ports.CountLog(QStringLiteral("Block=0")), 0);
    QVERIFY(!box.Device().Connected());
    QVERIFY(QFileInfo::exists(SettingsFile(folders)));
}

// The whole wizard as a user meets it on the demo's set-up: English from the language menu,
// the box found, the demo's file loaded, the update page shown, Exit; the settings file written.
// (A whole update through the page is test_update_end_to_end's.)
void WizardTest::wholeWizard()
{
    TestFolders folders;
    Install(folders);
    BoxWithDecoder box;
    AnsweringDialogs dialogs;
    Wizard wizard;
    QSignalSpy finished(&wizard, &Wizard::Finished);
    wizard.Start();
    frm_Du_Com &portPage = *wizard.PortPage();
    portPage.findChildren<QAction *>(QStringLiteral("mnu_sprachen")).at(EnglishItem)->trigger();
    QCOMPARE(portPage.windowTitle(), QStringLiteral("Comm port selection"));
    QTRY_COMPARE(Control<QListWidget>(portPage, "List1")->item(2)->text(),
                 QStringLiteral("COM3 - QXFLINT"));
    QCOMPARE(Module_DU::State().SelectedPort, QStringLiteral("3"));

    QVERIFY(ToFilePage(wizard));
    frm_Du_File &filePage = *wizard.FilePage();
    QCOMPARE(Module_DU::State().SoftwareFilePath, folders.SoftwareFolder() + "DECODERSW.DAT");
    QCOMPARE(Control<QTreeWidget>(filePage, "ListView1")->topLevelItem(0)->text(0),
             QStringLiteral("TB-M10"));

    Button(filePage, "Command3")->click();
    frm_update &updatePage = *wizard.UpdatePage();
    QVERIFY(updatePage.isVisible() && filePage.isHidden());
    QCOMPARE(Button(updatePage, "Command3")->text(), QStringLiteral("Start update!"));

    Button(updatePage, "cmd_beenden")->click();
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(TestFolders::ReadFile(SettingsFile(folders)),
             "[Config]\nLANGUAGE=en\n[LastFolders]\nDECSOFTWARE="
                 + folders.SoftwareFolder().toUtf8() + "\n[LastFiles]\nDECSOFTWARE=\n");
    QTRY_VERIFY(!wizard.FilePage() && !wizard.UpdatePage());
}

QTEST_MAIN(WizardTest)
#include "test_wizard.moc"
