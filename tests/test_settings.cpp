// The settings file: profile-file semantics and the values kept between runs.
#include "TestFolders.h"

#include "app/Module_DU.h"
#include "app/mod_config.h"
#include "app/mod_ini.h"

#include <QtTest>

namespace {
// The profile reader's 750-character buffer less its NUL; written out, so that a changed
// limit in the code shows.
constexpr int ReaderKeepsCharacters = 749;
} // namespace

class SettingsTest : public QObject {
    Q_OBJECT

private slots:
    void readValue_data();
    void readValue();
    void writeKeepsOtherLinesAndReplacesInPlace();
    void saveWritesTheValues();
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

// A save writes every value and keeps the user's other lines, and the next start reads them; a fourth language of the
// texts file has no code and is stored empty.
void SettingsTest::saveWritesTheValues()
{
    TestFolders folders;
    auto &state = Module_DU::State();
    state.SettingsFile = TestFolders::WriteFile(folders.UserFolder() + "Inits.ini",
                                                "; kept\n[Ports]\nCOM3=/dev/ttyUSB0\n");
    state.LanguageValid = true;
    state.LanguageIndex = 4;
    state.LastFolder = "/first/";
    state.LastFile = "/first/DECODERSW.DAT";
    state.UpdateNote = "BR 218 \"rot\"";
    mod_config::SaveConfig();
    QCOMPARE(TestFolders::ReadFile(state.SettingsFile),
             QByteArray("; kept\n[Ports]\nCOM3=/dev/ttyUSB0\n[Config]\nLANGUAGE=\n"
                        "[LastFolders]\nDECSOFTWARE=/first/\n"
                        "[LastFiles]\nDECSOFTWARE=/first/DECODERSW.DAT\n"
                        "[Update]\nNOTE=BR 218 \"rot\"\n"));
    // The next start reads them back.
    const QString settingsFile = state.SettingsFile;
    Module_DU::ResetState();
    state.SettingsFile = settingsFile;
    mod_config::LoadConfig();
    QCOMPARE(state.LastFile, QString("/first/DECODERSW.DAT"));
    QCOMPARE(state.UpdateNote, QString("BR 218 \"rot\""));
}

QTEST_GUILESS_MAIN(SettingsTest)
#include "test_settings.moc"
