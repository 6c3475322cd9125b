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
    void resizeFollowsWindowUnlessMaximized();

private:
    Wizard wizard_;
};

void LogWindowTest::cleanup()
{
    if (frm_log *window = wizard_.LogWindow())
        window->close();
    QVERIFY(!wizard_.LogWindow());
}

// Opened again before the closed window is gone (a close and a menu click inside one of the
// detection's waits), the new window starts empty and gets the lines, also after the old one
// is deleted. Activation marks the newest line.
void LogWindowTest::linesOnlyWhileOpen()
{
    TestFolders folders;
    Log::Line("before");
    QVERIFY(!Module_DU::State().LogActive);
    frm_log *window = wizard_.ShowLog();
    QVERIFY(Module_DU::State().LogActive);
    Log::Line("during");
    QCOMPARE(wizard_.ShowLog(), window); // a second open only brings it forward
    QCOMPARE(Lines(window), QStringList{"during"});
    const QPointer<frm_log> closed = window;
    window->close();
    QVERIFY(!Module_DU::State().LogActive);
    Log::Line("after"); // must not reach a closed window
    QVERIFY(closed);
    QCOMPARE(Lines(closed), QStringList{"during"});

    frm_log *second = wizard_.ShowLog();
    QVERIFY(second != closed);
    Log::Line("while the old one waits");
    QTRY_VERIFY(!closed);
    Log::Line("after it is gone");
    QCOMPARE(Lines(second), (QStringList{"while the old one waits", "after it is gone"}));
    QTRY_VERIFY(second->isActiveWindow());
    QEvent activation(QEvent::ActivationChange);
    QCoreApplication::sendEvent(second, &activation);
    QCOMPARE(second->findChild<QListWidget *>("lst_deb")->currentRow(), 1);
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

void LogWindowTest::resizeFollowsWindowUnlessMaximized()
{
    frm_log *window = wizard_.ShowLog();
    window->resize(700, 600);
    QTRY_COMPARE(window->size(), QSize(700, 600));
    // The rules work on the outer size in twips, frame included.
    const int w = window->frameGeometry().width() * 15;
    const int h = window->frameGeometry().height() * 15;
    const auto *list = window->findChild<QListWidget *>("lst_deb");
    const auto *button = window->findChild<QPushButton *>("cmd_zwischen");
    QCOMPARE(list->size(), QSize((w - 360) / 15, (h - 1425) / 15));
    QCOMPARE(button->y(), (h - 1155) / 15);
    QCOMPARE(button->x(), (w / 2 - button->width() * 15 / 2) / 15); // centred
    QVERIFY(button->width() >= button->sizeHint().width());           // the caption whole

    const QRect before = list->geometry();
    window->showMaximized();
    QTRY_VERIFY(window->windowState() & Qt::WindowMaximized);
    QTRY_VERIFY(window->width() != 700);
    QCOMPARE(list->geometry(), before);
}

QTEST_MAIN(LogWindowTest)
#include "test_log_window.moc"
