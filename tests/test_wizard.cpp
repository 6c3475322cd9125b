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
#include <QCheckBox>
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
const QStringList TwoDecoders{"12:TB12:1.00:1:64", "34:TB34:2.00:2:128"};

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
    void backAndForwardPrepareUpdatePageAfresh();
    void detectionAfterBackFromFilePage();
    void sideWindowsFromEveryPage();
    void infoVersionLine_data();
    void infoVersionLine();
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
    QTest::newRow("port page close box") << false << "close" << true;
    QTest::newRow("port page File -> Exit") << false << "men_ende" << false;
    QTest::newRow("file page Exit") << true << "Command2" << true;
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

// Back from the update page, and later from the file page, prepares each page afresh on the next
// visit: the options follow the decoders chosen now, the captions the language chosen now.
void WizardTest::backAndForwardPrepareUpdatePageAfresh()
{
    TestFolders folders;
    Install(folders);
    Ship(folders, TwoDecoders);
    AnsweringDialogs dialogs;
    Wizard wizard;
    wizard.Start();
    QVERIFY(ToUpdatePage(wizard));
    frm_Du_File &filePage = *wizard.FilePage();
    frm_update &updatePage = *wizard.UpdatePage();
    QCOMPARE(Button(updatePage, "Command3")->text(), QStringLiteral("Update starten!"));
    QVERIFY(!Control<QCheckBox>(updatePage, "Check1")->isEnabled());

    Button(updatePage, Back)->click();
    auto *rows = Control<QTreeWidget>(filePage, "ListView1");
    rows->clearSelection();
    rows->topLevelItem(1)->setSelected(true);
    Button(filePage, "Command3")->click();
    QCOMPARE(Module_DU::State().ChosenDecoders, QStringList{"34"});
    QVERIFY(Control<QCheckBox>(updatePage, "Check1")->isEnabled());

    // Back to the port page, English from the language menu, and forward again.
    Button(updatePage, Back)->click();
    Button(filePage, "Command1")->click();
    frm_Du_Com &portPage = *wizard.PortPage();
    portPage.findChildren<QAction *>(QStringLiteral("mnu_sprachen")).at(EnglishItem)->trigger();
    QVERIFY(ToUpdatePage(wizard));
    QCOMPARE(Button(updatePage, "Command3")->text(), QStringLiteral("Start update!"));
    QCOMPARE(updatePage.windowTitle(), QStringLiteral("Update decoder"));
    QCOMPARE(Module_DU::State().ChosenDecoders, (QStringList{"12", "34"})); // reloaded, all chosen
    QVERIFY(!Control<QCheckBox>(updatePage, "Check1")->isEnabled());
}

// Next stops the port scan; Back starts it again, and a port that came meanwhile sets the
// detection going.
void WizardTest::detectionAfterBackFromFilePage()
{
    TestFolders folders;
    Ship(folders, OneDecoder);
    SimPorts ports(QStringLiteral("3=sim:box"));
    AnsweringDialogs dialogs;
    Wizard wizard;
    wizard.Start();
    QVERIFY(ToFilePage(wizard));
    const QString detection = QStringLiteral("Search Programmer");
    QCOMPARE(ports.CountLog(detection), 1);
    auto *scanTimer = wizard.PortPage()->findChild<QTimer *>(QStringLiteral("Timer2"));
    QVERIFY(!scanTimer->isActive());

    PortMap::Instance().Attach(5, std::make_shared<SimDevice>(QStringLiteral("plugged in later")));
    Button(*wizard.FilePage(), "Command1")->click();
    QVERIFY(wizard.PortPage()->isVisible() && wizard.FilePage()->isHidden());
    QVERIFY(scanTimer->isActive());
    QTRY_COMPARE(ports.CountLog(detection), 2);
    QTRY_COMPARE(Control<QListWidget>(*wizard.PortPage(), "List1")->item(4)->text(),
                 QStringLiteral("COM5 - exists"));
}

// Help, Log and Info on every page: one help page and one log window for all, shown without
// blocking; the info box modal above the page it was asked from. The help page holds its static
// German text, paragraph by paragraph with every space as written; OK unloads it.
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
    const QStringList expected{
        R"(VARNO Decoder Update)",
        R"(Um ein Update durchzuführen sind folgende Punkte zu beachten:)",
        R"(1. Verbinden Sie das QXFLINT mit der seriellen Schnittstelle Ihres PC's)",
        R"(2. Schließen Sie das mitgelieferte Netzteil an.)",
        R"(3. Auswahl der richtigen Com-Schnittstelle:)",
        R"(Im Normalfall sollte das QXFLINT beim Programmstart automatisch gefunden werden. )"
        R"(Wenn Sie das Gerät erst nach dem Programmstart angeschlossen haben  drücken Sie )"
        R"(einmal den Button "Com Autodetect".)",
        R"(Wenn nun "Programmer an Com x gefunden" im Fenster steht ist alles OK. Ansonsten )"
        R"(kontrollieren Sie bitte die Verkabelung oder wählen Sie die Schnittstelle händisch)",
        R"(4. Auswahl der Software-Datei:)",
        R"(Die aktuelle Software-Datei steht immer auf der VARNO-Homepage zum Download bereit )"
        R"(und beinhaltet die Software für alle Updatebaren VARNO-Dekoder.)",
        R"(Wenn sich diese Datei im gleichen Ordner wie das KTL befindet wird sie beim )"
        R"(Programmstart automatisch geöffnet, ansonsten drücken Sie auf "Datei öffnen" und )"
        R"(wählen die Datei, die normalerweise den Namen "DECODERSW.DAT" trägt, händisch aus.)",
        R"(Jetzt sollte im Fenster neben "Datei öffnen" angezeigt werden für welche Dekoder )"
        R"(Software vorhanden ist und welche Versionen. Dieses Fenster ist nur zur Information, )"
        R"(es muß hier nichts ausgewählt werden.)",
        R"(5. Anschluß des Dekoders:)",
        R"(Verbinden Sie Ihr Programmiergleis mithilfe des mitgelieferten Steckers mit dem )"
        R"(QXFLINT und stellen Sie die zu Updatende Lok aufs Gleis. Die Polarität ist dabei )"
        R"(egal. )",
        R"(6. Update durchführen:)",
        R"(Klicken Sie auf den Button "Decoder Updaten". Im Info-Fenster werden nun )"
        R"(Informationen über den Status der Updateprozedur angezeigt. Wenn die Verbindung )"
        R"(erfolgreich aufgebaut werden konnte und der angeschlossene Decoder erkannt wurde )"
        R"(startet nach einer Sicherheitsabfrage das Update. Während des Updates läuft unten )"
        R"(eine Balkenanzeige die den Fortschritt anzeigt. Wenn dieser Balken voll ist dann ist )"
        R"(das Update abgeschlossen und Sie können die Lok vom Gleis nehmen.)",
        R"(Sollte das Update wiederholt abbrechen benutzen Sie die "Alternative Updatemethode".)",
    };
    const auto *text = Control<QTextBrowser>(*help, "txt_hilfe");
    QCOMPARE(text->toPlainText().split(QLatin1Char('\n')), expected);
    QCOMPARE(text->verticalScrollBar()->value(), 0); // opens at its heading

    Button(*help, "cmd_ok")->click();
    QVERIFY(!wizard.HelpPage());
    QTRY_VERIFY(!help);
}

void WizardTest::infoVersionLine_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QDateTime>("date");
    QTest::addColumn<QString>("line");
    const QDate day(2015, 8, 17);
    QTest::newRow("US, year widened") << "en_US" << QDateTime(day, QTime(10, 23))
                                      << "Version 1.24.07     8/17/2015";
    QTest::newRow("a date with spaces") << "C" << QDateTime(day, QTime(10, 23))
                                        << "Version 1.24.07     17 Aug 2015";
    QTest::newRow("a second past midnight") << "de_DE" << QDateTime(day, QTime(0, 0, 1))
                                            << "Version 1.24.07     17.08.2015";
    QTest::newRow("midnight") << "de_DE" << QDateTime(day, QTime(0, 0))
                              << "Version 5.7.0         17.08.2015";
    QTest::newRow("no date") << "de_DE" << QDateTime() << "Version 5.7.0         17.08.2015";
}

void WizardTest::infoVersionLine()
{
    QFETCH(QString, locale);
    QFETCH(QDateTime, date);
    QFETCH(QString, line);
    QCOMPARE(InfoVersionLine(QStringLiteral("1.24.07"), date, QLocale(locale)), line);
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
// the box found, the demo's file loaded, the decoder updated, Exit; the settings file written.
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
    Button(updatePage, "Command3")->click();
    QCOMPARE(dialogs.questions,
             QStringList{"Decoder found|TB-M10 found, would you like to update?"});
    QVERIFY2(Lines(updatePage).contains(QStringLiteral("Update finished")),
             qPrintable(Lines(updatePage).join('\n')));
    QCOMPARE(box.Flash(), UpdateRig::PayloadOf(TestFolders::ReadFile(DemoFile()), DecoderId));

    Button(updatePage, "cmd_beenden")->click();
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(TestFolders::ReadFile(SettingsFile(folders)),
             "[Config]\nLANGUAGE=en\n[LastFolders]\nDECSOFTWARE="
                 + folders.SoftwareFolder().toUtf8() + "\n[LastFiles]\nDECSOFTWARE=\n");
    QTRY_VERIFY(!wizard.FilePage() && !wizard.UpdatePage());
}

QTEST_MAIN(WizardTest)
#include "test_wizard.moc"
