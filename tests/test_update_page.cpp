// The update page's options, number boxes and note locked while an update runs; the note in the
// update's history record. (An update through
// its controls is in test_update_end_to_end, the page's place in the wizard in test_wizard.)
#include "support/AnsweringDialogs.h"
#include "support/UpdatePageControls.h"
#include "support/UpdateRig.h"

#include "app/LanguageTexts.h"
#include "app/Module_DU.h"
#include "history/UpdateHistory.h"
#include "update/frm_update.h"

#include <QCheckBox>
#include <QLineEdit>
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
    void strayKeyDuringUpdate();
};

void TestUpdatePage::init()
{
    Module_DU::ResetState();
    LanguageTexts::FillBuiltInTexts();
}

// Space starts the update from the focused start button; a second Space, pressed while the
// update runs, lands wherever the focus went. It must not tick "Keine Rückfrage" (the question
// would be skipped), nor reach a box the update reads. After the run the options are offered
// again (one decoder type is chosen), and the note the user typed is in the update's record.
void TestUpdatePage::strayKeyDuringUpdate()
{
    UpdateRig rig;
    rig.WriteSoftware(QStringList{"12:TB12:1.00:1:64"});
    Module_DU::State().ChosenDecoders = QStringList{"12"};
    AnsweringDialogs dialogs;
    frm_update page;
    page.show();
    // Bursts that calibrate at once: a target of 0 ms is met by the smallest loop count.
    Control<QLineEdit>(page, "txt_timing")->setText(QStringLiteral("1000"));
    Control<QLineEdit>(page, "txt_timing_soll")->setText(QStringLiteral("0"));
    Control<QLineEdit>(page, "txt_note")->setText(QStringLiteral(" BR 218 "));
    const QList<QWidget *> locked{Option(page, "Check1"), Option(page, "Check2"),
                                  Control(page, "txt_pream"), Control(page, "txt_timing_soll"),
                                  Control(page, "txt_note")};
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
    QVERIFY(!Option(page, "Check1")->isChecked());
    for (QWidget *control : locked)
        QVERIFY(control->isEnabled());
    const std::vector<UpdateRecord> history = UpdateHistory::Read();
    QCOMPARE(history.size(), size_t(1));
    QCOMPARE(history.front().note, QStringLiteral("BR 218"));
    QCOMPARE(Module_DU::State().UpdateNote, QStringLiteral(" BR 218 ")); // kept for the next run
}

QTEST_MAIN(TestUpdatePage)
#include "test_update_page.moc"
