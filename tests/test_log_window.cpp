// The log window's copy: every line ended by a carriage return.
#include "app/Log.h"
#include "gui/Wizard.h"
#include "app/frm_log.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPushButton>
#include <QtTest>

class LogWindowTest : public QObject {
    Q_OBJECT

private slots:
    void copyEndsEveryLineWithCarriageReturn();

private:
    Wizard wizard_;
};

void LogWindowTest::copyEndsEveryLineWithCarriageReturn()
{
    frm_log *window = wizard_.ShowLog();
    for (const char *line : {"Search_Comm", "Comm 3 exist", "Select 2"})
        Log::Line(line);
    window->findChild<QPushButton *>("cmd_zwischen")->click();
    QCOMPARE(QGuiApplication::clipboard()->text(), QString("Search_Comm\rComm 3 exist\rSelect 2\r"));
}

QTEST_MAIN(LogWindowTest)
#include "test_log_window.moc"
