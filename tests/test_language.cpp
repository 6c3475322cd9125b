// The language table: the texts file's oddities, the built-in fallback, the language menu and
// tobrik-cli texts.
#include "TestFolders.h"
#include "support/TestEnvironment.h"

#include "app/LanguageTexts.h"
#include "app/Module_DU.h"
#include "port/frm_Du_Com.h"

#include <QAction>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

namespace {
// Texts files are Windows-1252 bytes; they are written as such, so decoding is checked too.
QString WriteTexts(const TestFolders &folders, const QByteArray &content)
{
    return TestFolders::WriteFile(folders.CommonFolder() + "TBK_Texte.txt", content);
}

const char *TwoLanguages = "Anzahl_Sprachen, 2\r\n"
                           "Sprache, 1, Deutsch\r\n"
                           "Sprache, 2, Fran\xe7" "ais \x80\r\n"
                           "Anfang_Strings\r\n"
                           "ID, 2\r\n1, Beenden\r\n2, Quit\r\n"
                           "ID, 9\r\n1, Links stehen die Decoder\r\n";
} // namespace

class LanguageTest : public QObject {
    Q_OBJECT

private slots:
    void oddItemsAreSkipped();
    void menuSwitchesAndKeepsPreviousWording();
    void cliPrintsTheTable();
};

// Items that fit no rule are skipped one by one; a file that ends inside a pair keeps what it
// stored before.
void LanguageTest::oddItemsAreSkipped()
{
    TestFolders folders;
    auto &state = Module_DU::State();
    LanguageTexts::ReadTexts(WriteTexts(folders,
        "Kommentar, Anzahl_Sprachen, 2\n"
        "Aktuelle_Sprache, 1\n"
        "Sprache, 11, Elfte\n"           // out of range: "Elfte" is read as a key and skipped
        "Sprache, x, Deutsch\n"
        "Sprache, 0, Null\n"
        "Anfang_Strings\n"
        "ID, 101\n1, zu gross\n"
        "ID, -1\n1, negativ\n"
        "ID, abc\n1, keine Zahl\n"
        "ID, 3\n1, Weiter\n01, falscher Schluessel\n3, andere Sprache\n"
        "Unbekannt\n"
        "ID, 100\n1, Letzter\n"
        "ID, 2\n1"));
    QCOMPARE(state.LanguageCount, 2);
    QCOMPARE(state.LanguageNames[0], QString("Null"));
    QVERIFY(state.LanguageNames[1].isEmpty());
    QCOMPARE(state.Texts[3], QString("Weiter"));
    QCOMPARE(state.Texts[100], QString("Letzter"));
    QCOMPARE(state.Texts[0], QString("The comm port should be located automatically."));
    QCOMPARE(state.Texts[2], QString("Exit"));
}

// The second language lacks text 9, which keeps the first language's wording.
void LanguageTest::menuSwitchesAndKeepsPreviousWording()
{
    TestFolders folders;
    WriteTexts(folders, TwoLanguages);
    frm_Du_Com page;
    page.Form_Load();
    const auto items = page.findChildren<QAction *>("mnu_sprachen");
    QCOMPARE(items.size(), 2);
    QCOMPARE(items[0]->text(), QString("Deutsch"));
    QCOMPARE(items[1]->text(), QString::fromUtf8("Français €"));
    QVERIFY(items[0]->isChecked() && !items[1]->isChecked());
    QCOMPARE(page.windowTitle(), QString("Comm port selection"));

    items[1]->trigger();
    const auto &state = Module_DU::State();
    QCOMPARE(state.LanguageIndex, 1);
    QVERIFY(!items[0]->isChecked() && items[1]->isChecked());
    QCOMPARE(page.findChild<QPushButton *>("Command2")->text(), QString("Quit"));
    QCOMPARE(state.Texts[9], QString("Links stehen die Decoder"));
}

void LanguageTest::cliPrintsTheTable()
{
    TestFolders folders;
    const QString path = WriteTexts(folders, TwoLanguages);
    QProcess cli;
    cli.start(TestEnvironment::CliPath(), {"texts", "--file", path, "--language", "fr"});
    QVERIFY(cli.waitForFinished());
    QCOMPARE(cli.exitCode(), 0);
    const QStringList lines = QString::fromUtf8(cli.readAllStandardOutput()).split('\n');
    QCOMPARE(lines.mid(0, 5), (QStringList{"LanguageIndex=1", "LanguageValid=0", "LanguageCount=2",
                                          "LanguageNames[1]=Deutsch",
                                          QString::fromUtf8("LanguageNames[2]=Français €")}));
    QVERIFY(lines.contains("Texts[2]=Quit"));
    QVERIFY(lines.contains("Texts[0]=The comm port should be located automatically."));
}

QTEST_MAIN(LanguageTest)
#include "test_language.moc"
