#pragma once
// Owns the wizard's pages, the log window, the help page and the History window, and is the only place where they
// meet: a page asks for something by a signal, and the wizard acts on the other page. The port
// page is created at start; the file page and the update page when first shown, and then they
// are only hidden and shown until the close-down unloads them; the log window, the help page and
// the History window when first asked for, until they are closed. The info box lives while it is shown.

#include <QObject>
#include <QPointer>

class QWidget;
class frm_Du_Com;
class frm_Du_File;
class frm_Du_Hilfe;
class frm_history;
class frm_log;
class frm_update;

class Wizard : public QObject {
    Q_OBJECT
public:
    Wizard();
    ~Wizard() override;

    // Creates the port page, runs its start-up and shows it.
    void Start();

    // The whole program: Start, then the window system's loop until Finished. A termination
    // signal ends the program as the port page's Exit does; while an update runs, only once
    // the update has come to its end.
    int Run();

    // The pages as they are now; nullptr for one not created yet or unloaded.
    frm_Du_Com *PortPage() const;
    frm_Du_File *FilePage() const;
    frm_update *UpdatePage() const;
    frm_log *LogWindow() const;
    frm_Du_Hilfe *HelpPage() const;
    frm_history *HistoryWindow() const;

public slots:
    // Shows the log window without blocking, or brings the open one forward.
    frm_log *ShowLog();
    // The same for the help page.
    frm_Du_Hilfe *ShowHelp();
    // The same for the History window, which reads the history file again.
    frm_history *ShowHistory();
    // Shows the info box above parent and returns once it is closed.
    void ShowInfo(QWidget *parent);

signals:
    // The program ends now: the close-down has run, or File -> Exit of the port page skipped it.
    void Finished();

private:
    template <typename Window>
    Window *ShowSideWindow(QPointer<Window> &window);
    template <typename Page>
    void ConnectSideWindows(Page *page);
    void ShowFilePage();
    void ShowUpdatePage();
    void ShowPortPageScanning();
    void ShowPortPage();
    void ClosePortPage();
    void EndOnSignal();
    void UnloadOtherPages();

    QPointer<frm_Du_Com> portPage_;
    QPointer<frm_Du_File> filePage_;
    QPointer<frm_update> updatePage_;
    QPointer<frm_log> logWindow_;
    QPointer<frm_Du_Hilfe> helpPage_;
    QPointer<frm_history> historyWindow_;
};
