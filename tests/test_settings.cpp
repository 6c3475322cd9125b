// The settings file: profile-file semantics and the values kept between runs.
#include "TestFolders.h"

#include "app/Module_DU.h"
#include "app/mod_config.h"
#include "app/mod_ini.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QThread>
#include <QtTest>
#include <cstdio>

namespace {
// Re-invoked with this argument and a path, the test program becomes the child that saves
// the settings again and again until it is killed.
const char SaveUntilKilledArgument[] = "--save-settings-until-killed";
constexpr int KilledSaveRuns = 20;
// The kill lands at a random moment within this time after the child's first save.
constexpr int KillWindowUs = 20000;
constexpr int ChildStartTimeoutMs = 5000;
// The profile reader's 750-character buffer less its NUL; written out, so that a changed
// limit in the code shows.
constexpr int ReaderKeepsCharacters = 749;

// Two sets of values that differ in every one of the three; a fourth language of the texts
// file has no code and is stored empty.
void SetValues(bool second)
{
    auto &state = Module_DU::State();
    state.LanguageValid = true;
    state.LanguageIndex = second ? 1 : 4;
    state.LastFolder = second ? "/second/" : "/first/";
    state.LastFile = second ? "/second/DS_2.VUP" : "/first/DECODERSW.DAT";
}

[[noreturn]] void SaveUntilKilled(const QString &settingsFile)
{
    Module_DU::State().SettingsFile = settingsFile;
    for (bool second = true;; second = !second) {
        SetValues(second);
        mod_config::SaveConfig();
        std::fputs("saved\n", stdout);
        std::fflush(stdout);
    }
}
} // namespace

class SettingsTest : public QObject {
    Q_OBJECT

private slots:
    void readValue_data();
    void readValue();
    void writeKeepsOtherLinesAndReplacesInPlace();
    void killedSaveLeavesOldOrNewFile();
};

void SettingsTest::readValue_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("defaultValue");
    QTest::addColumn<QString>("expected");
    QTest::newRow("section and key without case") << "config" << "language" << "d" << "fr";
    QTest::newRow("same key in another section") << "Other" << "language" << "d" << "xx";
    QTest::newRow("missing key") << "Config" << "missing" << "def" << "def";
    QTest::newRow("quoted value loses its quotes")
        << "LastFolders" << "decsoftware" << "d" << "C:\\My Folder\\";
    QTest::newRow("long value cut")
        << "LastFiles" << "decsoftware" << "d" << QString(ReaderKeepsCharacters, 'v');
}

void SettingsTest::readValue()
{
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, defaultValue);
    QFETCH(QString, expected);
    TestFolders folders;
    const QString ini = TestFolders::WriteFile(
        folders.UserFolder() + "a.ini",
        "[other]\nLANGUAGE=xx\n[CONFIG]\n  Language = fr  \n"
        "[LastFolders]\nDECSOFTWARE=\"C:\\My Folder\\\"\n[LastFiles]\nDECSOFTWARE="
            + QByteArray(2 * ReaderKeepsCharacters, 'v') + "\n");
    QCOMPARE(mod_ini::ReadIniString(section, key, ini, defaultValue), expected);
    QCOMPARE(mod_ini::ReadIniString(section, key, ini + "x", "none"), QString("none"));
}

void SettingsTest::writeKeepsOtherLinesAndReplacesInPlace()
{
    TestFolders folders;
    const QString ini = TestFolders::WriteFile(
        folders.UserFolder() + "a.ini",
        "; a comment of the user\n[Config]\nlanguage=de\nother=1\n\n[Ports]\nCOM3=/dev/ttyUSB0\n");
    QVERIFY(mod_ini::WriteIniString("CONFIG", "language", "fr", ini));
    QVERIFY(mod_ini::WriteIniString("config", "added", "yes", ini));
    QVERIFY(mod_ini::WriteIniString("New", "k", "1", ini));
    QCOMPARE(TestFolders::ReadFile(ini),
             QByteArray("; a comment of the user\n[Config]\nLANGUAGE=fr\nother=1\nADDED=yes\n\n"
                        "[Ports]\nCOM3=/dev/ttyUSB0\n[New]\nK=1\n"));
    // A missing file is created; one that cannot be is reported.
    const QString created = folders.UserFolder() + "new.ini";
    QVERIFY(mod_ini::WriteIniString("A", "k", "1", created));
    QCOMPARE(TestFolders::ReadFile(created), QByteArray("[A]\nK=1\n"));
    QVERIFY(!mod_ini::WriteIniString("A", "k", "1", folders.UserFolder() + "no/such/dir/x.ini"));
}

// A save writes all three values and keeps the user's other lines; killed at any moment, it
// leaves the settings file whole: all old or all new values.
void SettingsTest::killedSaveLeavesOldOrNewFile()
{
    TestFolders folders;
    const QString ini = TestFolders::WriteFile(folders.UserFolder() + "Inits.ini",
                                               "; kept\n[Ports]\nCOM3=/dev/ttyUSB0\n");
    Module_DU::State().SettingsFile = ini;
    QByteArray whole[2];
    for (const bool second : {false, true}) {
        SetValues(second);
        mod_config::SaveConfig();
        whole[second] = TestFolders::ReadFile(ini);
    }
    QCOMPARE(whole[0], QByteArray("; kept\n[Ports]\nCOM3=/dev/ttyUSB0\n[Config]\nLANGUAGE=\n"
                                  "[LastFolders]\nDECSOFTWARE=/first/\n"
                                  "[LastFiles]\nDECSOFTWARE=/first/DECODERSW.DAT\n"));
    QVERIFY(whole[0] != whole[1]);

    for (int run = 0; run < KilledSaveRuns; ++run) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QString::fromLatin1(SaveUntilKilledArgument), ini});
        QVERIFY(child.waitForReadyRead(ChildStartTimeoutMs));
        QThread::usleep(QRandomGenerator::global()->bounded(KillWindowUs));
        child.kill();
        QVERIFY(child.waitForFinished(ChildStartTimeoutMs));
        const QByteArray left = TestFolders::ReadFile(ini);
        QVERIFY2(left == whole[0] || left == whole[1], left.constData());
    }
}

int main(int argc, char **argv)
{
    if (argc == 3 && qstrcmp(argv[1], SaveUntilKilledArgument) == 0)
        SaveUntilKilled(QString::fromLocal8Bit(argv[2]));
    QCoreApplication app(argc, argv);
    SettingsTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_settings.moc"
