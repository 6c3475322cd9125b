// The language table: the texts file's oddities, the built-in fallback and the language menu.
#include "TestFolders.h"
#include "support/SparseFile.h"
#include "support/TestEnvironment.h"

#include "app/ItemReader.h"
#include "app/LanguageTexts.h"
#include "app/Module_DU.h"
#include "port/frm_Du_Com.h"

#include <QAction>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QMenu>
#include <QMessageBox>
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

struct CliRun {
    int status = -1;
    QStringList lines; // of standard output
    QString error;
};

CliRun RunCliTexts(const QStringList &arguments)
{
    QProcess cli;
    cli.start(TestEnvironment::CliPath(), QStringList{"texts"} + arguments);
    if (!cli.waitForFinished(10000))
        return {};
    return {cli.exitCode(), QString::fromUtf8(cli.readAllStandardOutput()).split('\n'),
            QString::fromUtf8(cli.readAllStandardError())};
}

const char *TwoLanguages = "Anzahl_Sprachen, 2\r\n"
                           "Sprache, 1, Deutsch\r\n"
                           "Sprache, 2, Fran\xe7" "ais \x80\r\n"
                           "Anfang_Strings\r\n"
                           "ID, 2\r\n1, Beenden\r\n2, Quit\r\n"
                           "ID, 9\r\n1, Links stehen die Decoder\r\n";

const char *ThreeLanguages = "Anzahl_Sprachen, 3\r\n"
                             "Sprache, 1, Deutsch\r\nSprache, 2, English\r\nSprache, 3, Fran\xe7" "ais\r\n"
                             "Anfang_Strings\r\n";

// The Yes button's text of a message box as Qt's own translation has it now.
QString QtYesText()
{
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Yes);
    return box.button(QMessageBox::Yes)->text();
}
} // namespace

class LanguageTest : public QObject {
    Q_OBJECT

private slots:
    void itemReaderSeparators_data();
    void itemReaderSeparators();
    void oddItemsAreSkipped();
    void menuSwitchesAndKeepsPreviousWording();
    void menuWithoutTextsFile();
    void cliPrintsTheTable();
    void qtTextsFollowTheLanguage_data();
    void qtTextsFollowTheLanguage();
};

void LanguageTest::itemReaderSeparators_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("items");
    QTest::newRow("commas, line ends, blanks around")
        << "  a  ,\tb \r\nc\nd\re" << QStringList{"a", "b", "c", "d", "e"};
    QTest::newRow("quoted: comma and blanks kept, text after the quote dropped")
        << "\" x, y \"junk, z" << QStringList{" x, y ", "z"};
    QTest::newRow("empty item") << "a,,b" << QStringList{"a", "", "b"};
}

void LanguageTest::itemReaderSeparators()
{
    QFETCH(QString, text);
    QFETCH(QStringList, items);
    QCOMPARE(AllItems(text), items);
}

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
    QCOMPARE(state.Texts[0], LanguageTexts::BuiltInText(0));
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
    QCOMPARE(page.windowTitle(), LanguageTexts::BuiltInText(14));

    items[1]->trigger();
    const auto &state = Module_DU::State();
    QCOMPARE(state.LanguageIndex, 1);
    QVERIFY(!items[0]->isChecked() && items[1]->isChecked());
    QCOMPARE(page.findChild<QPushButton *>("Command2")->text(), QString("Quit"));
    QCOMPARE(state.Texts[9], QString("Links stehen die Decoder"));
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
    const CliRun run = RunCliTexts({"--file", path, "--language", "fr"});
    QCOMPARE(run.status, 0);
    QCOMPARE(run.lines.mid(0, 6), (QStringList{"LanguageIndex=1", "LanguageValid=0", "LanguageCount=2",
                                              "LanguageNames[1]=Deutsch", QString::fromUtf8("LanguageNames[2]=Français €"),
                                              "Texts[0]=" + LanguageTexts::BuiltInText(0)}));
    QVERIFY(run.lines.contains("Texts[2]=Quit"));
    QVERIFY(!run.lines.contains("Texts[51]="));

    // A texts file is a few kilobytes; one beyond 2 GiB is refused unread, with the reason in
    // the log. The built-in table is printed all the same, but the translator learns of it.
    QVERIFY(SparseFile::Write(path, TwoLanguages));
    const CliRun unread = RunCliTexts({"--file", path});
    QCOMPARE(unread.status, 1);
    QCOMPARE(unread.error.count(path), 2); // the log's reason, then the summary
    QVERIFY(unread.lines.contains("LanguageCount=0") && unread.lines.contains("Texts[2]=Exit"));
}

void LanguageTest::qtTextsFollowTheLanguage_data()
{
    QTest::addColumn<int>("item"); // in the language menu
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("yes");

    QTest::newRow("German") << 0 << "de" << "&Ja";
    QTest::newRow("French") << 2 << "fr" << "&Oui";
}

// Message boxes and file dialogs take their buttons from Qt's own translation; it follows the
// menu, and English after another language brings back Qt's English.
void LanguageTest::qtTextsFollowTheLanguage()
{
    QFETCH(int, item);
    QFETCH(QString, code);
    QFETCH(QString, yes);
    const QString translation =
        QLibraryInfo::path(QLibraryInfo::TranslationsPath) + "/qtbase_" + code + ".qm";
    if (!QFileInfo::exists(translation))
        QSKIP(qPrintable(translation + " is not installed"));
    TestFolders folders;
    WriteTexts(folders, ThreeLanguages);
    frm_Du_Com page;
    page.Form_Load();
    const auto items = page.findChildren<QAction *>("mnu_sprachen");
    QCOMPARE(items.size(), 3);

    items[item]->trigger();
    QCOMPARE(QtYesText(), yes);
    items[1]->trigger();
    QCOMPARE(QtYesText(), QString("&Yes"));
}

QTEST_MAIN(LanguageTest)
#include "test_language.moc"
