#pragma once
// The file page: finds or lets the user pick a decoder software file, lists the decoder types
// and versions it holds and hands the chosen decoder IDs on to the update page.

#include "app/PageLifetime.h"
#include "software/FileView.h"
#include "software/SoftwareFilePage.h"

#include <QMainWindow>
#include <functional>

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QTreeWidget;

// The page shows the decoder list in ListView1; its procedures run in SoftwareFilePage.
class frm_Du_File : public QMainWindow, private FileView {
    Q_OBJECT
public:
    // The page's load: columns added, "Next" disabled.
    frm_Du_File();

    // The close-down's unload: the page is hidden and deletes itself once none of its
    // procedures runs any more.
    void Unload();

    // Runs the online update window and returns once it is closed. Tests put their own here.
    void SetOnlineUpdateRunner(std::function<void()> runner);

signals:
    // Back: the page has hidden itself; the port page is to be shown with its scan running.
    void BackRequested();
    // Next: ChosenDecoders is filled and the page has hidden itself.
    void NextRequested();
    // The user unloaded the page: Exiting is set; the port page is to be shown to end the program.
    void Unloaded();
    // File -> Exit: the port page is to be unloaded, which ends the program.
    void ExitRequested();
    // ? -> Log, Help, History, Info: the log window, the help page, the History window, the
    // info box is to be shown; the info box is shown modal, before the signal returns.
    void LogRequested();
    void HelpRequested();
    void HistoryRequested();
    void InfoRequested();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void CreateControls();
    void CreateMenus();
    void Form_Activate();
    void Command4_Click();
    void Command5_Click();
    void Command3_Click();
    void Command1_Click();
    void mnu_info_Click();

    QTreeWidget *ListView1;
    QPushButton *Command4;
    QPushButton *Command5;
    QPushButton *Command3;
    QPushButton *Command1;
    QPushButton *Command2;
    QLabel *Label1;
    QLabel *Label2;
    QLabel *Label3;
    QLabel *Lab_Online;

    SoftwareFilePage procedure_;
    std::function<void()> runOnlineUpdate_;
    PageLifetime *lifetime_;

    // FileView: the controls as the procedures see them.
    void ClearDecoderList() override;
    void AddDecoderRow(const QString &name, const QString &version, const QString &id) override;
    void SelectAllRows() override;
    void SetNextEnabled(bool enabled) override;
    void SetCaption(const QString &caption) override;
    void ShowKtWarning() override;
    void SetControlCaptions() override;
    bool NextEnabled() const override;
    void FocusNext() override;
    QStringList SelectedIds() const override;
    QString AskFileName(const QString &title, const QString &folder,
                        const QString &filter) override;
    void RunOnlineUpdate() override;
};
