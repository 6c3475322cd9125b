// The log window: lines only while it is open, and the copy format.
#include "TestFolders.h"

#include "app/Log.h"
#include "app/Module_DU.h"
#include "gui/Wizard.h"
#include "app/frm_log.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

namespace {
QStringList Lines(const frm_log *window)
{
    const auto *list = window->findChild<QListWidget *>("lst_deb");
    QStringList lines;
    for (int row = 0; row < list->count(); ++row)
        lines << list->item(row)->text();
    return lines;
}
} // namespace

class LogWindowTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup();
    void linesOnlyWhileOpen();
    void copyEndsEveryLineWithCarriageReturn();

private:
    Wizard wizard_;
};

void LogWindowTest::cleanup()
{
    if (frm_log *window = wizard_.LogWindow())
        window->close();
    QVERIFY(!wizard_.LogWindow());
}

// A closed window gets no more lines; opened again before the closed one is gone, the new one
// starts empty.
void LogWindowTest::linesOnlyWhileOpen()
{
    TestFolders folders;
    Log::Line("before");
    frm_log *window = wizard_.ShowLog();
    Log::Line("during");
    QCOMPARE(wizard_.ShowLog(), window); // a second open only brings it forward
    window->close();
    QVERIFY(!Module_DU::State().LogActive);
    Log::Line("after");
    QCOMPARE(Lines(window), QStringList{"during"});
    frm_log *second = wizard_.ShowLog();
    Log::Line("again");
    QCOMPARE(Lines(second), QStringList{"again"});
}

void LogWindowTest::copyEndsEveryLineWithCarriageReturn()
{
    QGuiApplication::clipboard()->setText("something old");
    frm_log *window = wizard_.ShowLog();
    window->findChild<QPushButton *>("cmd_zwischen")->click();
    QCOMPARE(QGuiApplication::clipboard()->text(), QString()); // an empty log empties it
    for (const char *line : {"Search_Comm", "Comm 3 exist", "Select 2"})
        Log::Line(line);
    window->findChild<QPushButton *>("cmd_zwischen")->click();
    QCOMPARE(QGuiApplication::clipboard()->text(), QString("Search_Comm\rComm 3 exist\rSelect 2\r"));
}

QTEST_MAIN(LogWindowTest)
#include "test_log_window.moc"
