// The start-up and close-down of the whole program, run in empty temporary folders.
#include "TestFolders.h"

#include "app/Dialogs.h"
#include "app/Module_DU.h"
#include "app/Wizard.h"
#include "online/mod_URLDownload.h"
#include "port/frm_Du_Com.h"
#include "software/frm_Du_File.h"
#include "support/HttpsTestServer.h"

#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>
#include <csignal>

namespace {
const QByteArray ShippedFile("shipped image");
constexpr int SignalDelayMs = 100;
constexpr int PollIntervalMs = 10;

void ShipSoftware(const TestFolders &folders)
{
    TestFolders::WriteFile(folders.CommonFolder() + "DECSOFT/DECODERSW.DAT", ShippedFile);
    TestFolders::WriteFile(folders.CommonFolder() + "DECSOFT/old/readme.txt", "kept below");
    QFile file(folders.CommonFolder() + "DECSOFT/DECODERSW.DAT");
    QVERIFY(file.open(QIODevice::ReadWrite));
    file.setFileTime(QDateTime(QDate(2015, 8, 17), QTime(10, 23)), QFileDevice::FileModificationTime);
}

// Counts the message boxes and file dialogs the program opens, and answers none of them.
class CountingDialogs : public Dialogs {
public:
    CountingDialogs() { Dialogs::Replace(this); }
    ~CountingDialogs() override { Dialogs::Replace(nullptr); }
    void Message(QWidget *, const QString &, const QString &) override { ++opened; }
    QString OpenFileName(QWidget *, const QString &, const QString &, const QString &) override
    {
        ++opened;
        return {};
    }
    int opened = 0;
};

// The shipped file's languages, in Windows-1252 as it is written.
void WriteThreeLanguages(const TestFolders &folders)
{
    TestFolders::WriteFile(folders.CommonFolder() + "TBK_Texte.txt",
                           "Anzahl_Sprachen, 3\nSprache, 1, Deutsch\nSprache, 2, English\n"
                           "Sprache, 3, Fran\xe7" "ais\nAnfang_Strings\n");
}

// The locale the program finds as the system's while it lives, as LANG would set it.
class SystemLocale {
public:
    explicit SystemLocale(const QString &lang) { QLocale::setDefault(QLocale(lang)); }
    ~SystemLocale() { QLocale::setDefault(QLocale::system()); }
    SystemLocale(const SystemLocale &) = delete;
    SystemLocale &operator=(const SystemLocale &) = delete;
};
} // namespace

class StartupTest : public QObject {
    Q_OBJECT

private slots:
    void firstStartCreatesAndSeedsFolders();
    void seedingRule_data();
    void seedingRule();
    void portPageAfterStart();
    void storedLanguageSurvivesARun_data();
    void storedLanguageSurvivesARun();
    void languageOfTheFirstStart_data();
    void languageOfTheFirstStart();
    void unusableFoldersStillStart();
    void terminationDuringOnlineUpdate();
};

void StartupTest::firstStartCreatesAndSeedsFolders()
{
    TestFolders folders;
    ShipSoftware(folders);
    frm_Du_Com page;
    page.Form_Load();
    const auto &state = Module_DU::State();
    QCOMPARE(state.UserFolder, folders.UserFolder());
    QCOMPARE(state.SoftwareFolder, folders.SoftwareFolder());
    QCOMPARE(state.CommonFolder, QDir::cleanPath(folders.CommonFolder()) + "/");
    QCOMPARE(state.SettingsFile, folders.UserFolder() + "Inits.ini");
    QCOMPARE(state.LastFolder, folders.SoftwareFolder());

    const QString copy = folders.SoftwareFolder() + "DECODERSW.DAT";
    QCOMPARE(TestFolders::ReadFile(copy), ShippedFile);
    QCOMPARE(QFileInfo(copy).lastModified(), QDateTime(QDate(2015, 8, 17), QTime(10, 23)));
    QCOMPARE(TestFolders::ReadFile(folders.SoftwareFolder() + "old/readme.txt"),
             QByteArray("kept below"));
    QVERIFY(!QFileInfo::exists(folders.CommonFolder() + "Inits.ini"));
}

void StartupTest::seedingRule_data()
{
    QTest::addColumn<QString>("userFile");
    QTest::addColumn<bool>("seeded");
    QTest::newRow("only dat files") << "DECODERSW.DAT" << true;
    QTest::newRow("upper-case VUP") << "DS_NEW.VUP" << true;
    QTest::newRow("lower-case vup") << "ds_new.vup" << false;
}

void StartupTest::seedingRule()
{
    QFETCH(QString, userFile);
    QFETCH(bool, seeded);
    TestFolders folders;
    ShipSoftware(folders);
    TestFolders::WriteFile(folders.SoftwareFolder() + userFile, "user's own");
    TestFolders::WriteFile(folders.SoftwareFolder() + "DECODERSW.DAT", "user's old copy");
    frm_Du_Com page;
    page.Form_Load();
    QCOMPARE(TestFolders::ReadFile(folders.SoftwareFolder() + "DECODERSW.DAT"),
             seeded ? ShippedFile : QByteArray("user's old copy"));
    if (userFile != "DECODERSW.DAT")
        QCOMPARE(TestFolders::ReadFile(folders.SoftwareFolder() + userFile), QByteArray("user's own"));
}

void StartupTest::portPageAfterStart()
{
    TestFolders folders;
    frm_Du_Com page;
    page.Form_Load();
    auto *list = page.findChild<QListWidget *>("List1");
    QCOMPARE(list->count(), 32);
    for (int i = 0; i < 32; ++i)
        QCOMPARE(list->item(i)->text(), QString("COM%1").arg(i + 1));
    QCOMPARE(list->currentRow(), 0);
    // Next waits for the first scan.
    auto *next = page.findChild<QPushButton *>("Command6");
    QVERIFY(!next->isEnabled());
    QTRY_VERIFY(next->isEnabled());
}

void StartupTest::storedLanguageSurvivesARun_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<bool>("threeLanguages");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("writtenBack");
    QTest::newRow("EN offered") << QByteArray("EN") << true << 1 << "en";
    QTest::newRow("fr not offered") << QByteArray("fr") << false << 1 << "fr";
    QTest::newRow("unknown keeps the first") << QByteArray("xx") << true << 0 << "de";
}

// The close-down writes back the code the start-up read, even one the texts file does not
// offer; a code that names no language keeps the first, and the first's code is written.
void StartupTest::storedLanguageSurvivesARun()
{
    QFETCH(QByteArray, stored);
    QFETCH(bool, threeLanguages);
    QFETCH(int, index);
    QFETCH(QString, writtenBack);
    TestFolders folders;
    if (threeLanguages)
        WriteThreeLanguages(folders);
    else
        TestFolders::WriteFile(folders.CommonFolder() + "TBK_Texte.txt", "Anzahl_Sprachen, 2\n");
    TestFolders::WriteFile(folders.UserFolder() + "Inits.ini",
                           "[Config]\nLANGUAGE=" + stored + "\n[LastFiles]\nDECSOFTWARE=/a/b.dat\n");
    frm_Du_Com page;
    page.Form_Load();
    QCOMPARE(Module_DU::State().LanguageIndex, index);
    page.close();
    const QByteArray written = TestFolders::ReadFile(folders.UserFolder() + "Inits.ini");
    QVERIFY2(written.startsWith("[Config]\nLANGUAGE=" + writtenBack.toUtf8() + "\n"), written);
    QVERIFY(written.contains("[LastFiles]\nDECSOFTWARE=/a/b.dat\n"));
}

void StartupTest::languageOfTheFirstStart_data()
{
    QTest::addColumn<QString>("lang");
    QTest::addColumn<QByteArray>("settings"); // null: no file yet
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("writtenBack");
    QTest::newRow("German") << "de_DE.UTF-8" << QByteArray() << 0 << "de";
    QTest::newRow("American English") << "en_US.UTF-8" << QByteArray() << 1 << "en";
    QTest::newRow("Canadian French") << "fr_CA.UTF-8" << QByteArray() << 2 << "fr";
    QTest::newRow("a language not offered") << "it_IT.UTF-8" << QByteArray() << 0 << "de";
    QTest::newRow("a file without a language")
        << "en_GB.UTF-8" << QByteArray("[Online]\nSERVER=https://example.org\n") << 1 << "en";
    QTest::newRow("the stored language decides")
        << "en_GB.UTF-8" << QByteArray("[Config]\nLANGUAGE=fr\n") << 2 << "fr";
}

// Until the settings name a language, the start-up takes the texts file's language that the
// system's locale speaks; the close-down stores it, so that it decides from then on.
void StartupTest::languageOfTheFirstStart()
{
    QFETCH(QString, lang);
    QFETCH(QByteArray, settings);
    QFETCH(int, index);
    QFETCH(QString, writtenBack);
    TestFolders folders;
    WriteThreeLanguages(folders);
    if (!settings.isNull())
        TestFolders::WriteFile(folders.UserFolder() + "Inits.ini", settings);
    const SystemLocale locale(lang);
    frm_Du_Com page;
    page.Form_Load();
    QCOMPARE(Module_DU::State().LanguageIndex, index);
    page.close();
    const QByteArray written = TestFolders::ReadFile(folders.UserFolder() + "Inits.ini");
    QVERIFY2(written.contains("[Config]\nLANGUAGE=" + writtenBack.toUtf8() + "\n"), written);
}

void StartupTest::unusableFoldersStillStart()
{
    TestFolders folders;
    // The per-user base is a plain file: nothing can be created below it.
    TestFolders::WriteFile(folders.UserBase() + "/blocked", "not a folder");
    qputenv("XDG_DATA_HOME", (folders.UserBase() + "/blocked").toUtf8());
    TestFolders::WriteFile(folders.CommonFolder() + "TBK_Texte.txt", "\"unclosed, \xff\x00\x01");
    frm_Du_Com page;
    page.Form_Load();
    QCOMPARE(page.findChild<QListWidget *>("List1")->count(), 32);
    QCOMPARE(Module_DU::State().Texts[2], QString("Exit"));
    page.close();
    QVERIFY(Module_DU::State().Exiting);
}

// SIGTERM while the file page's online update window downloads the software file: the
// close-down runs, the download leaves no file, and nothing more happens on the file page.
void StartupTest::terminationDuringOnlineUpdate()
{
    TestFolders folders;
    CountingDialogs dialogs;
    HttpsTestServer https;
    QVERIFY(https.Listen());
    mod_URLDownload::SetExtraCaCertificates({HttpsTestServer::Authority()});
    TestFolders::WriteFile(folders.UserFolder() + "Inits.ini",
                           "[Online]\nSERVER=" + https.BaseUrl().toUtf8() + "\n");
    const QString softwarePath = QStringLiteral("/files/DECODERSW.DAT");
    https.Serve("/update/DSW_Version.txt",
                "Decodersw, Version, 7, Datum, 24.12.2025, Location, " + https.BaseUrl().toUtf8()
                    + "/files/, Datei, DECODERSW.DAT, /Decodersw\r\n");
    https.Serve(softwarePath, "D;F;0;12;0;34;PART", HttpsTestServer::Delivery::Stall);
    // The signal comes once the answer's head and first bytes are on their way.
    connect(&https, &HttpsTestServer::Requested, this, [softwarePath](const QString &path) {
        if (path == softwarePath)
            QTimer::singleShot(SignalDelayMs, [] { std::raise(SIGTERM); });
    });

    Wizard wizard;
    QSignalSpy finished(&wizard, &Wizard::Finished);
    // The port page's Next opens the file page, which finds no software file and starts the
    // online update on its own.
    QTimer::singleShot(0, &wizard, [&wizard] {
        auto *next = wizard.PortPage()->findChild<QPushButton *>("Command6");
        QTimer *poll = new QTimer(next);
        connect(poll, &QTimer::timeout, next, [next, poll] {
            if (next->isEnabled()) {
                poll->stop();
                next->click();
            }
        });
        poll->start(PollIntervalMs);
    });
    QCOMPARE(wizard.Run(), 0);

    QCOMPARE(finished.count(), 1);
    QVERIFY(https.requests.contains(softwarePath));
    QVERIFY(QDir(folders.SoftwareFolder()).entryList(QDir::Files | QDir::Hidden).isEmpty());
    QCOMPARE(dialogs.opened, 0);
    QVERIFY(!wizard.FilePage()); // deleted once its online update had returned
    const QByteArray settings = TestFolders::ReadFile(folders.UserFolder() + "Inits.ini");
    QVERIFY2(settings.contains("[Online]") && settings.contains("[LastFolders]"), settings);
}

QTEST_MAIN(StartupTest)
#include "test_startup.moc"
