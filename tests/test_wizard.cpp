// The wizard around an update: close requests and the close-down while it runs, a termination
// signal at its question, and the one help page every page shows. (A whole update through the
// page is test_update_end_to_end's.)
#include "history/UpdateHistory.h"
#include "SimPortRig.h"
#include "TestEnvironment.h"
#include "TestFolders.h"
#include "support/AnsweringDialogs.h"
#include "support/UpdatePageControls.h"
#include "support/UpdateRig.h"

#include "app/Module_DU.h"
#include "gui/Wizard.h"
#include "history/frm_history.h"
#include "app/frm_Du_Hilfe.h"
#include "app/LanguageTexts.h"
#include "port/frm_Du_Com.h"
#include "software/frm_Du_File.h"
#include "update/frm_update.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>
#include <csignal>

namespace {
using namespace UpdatePageControls;

constexpr int DecoderId = 12;  // TB-M10 in the shipped sample file, 32-byte blocks
constexpr int RunGiveUpMs = 60000;
constexpr int PollMs = 10;

const QStringList OneDecoder{"12:TB12:1.00:1:64"};

// The demo's set-up: the all-users folder as an installation lays it out (the texts file, no
// decoder software file) and the demo's file in the user's own software folder.
void Install(const TestFolders &folders)
{
    TestFolders::WriteFile(folders.CommonFolder() + "TBK_Texte.txt",
                           TestFolders::ReadFile(TestEnvironment::ShareDir() + "/TBK_Texte.txt"));
    TestFolders::WriteFile(folders.SoftwareFolder() + "DECODERSW.DAT",
                           TestFolders::ReadFile(TestEnvironment::DemoSoftwareFile()));
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

// Whether this process holds path open (Linux; elsewhere nothing is known).
bool HeldOpen(const QString &path)
{
    const QString wanted = QFileInfo(path).canonicalFilePath();
    const QFileInfoList handles = QDir(QStringLiteral("/proc/self/fd")).entryInfoList(QDir::AllEntries | QDir::System);
    return std::any_of(handles.begin(), handles.end(), [&wanted](const QFileInfo &handle) {
        return handle.symLinkTarget() == wanted;
    });
}

// A simulated update box on COM3 with decoder 12 on its track.
struct BoxWithDecoder {
    SimDevice &Device() const { return *ports.Device(3); }

    SimPorts ports{QStringLiteral("3=sim:box?decoder=%1").arg(DecoderId)};
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
int RunAndStartUpdate(Wizard &wizard, const std::function<void()> &beforeStart)
{
    const GiveUp giveUp;
    OnceStarted(wizard, [&wizard, beforeStart] {
        if (!ToUpdatePage(wizard))
            return QCoreApplication::exit(1);
        QuickBursts(*wizard.UpdatePage());
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
    void closeDuringUpdateWaitsForItsEnd();
    void oneHelpPageForEveryPage();
    void closeDownDuringUpdateKeepsThePage();
    void signalAtTheQuestionAnswersNo();
};

void WizardTest::init()
{
    Module_DU::ResetState();
}

// While an update runs, a close request does nothing and says nothing; once it has ended, the
// same request ends the program.
void WizardTest::closeDuringUpdateWaitsForItsEnd()
{
    UpdateRig rig;
    rig.WriteSoftware(OneDecoder);
    Module_DU::State().ChosenDecoders = QStringList{"12"};
    AnsweringDialogs dialogs;
    frm_update page;
    QSignalSpy unloaded(&page, &frm_update::Unloaded);
    page.show();
    QuickBursts(page);
    bool visibleWhileRunning = false;
    dialogs.onQuestion = [&] {
        page.close();
        visibleWhileRunning = page.isVisible();
    };

    Button(page, "Command3")->click();
    QCOMPARE(dialogs.questions.size(), 1);
    QVERIFY(visibleWhileRunning);
    QCOMPARE(unloaded.count(), 0);
    QVERIFY(!Module_DU::State().Exiting);
    QVERIFY(Lines(page).contains(Text(TextId::UpdateFinished)));
    QCOMPARE(dialogs.questions.size(), 1); // no message about the refusal either

    page.close();
    QCOMPARE(unloaded.count(), 1);
    QVERIFY(Module_DU::State().Exiting);
    QVERIFY(page.isHidden());
}

// Help from every page brings the one help page forward, History the one History window; OK
// unloads the help page. Every window carries the
// program's icon, drawn for a large taskbar too.
void WizardTest::oneHelpPageForEveryPage()
{
    TestFolders folders;
    Install(folders);
    AnsweringDialogs dialogs;
    Wizard wizard;
    wizard.Start();
    QVERIFY(ToUpdatePage(wizard));
    const QList<std::pair<QWidget *, const char *>> helpItems{
        {wizard.PortPage(), "men_hilfe"}, {wizard.FilePage(), "mnu_hilfe"}, {wizard.UpdatePage(), "mnu_hilfe"}};
    QPointer<frm_Du_Hilfe> help;
    for (const auto &[page, item] : helpItems) {
        Control<QAction>(*page, item)->trigger();
        QVERIFY2(wizard.HelpPage() && wizard.HelpPage()->isVisible(), item);
        QVERIFY(!help || wizard.HelpPage() == help);
        help = wizard.HelpPage();
    }
    const QList<std::pair<QWidget *, const char *>> historyItems{
        {wizard.PortPage(), "men_history"}, {wizard.FilePage(), "mnu_history"}, {wizard.UpdatePage(), "mnu_history"}};
    QPointer<frm_history> history;
    for (const auto &[page, item] : historyItems) {
        Control<QAction>(*page, item)->trigger();
        QVERIFY2(wizard.HistoryWindow() && wizard.HistoryWindow()->isVisible(), item);
        QVERIFY(!history || wizard.HistoryWindow() == history);
        history = wizard.HistoryWindow();
    }
    const QSize taskbarSize(256, 256);
    for (const QWidget *window : QApplication::topLevelWidgets())
        QVERIFY2(window->windowIcon().actualSize(taskbarSize) == taskbarSize,
                 qPrintable(window->objectName()));
    QImage blank(taskbarSize, QImage::Format_ARGB32_Premultiplied);
    blank.fill(Qt::transparent);
    QVERIFY(QApplication::windowIcon().pixmap(taskbarSize).toImage() != blank);
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
    Install(folders);
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
    // The user said Yes, and the close-down let the update end by itself.
    const std::vector<UpdateRecord> history =
        UpdateHistory::Read(folders.UserFolder() + "Update_History.jsonl");
    QCOMPARE(history.size(), size_t{1});
    QCOMPARE(ResultName(history[0].result), "finished");
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
    // The program said No for the user, who never answered.
    const std::vector<UpdateRecord> history =
        UpdateHistory::Read(folders.UserFolder() + "Update_History.jsonl");
    QCOMPARE(history.size(), size_t{1});
    QCOMPARE(ResultName(history[0].result), "interrupted");
}

QTEST_MAIN(WizardTest)
#include "test_wizard.moc"
