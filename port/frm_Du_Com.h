#pragma once
// The port page: the wizard's first page and the program's start page. Its load runs the
// start-up of the whole program and its unload the close-down.

#include <QMainWindow>
#include <QVector>

class QAction;
class QLabel;
class QListWidget;
class QMenu;
class QPushButton;
class QTimer;

class frm_Du_Com : public QMainWindow {
    Q_OBJECT
public:
    frm_Du_Com();
    ~frm_Du_Com() override;

    // The start-up: folders, settings, version, texts, language menu, port list, scan timer.
    void Form_Load();

    // Shows the page again after the file page's Back, with the port scan running.
    void ShowAndResumeScan();

    // Language menu operations, public so the command-line tool and tests can run them.
    void LoadTexts();
    void BuildLanguageMenu();
    void mnu_sprachen_Click(int index);

signals:
    // Next was pressed and the page has hidden itself: the file page is to be shown.
    void NextRequested();
    // Step 4 of the close-down: the log window and the other pages are to be unloaded now.
    void UnloadOtherPages();
    // The close-down has run; the program may end.
    void Unloaded();
    // File -> Exit: end at once, without the close-down and without writing the settings.
    void EndRequested();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool event(QEvent *event) override;

private:
    void CreateControls();
    void CreateMenus();
    void Form_Unload();
    void UnloadIfExiting();
    void FillPortList();
    void Timer2_Timer();
    void ScanPorts();
    void Command6_Click();
    QAction *AddLanguageItem();
    QAction *LanguageItem(int index) const;

    QLabel *Label2;
    QListWidget *List1;
    QPushButton *Command6;
    QPushButton *Command2;
    QPushButton *Command3;
    QPushButton *Command1;
    QMenu *mnu_sprache;
    QVector<QAction *> mnu_sprachen;
    QTimer *Timer1;
    QTimer *Timer2;

    bool suppressListClick_ = false; // the program itself is changing the list selection
    bool timerScan_ = false;         // a scan started by Timer2 is running
    bool unloaded_ = false;
};
