// The log window: lines only while it is open, the copy format and the resize rules.
#include "TestFolders.h"

#include "app/Log.h"
#include "app/Module_DU.h"
#include "app/Wizard.h"
#include "app/frm_log.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

class LogWindowTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup();
    void linesOnlyWhileOpen();
    void reopenedAtOnceListens();
    void copyEndsEveryLineWithCarriageReturn();
    void activationSelectsNewestLine();
    void resizeFollowsWindow();
    void maximizedKeepsLayout();

private:
    Wizard wizard_;
};

void LogWindowTest::cleanup()
{
    if (frm_log *window = wizard_.LogWindow())
        window->close();
    QVERIFY(!wizard_.LogWindow());
}

void LogWindowTest::linesOnlyWhileOpen()
{
    TestFolders folders;
    Log::Line("before");
    QVERIFY(!Module_DU::State().LogActive);
    frm_log *window = wizard_.ShowLog();
    QVERIFY(Module_DU::State().LogActive);
    Log::Line("during");
    QCOMPARE(wizard_.ShowLog(), window); // a second open only brings it forward
    auto *list = window->findChild<QListWidget *>("lst_deb");
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->item(0)->text(), QString("during"));
    const QPointer<frm_log> closed = window;
    window->close();
    QVERIFY(!Module_DU::State().LogActive);
    Log::Line("after"); // must not reach a closed window
    QTRY_VERIFY(!closed);
    QCOMPARE(wizard_.ShowLog()->findChild<QListWidget *>("lst_deb")->count(), 0);
}

// Opened again before the closed window is gone (a close and a menu click inside one of the
// detection's waits): the new window gets the lines, also after the old one is deleted.
void LogWindowTest::reopenedAtOnceListens()
{
    const QPointer<frm_log> first = wizard_.ShowLog();
    first->close();
    frm_log *second = wizard_.ShowLog();
    QVERIFY(second != first);
    Log::Line("while the old one waits");
    QTRY_VERIFY(!first);
    Log::Line("after it is gone");
    auto *list = second->findChild<QListWidget *>("lst_deb");
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->item(1)->text(), QString("after it is gone"));
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


void LogWindowTest::activationSelectsNewestLine()
{
    frm_log *window = wizard_.ShowLog();
    Log::Line("a");
    Log::Line("b");
    QEvent activation(QEvent::ActivationChange);
    QTRY_VERIFY(window->isActiveWindow());
    QCoreApplication::sendEvent(window, &activation);
    QCOMPARE(window->findChild<QListWidget *>("lst_deb")->currentRow(), 1);
}

void LogWindowTest::resizeFollowsWindow()
{
    frm_log *window = wizard_.ShowLog();
    window->resize(700, 600);
    QTRY_COMPARE(window->size(), QSize(700, 600));
    // The rules work on the outer size, frame included.
    const int w = window->frameGeometry().width() * 15;
    const int h = window->frameGeometry().height() * 15;
    const auto *list = window->findChild<QListWidget *>("lst_deb");
    const auto *button = window->findChild<QPushButton *>("cmd_zwischen");
    QCOMPARE(list->size(), QSize((w - 360) / 15, (h - 1425) / 15));
    QCOMPARE(button->y(), (h - 1155) / 15);
    QCOMPARE(button->x(), (w / 2 - 2775 / 2) / 15);
}

void LogWindowTest::maximizedKeepsLayout()
{
    frm_log *window = wizard_.ShowLog();
    window->resize(500, 400);
    const auto *list = window->findChild<QListWidget *>("lst_deb");
    QTRY_COMPARE(list->height(), (window->frameGeometry().height() * 15 - 1425) / 15);
    const QRect before = list->geometry();
    window->showMaximized();
    QTRY_VERIFY(window->windowState() & Qt::WindowMaximized);
    QTRY_VERIFY(window->width() != 500);
    QCOMPARE(list->geometry(), before);
}

QTEST_MAIN(LogWindowTest)
#include "test_log_window.moc"
