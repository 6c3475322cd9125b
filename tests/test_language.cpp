// The language table: the texts file's oddities, the built-in fallback and the language menu.
#include "TestFolders.h"
#include "support/SparseFile.h"
#include "support/TestEnvironment.h"

#include "app/ItemReader.h"
#include "app/LanguageTexts.h"
#include "app/Log.h"
#include "app/Module_DU.h"
#include "port/frm_Du_Com.h"

#include <QAction>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

namespace {
QStringList AllItems(const QString &text)
{
    ItemReader reader(text);
    QStringList items;
    while (const auto item = reader.Next())
        items << *item;
    return items;
}

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
    void itemReaderSeparators_data();
    void itemReaderSeparators();
    void oddItemsAreSkipped();
    void fileEndingInsideAPair();
    void languageWithoutTextsFallsBack();
    void switchingKeepsPreviousWording();
    void menuFollowsTheFile();
    void menuWithoutTextsFile();
    void oversizedFileIsNotRead();
    void cliPrintsTheTable();
    void cliSaysWhenTheFileIsNotRead_data();
    void cliSaysWhenTheFileIsNotRead();
};

void LanguageTest::itemReaderSeparators_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("items");
    QTest::newRow("commas and lines") << "a, b\r\nc\nd\re" << QStringList{"a", "b", "c", "d", "e"};
    QTest::newRow("blanks around") << "  a  ,\tb \r\n" << QStringList{"a", "b"};
    QTest::newRow("quoted comma") << "\"x, y\", z" << QStringList{"x, y", "z"};
    QTest::newRow("text after closing quote") << "\"x\"junk,y" << QStringList{"x", "y"};
    QTest::newRow("quoted keeps blanks") << "\" a \"" << QStringList{" a "};
    QTest::newRow("unclosed quote") << "\"abc" << QStringList{"abc"};
    QTest::newRow("empty item") << "a,,b" << QStringList{"a", "", "b"};
    QTest::newRow("empty text") << "" << QStringList{};
}

void LanguageTest::itemReaderSeparators()
{
    QFETCH(QString, text);
    QFETCH(QStringList, items);
    QCOMPARE(AllItems(text), items);
}




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
        "ID, 3\n01, falscher Schluessel\n3, andere Sprache\n1, Weiter\n"
        "Unbekannt\n"
        "ID, 100\n1, Letzter\n"));
    QCOMPARE(state.LanguageCount, 2);
    QCOMPARE(state.LanguageNames[0], QString("Null"));
    QVERIFY(state.LanguageNames[1].isEmpty());
    QCOMPARE(state.Texts[3], QString("Weiter"));
    QCOMPARE(state.Texts[100], QString("Letzter"));
    QCOMPARE(state.Texts[0], LanguageTexts::BuiltInText(0));
}

void LanguageTest::fileEndingInsideAPair()
{
    TestFolders folders;
    LanguageTexts::ReadTexts(WriteTexts(
        folders, "Anzahl_Sprachen, 1\nAnfang_Strings\nID, 7\n1, Zurueck\nID, 2\n1"));
    const auto &state = Module_DU::State();
    QCOMPARE(state.Texts[7], QString("Zurueck"));
    QCOMPARE(state.Texts[2], QString("Exit"));
}


void LanguageTest::languageWithoutTextsFallsBack()
{
    TestFolders folders;
    auto &state = Module_DU::State();
    state.LanguageIndex = 1;
    LanguageTexts::ReadTexts(WriteTexts(
        folders, "Anzahl_Sprachen, 2\nAnfang_Strings\nID, 2\n1, Beenden\nID, 3\n1, Weiter\n"));
    for (int i = 0; i <= 50; ++i)
        QCOMPARE(state.Texts[i], LanguageTexts::BuiltInText(i));
    QCOMPARE(state.Texts[43], QString("Date of newest software: "));
    QCOMPARE(state.Texts[50], QString("Abort download"));
    QVERIFY(state.Texts[51].isEmpty());
}

// A texts file is a few kilobytes; one of more than 2 GiB is refused unread, with a line in the
// log, and the built-in texts stand.
void LanguageTest::oversizedFileIsNotRead()
{
    TestFolders folders;
    const QString path = folders.CommonFolder() + "TBK_Texte.txt";
    QVERIFY(SparseFile::Write(path, "Anzahl_Sprachen, 1\nAnfang_Strings\nID, 2\n1, Beenden\n"));
    QStringList log;
    Log::SetSink([&log](const QString &line) { log << line; });
    QVERIFY(!LanguageTexts::ReadTexts(path));
    Log::SetSink({});
    const auto &state = Module_DU::State();
    QCOMPARE(state.Texts[2], QString("Exit"));
    QCOMPARE(state.LanguageCount, 0);
    QCOMPARE(log.size(), 1);
    QVERIFY2(log.first().contains(path), qPrintable(log.first()));
}

void LanguageTest::switchingKeepsPreviousWording()
{
    TestFolders folders;
    auto &state = Module_DU::State();
    const QString path = WriteTexts(folders, TwoLanguages);
    LanguageTexts::ReadTexts(path);
    QCOMPARE(state.Texts[9], QString("Links stehen die Decoder"));
    state.LanguageIndex = 1;
    LanguageTexts::ReadTexts(path);
    QCOMPARE(state.Texts[2], QString("Quit"));
    QCOMPARE(state.Texts[9], QString("Links stehen die Decoder"));
}

void LanguageTest::menuFollowsTheFile()
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
    QCOMPARE(page.windowTitle(), LanguageTexts::BuiltInText(14));

    items[1]->trigger();
    const auto &state = Module_DU::State();
    QCOMPARE(state.LanguageIndex, 1);
    QVERIFY(!items[0]->isChecked() && items[1]->isChecked());
    QCOMPARE(page.findChild<QPushButton *>("Command2")->text(), QString("Quit"));
    QCOMPARE(page.findChild<QMenu *>("mnu_sprache")->title(), QString("Language"));
}

void LanguageTest::menuWithoutTextsFile()
{
    TestFolders folders;
    TestFolders::WriteFile(folders.UserFolder() + "Inits.ini", "[Config]\nLANGUAGE=en\n");
    frm_Du_Com page;
    page.Form_Load();
    const auto items = page.findChildren<QAction *>("mnu_sprachen");
    QCOMPARE(items.size(), 1);
    QCOMPARE(items[0]->text(), QString::fromUtf8("Ändern"));
    QVERIFY(!items[0]->isChecked()); // "en" names no item of an empty menu
    QCOMPARE(page.findChild<QPushButton *>("Command6")->text(), QString("Next -->"));
}

void LanguageTest::cliPrintsTheTable()
{
    TestFolders folders;
    const QString path = WriteTexts(folders, TwoLanguages);
    QProcess cli;
    cli.start(TestEnvironment::CliPath(),
              {"texts", "--file", path, "--language", "fr"});
    QVERIFY(cli.waitForFinished(10000));
    const QStringList lines = QString::fromUtf8(cli.readAllStandardOutput()).split('\n');
    QCOMPARE(lines.mid(0, 6), (QStringList{"LanguageIndex=1", "LanguageValid=0", "LanguageCount=2",
                                          "LanguageNames[1]=Deutsch", QString::fromUtf8("LanguageNames[2]=Français €"),
                                          "Texts[0]=" + LanguageTexts::BuiltInText(0)}));
    QVERIFY(lines.contains("Texts[2]=Quit"));
    QVERIFY(!lines.contains("Texts[51]="));
}

void LanguageTest::cliSaysWhenTheFileIsNotRead_data()
{
    QTest::addColumn<bool>("oversized"); // otherwise missing
    QTest::newRow("missing file") << false;
    QTest::newRow("file beyond 2 GiB") << true;
}

// The table of built-in texts is still printed, but the translator learns that the file was
// not read.
void LanguageTest::cliSaysWhenTheFileIsNotRead()
{
    QFETCH(bool, oversized);
    TestFolders folders;
    const QString path = folders.CommonFolder() + "TBK_Texte.txt";
    if (oversized)
        QVERIFY(SparseFile::Write(path, TwoLanguages));
    QProcess cli;
    cli.start(TestEnvironment::CliPath(), {"texts", "--file", path});
    QVERIFY(cli.waitForFinished(10000));
    QCOMPARE(cli.exitCode(), 1);
    QVERIFY(QString::fromUtf8(cli.readAllStandardError()).contains(path));
    QVERIFY(QString::fromUtf8(cli.readAllStandardOutput()).split('\n').contains("Texts[2]=Exit"));
}

QTEST_MAIN(LanguageTest)
#include "test_language.moc"
