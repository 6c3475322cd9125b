#pragma once
// The port page: the wizard's first page and the program's start page. Its load runs the
// start-up of the whole program and its unload the close-down.

#include "port/PortView.h"

#include <QMainWindow>
#include <QVector>

class ListBox;
class PortList;
class QAction;
class QLabel;
class QMenu;
class QPushButton;

// The page shows the port list in List1; the scan and the detection run in PortList.
class frm_Du_Com : public QMainWindow, private PortView {
    Q_OBJECT
public:
    frm_Du_Com();
    ~frm_Du_Com() override;

    // The start-up: the program's (folders, settings, version, texts) with the page's own steps
    // (language menu, port list, scan timer).
    void Form_Load();

    // Shows the page again after the file page's Back, with the port scan running.
    void ShowAndResumeScan();

    // Language menu operations, public so the command-line tool and tests can run them.
    void LoadTexts();
    void BuildLanguageMenu();
    void mnu_sprachen_Click(int index);

    // The port scan and the programmer detection behind the list.
    PortList &Ports();

signals:
    // Next was pressed and the page has hidden itself: the file page is to be shown.
    void NextRequested();
    // Step 4 of the close-down: the log window and the other pages are to be unloaded now.
    void UnloadOtherPages();
    // The close-down has run; the program may end.
    void Unloaded();
    // File -> Exit: end at once, without the close-down and without writing the settings.
    void EndRequested();
    // ? -> Log, Help, History, Info: the log window, the help page, the History window, the
    // info box is to be shown; the info box is shown modal, before the signal returns.
    void LogRequested();
    void HelpRequested();
    void HistoryRequested();
    void InfoRequested();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool event(QEvent *event) override;

private:
    void CreateControls();
    void CreateMenus();
    void Form_Unload();
    void UnloadIfExiting();
    void Command6_Click();
    void List1_CurrentRowChanged(int row);
    void List1_Click(int row);
    QAction *AddLanguageItem();
    QAction *LanguageItem(int index) const;

    QLabel *Label2;
    ListBox *List1;
    QPushButton *Command6;
    QPushButton *Command2;
    QPushButton *Command3;
    QPushButton *Command1;
    QMenu *mnu_sprache;
    QVector<QAction *> mnu_sprachen;
    PortList *ports_;

    bool unloaded_ = false;

    // PortView: List1 as the scan and the detection see it.
    void ClearEntries() override;
    void AddEntry(const QString &text) override;
    QString Entry(int index) const override;
    void SetEntry(int index, const QString &text) override;
    QString EntryDevice(int index) const override;
    void SetEntryDevice(int index, const QString &device) override;
    void SelectEntry(int index) override;
    int SelectedEntry() const override;
};
