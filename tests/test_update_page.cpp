// The update page through its controls: its first activation with the rule that offers the
// options, Back, its place in the wizard, and the options and number boxes locked while an
// update runs. (An update through its controls is in test_update_end_to_end, the page's place
// in the wizard in test_wizard.)
#include "support/AnsweringDialogs.h"
#include "support/UpdatePageControls.h"
#include "support/UpdateRig.h"

#include "app/LanguageTexts.h"
#include "app/Module_DU.h"
#include "update/frm_update.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

namespace {
using namespace UpdatePageControls;

QCheckBox *Option(const QWidget &page, const char *name)
{
    return Control<QCheckBox>(page, name);
}
} // namespace

class TestUpdatePage : public QObject {
    Q_OBJECT

private slots:
    void init();
    void firstActivation_data();
    void firstActivation();
    void onlyBackPreparesThePageAfresh();
    void strayKeyDuringUpdate_data();
    void strayKeyDuringUpdate();
};

void TestUpdatePage::init()
{
    Module_DU::ResetState();
    LanguageTexts::FillBuiltInTexts();
}

void TestUpdatePage::firstActivation_data()
{
    QTest::addColumn<QStringList>("chosen");
    QTest::addColumn<bool>("offered");
    QTest::newRow("one decoder type") << QStringList{"12"} << true;
    QTest::newRow("two decoder types") << QStringList{"12", "34"} << false;
    QTest::newRow("none") << QStringList{} << false;
}

// Progress 0, the options rule, focus on the start button, the number boxes' first values and
// the controls a user never sees.
void TestUpdatePage::firstActivation()
{
    QFETCH(QStringList, chosen);
    QFETCH(bool, offered);
    Module_DU::State().ChosenDecoders = chosen;
    frm_update page;
    Option(page, "Check1")->setChecked(true);
    Option(page, "Check2")->setChecked(true);
    Control<QProgressBar>(page, "ProgressBar1")->setValue(50);
    page.show();

    QCOMPARE(Control<QProgressBar>(page, "ProgressBar1")->value(), 0);
    for (const char *name : {"Check1", "Check2"}) {
        QCOMPARE(Option(page, name)->isEnabled(), offered);
        QCOMPARE(Option(page, name)->isChecked(), offered);
    }
    QCOMPARE(Control(page, "Label3")->isVisible(), !offered);
    QCOMPARE(page.focusWidget(), Button(page, "Command3"));
    QCOMPARE(Control<QLineEdit>(page, "txt_pream")->text(), QStringLiteral("100"));
    QCOMPARE(Control<QLineEdit>(page, "txt_timing_soll")->text(), QStringLiteral("40"));
    QCOMPARE(Control<QLineEdit>(page, "txt_timing")->text(), QStringLiteral("100000"));
    for (const char *hidden : {"txt_timing", "Label4", "Command5", "Command1", "Command2",
                               "Command4", "Command6", "cmd_test"})
        QVERIFY2(!Control(page, hidden)->isVisible(), hidden);
}

// Only Back makes the next showing prepare the page afresh: a page merely hidden and shown
// keeps the options rule it had, although the chosen decoders changed meanwhile.
void TestUpdatePage::onlyBackPreparesThePageAfresh()
{
    auto &chosen = Module_DU::State().ChosenDecoders;
    chosen = QStringList{"12", "34"};
    frm_update page;
    page.show();
    page.hide();
    chosen = QStringList{"12"};
    page.show();
    QVERIFY(!Option(page, "Check1")->isEnabled());
    QVERIFY(Control(page, "Label3")->isVisible());

    Button(page, Back)->click();
    QVERIFY(page.isHidden());
    page.show();
    QVERIFY(Option(page, "Check1")->isEnabled());
    QVERIFY(Control(page, "Label3")->isHidden());
}

void TestUpdatePage::strayKeyDuringUpdate_data()
{
    QTest::addColumn<QStringList>("chosen");
    QTest::addColumn<bool>("offered");
    QTest::newRow("one decoder type") << QStringList{"12"} << true;
    QTest::newRow("two decoder types") << QStringList{"12", "34"} << false;
}

// Space starts the update from the focused start button; a second Space, pressed while the
// update runs, lands wherever the focus went. It must not tick "Keine Rückfrage" (the question
// would be skipped), nor reach a box the update reads. After the run the options rule holds.
void TestUpdatePage::strayKeyDuringUpdate()
{
    QFETCH(QStringList, chosen);
    QFETCH(bool, offered);
    UpdateRig rig;
    rig.WriteSoftware(QStringList{"12:TB12:1.00:1:64"});
    Module_DU::State().ChosenDecoders = chosen;
    AnsweringDialogs dialogs;
    frm_update page;
    page.show();
    // Bursts that calibrate at once: a target of 0 ms is met by the smallest loop count.
    Control<QLineEdit>(page, "txt_timing")->setText(QStringLiteral("1000"));
    Control<QLineEdit>(page, "txt_timing_soll")->setText(QStringLiteral("0"));
    const QList<QWidget *> locked{Option(page, "Check1"), Option(page, "Check2"),
                                  Control(page, "txt_pream"), Control(page, "txt_timing_soll")};
    QList<bool> enabledWhileRunning;
    rig.onLog = [&](const QString &line) {
        if (!line.startsWith(QStringLiteral("Timing messen")))
            return;
        for (QWidget *control : locked)
            enabledWhileRunning.append(control->isEnabled());
        QTest::keyClick(page.focusWidget() ? page.focusWidget() : &page, Qt::Key_Space);
    };

    QTest::keyClick(page.focusWidget(), Qt::Key_Space);
    QCOMPARE(enabledWhileRunning, QList<bool>(locked.size(), false));
    QCOMPARE(dialogs.questions.size(), 1);
    QVERIFY(Lines(page).contains(Text(TextId::UpdateFinished)));
    QCOMPARE(ButtonsEnabled(page), QList<bool>(4, true));
    QCOMPARE(QList<bool>({locked.at(0)->isEnabled(), locked.at(1)->isEnabled()}),
             QList<bool>(2, offered));
    QVERIFY(!Option(page, "Check1")->isChecked());
    QVERIFY(locked.at(2)->isEnabled() && locked.at(3)->isEnabled());
}

QTEST_MAIN(TestUpdatePage)
#include "test_update_page.moc"
