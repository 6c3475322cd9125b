#pragma once
// The update page: the wizard's third page. It starts the update of the decoder on the track,
// shows its steps in List2 with the transfer state as List2's colour and its progress, and
// offers two options while exactly one decoder type is chosen on the file page. Its note, the
// user's name for the locomotive, goes into the history record of each update.

#include "app/PageLifetime.h"
#include "update/AlternativeUpdate.h"
#include "update/UpdateProcedure.h"
#include "update/UpdateView.h"

#include <QMainWindow>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;

class frm_update : public QMainWindow, private UpdateView {
    Q_OBJECT
public:
    frm_update();

    // The close-down's unload: the page's query-unload runs, the page is hidden and deletes
    // itself once no update of it runs any more.
    void Unload();

    // An update runs on the page.
    bool Busy() const;

    // Closes the dialogs the running update has open as cancelled, so that it comes to its end
    // without a user: its question is answered No.
    void CancelOpenDialogs();

signals:
    // Back: the page has hidden itself; the file page is to be shown.
    void BackRequested();
    // The user closed the page while no update ran: Exiting is set; the port page is to be
    // shown to end the program.
    void Unloaded();
    // ? -> Log, Help, History, Info: the log window, the help page, the History window, the
    // info box is to be shown; the info box is shown modal, before the signal returns.
    void LogRequested();
    void HelpRequested();
    void HistoryRequested();
    void InfoRequested();
    // The update that ran has come to its end.
    void Idle();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void CreateControls();
    void CreateHiddenControls(QWidget *central);
    void CreateMenus();
    void Form_Activate();
    void ApplyOptionsRule();
    void Command3_Click();
    void Command5_Click();
    void cmd_zurueck_Click();
    void cmd_beenden_Click();
    void mnu_info_Click();

    QListWidget *List2;
    QProgressBar *ProgressBar1;
    QPushButton *Command3;
    QPushButton *cmd_zurueck; // objectName "cmd_zurück"
    QPushButton *cmd_beenden;
    QPushButton *Command5;
    QGroupBox *Frame1;
    QCheckBox *Check1;
    QGroupBox *Frame2;
    QCheckBox *Check2;
    QLabel *Label3;
    QLineEdit *txt_pream;
    QLineEdit *txt_timing_soll;
    QLineEdit *txt_timing;
    QLabel *lbl_note;
    QLineEdit *txt_note;

    UpdateProcedure procedure_;
    AlternativeUpdate alternative_; // shares the procedure's serial component and tick timer
    PageLifetime *lifetime_;
    bool activated_ = false; // the first activation has set the captions and options
    bool optionsOffered_ = false; // the options rule of that activation: one decoder chosen

    // UpdateView: the controls as the procedures see them.
    void AddInfoLine(const QString &line) override;
    void RemoveLastInfoLine() override;
    void ClearInfoLines() override;
    void SetInfoColour(const QColor &colour) override;
    void SetProgress(float percent) override;
    bool NoQuery() const override;
    bool Blind() const override;
    QString PreambleText() const override;
    QString TimingText() const override;
    void SetTimingText(const QString &text) override;
    QString TimingTargetText() const override;
    void SetButtonsEnabled(bool enabled) override;
    bool AskYesNo(const QString &title, const QString &text) override;
    void ShowInformation(const QString &title, const QString &text) override;
    void GoBack() override;
    QString Note() const override;
};
