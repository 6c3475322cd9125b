// The start-up and close-down of the whole program, run in empty temporary folders.
#include "TestFolders.h"

#include "app/Module_DU.h"
#include "port/frm_Du_Com.h"

#include <QFileInfo>
#include <QLocale>
#include <QtTest>

namespace {
const QByteArray ShippedFile("shipped image");
const QDateTime ShippedTime(QDate(2015, 8, 17), QTime(10, 23));

void ShipSoftware(const TestFolders &folders)
{
    TestFolders::WriteFile(folders.CommonFolder() + "DECSOFT/DECODERSW.DAT", ShippedFile);
    TestFolders::WriteFile(folders.CommonFolder() + "DECSOFT/old/readme.txt", "kept below");
    QFile file(folders.CommonFolder() + "DECSOFT/DECODERSW.DAT");
    QVERIFY(file.open(QIODevice::ReadWrite));
    file.setFileTime(ShippedTime, QFileDevice::FileModificationTime);
}

// The locale the program finds as the system's while it lives, as LANG would set it.
class SystemLocale {
public:
    explicit SystemLocale(const QString &lang) { QLocale::setDefault(QLocale(lang)); }
    ~SystemLocale() { QLocale::setDefault(QLocale::system()); }
};
} // namespace

class StartupTest : public QObject {
    Q_OBJECT

private slots:
    void firstStartSeedsTheSoftwareFolder();
    void seedingRule_data();
    void seedingRule();
    void languageSurvivesARun_data();
    void languageSurvivesARun();
};

void StartupTest::firstStartSeedsTheSoftwareFolder()
{
    TestFolders folders;
    ShipSoftware(folders);
    frm_Du_Com page;
    page.Form_Load();
    QCOMPARE(Module_DU::State().LastFolder, folders.SoftwareFolder());
    const QString copy = folders.SoftwareFolder() + "DECODERSW.DAT";
    QCOMPARE(TestFolders::ReadFile(copy), ShippedFile);
    QCOMPARE(QFileInfo(copy).lastModified(), ShippedTime);
    QCOMPARE(TestFolders::ReadFile(folders.SoftwareFolder() + "old/readme.txt"),
             QByteArray("kept below"));
}

void StartupTest::seedingRule_data()
{
    QTest::addColumn<QString>("userFile");
    QTest::addColumn<bool>("seeded");
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
}

void StartupTest::languageSurvivesARun_data()
{
    QTest::addColumn<QString>("lang");        // the system's locale
    QTest::addColumn<QByteArray>("settings"); // null: no file yet
    QTest::addColumn<int>("languages");       // offered by the texts file
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("writtenBack");
    const QByteArray unset;
    // The close-down writes back the code the start-up read, even one the texts file does not
    // offer.
    QTest::newRow("EN offered") << "C" << QByteArray("[Config]\nLANGUAGE=EN\n") << 3 << 1 << "en";
    QTest::newRow("fr not offered") << "C" << QByteArray("[Config]\nLANGUAGE=fr\n") << 2 << 1
                                    << "fr";
    // Until the settings name a language, the start-up takes the one the system speaks.
    QTest::newRow("Canadian French") << "fr_CA.UTF-8" << unset << 3 << 2 << "fr";
    QTest::newRow("the stored language decides")
        << "en_GB.UTF-8" << QByteArray("[Config]\nLANGUAGE=fr\n") << 3 << 2 << "fr";
}

void StartupTest::languageSurvivesARun()
{
    QFETCH(QString, lang);
    QFETCH(QByteArray, settings);
    QFETCH(int, languages);
    QFETCH(int, index);
    QFETCH(QString, writtenBack);
    TestFolders folders;
    // The shipped file's languages, in Windows-1252 as it is written.
    TestFolders::WriteFile(folders.CommonFolder() + "TBK_Texte.txt",
                           "Anzahl_Sprachen, " + QByteArray::number(languages)
                               + "\nSprache, 1, Deutsch\nSprache, 2, English\n"
                                 "Sprache, 3, Fran\xe7" "ais\nAnfang_Strings\n");
    if (!settings.isNull())
        TestFolders::WriteFile(folders.UserFolder() + "Inits.ini",
                               settings + "[LastFiles]\nDECSOFTWARE=/a/b.dat\n");
    const SystemLocale locale(lang);
    frm_Du_Com page;
    page.Form_Load();
    QCOMPARE(Module_DU::State().LanguageIndex, index);
    page.close();
    const QByteArray written = TestFolders::ReadFile(folders.UserFolder() + "Inits.ini");
    QVERIFY2(written.contains("[Config]\nLANGUAGE=" + writtenBack.toUtf8() + "\n"), written);
    if (!settings.isNull())
        QVERIFY2(written.contains("[LastFiles]\nDECSOFTWARE=/a/b.dat\n"), written);
}

QTEST_MAIN(StartupTest)
#include "test_startup.moc"
