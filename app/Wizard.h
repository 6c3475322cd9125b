#pragma once
// Owns the wizard's pages and the log window, and is the only place where they meet: a page
// asks for something by a signal, and the wizard acts on the other page. The port page is
// created at start; the file page and the update page when first shown, and then they are only
// hidden and shown until the close-down unloads them; the log window when first asked for,
// until it is closed.

#include <QObject>
#include <QPointer>

class frm_Du_Com;
class frm_Du_File;
class frm_log;
class frm_update;

class Wizard : public QObject {
    Q_OBJECT
public:
    Wizard();
    ~Wizard() override;

    // Creates the port page, runs its start-up and shows it.
    void Start();

    // The whole program: Start, then the window system's loop until the close-down has run.
    // A termination signal closes the port page, which runs the close-down.
    int Run();

    // The pages as they are now; nullptr for one not created yet or unloaded.
    frm_Du_Com *PortPage() const;
    frm_Du_File *FilePage() const;
    frm_update *UpdatePage() const;
    frm_log *LogWindow() const;

public slots:
    // Shows the log window without blocking, or brings the open one forward.
    frm_log *ShowLog();

signals:
    // The port page has been unloaded: the close-down has run and the program may end.
    void Finished();

private:
    void ShowFilePage();
    void ShowUpdatePage();
    void ShowPortPageScanning();
    void ShowPortPage();
    void ClosePortPage();
    void UnloadOtherPages();

    QPointer<frm_Du_Com> portPage_;
    QPointer<frm_Du_File> filePage_;
    QPointer<frm_update> updatePage_;
    QPointer<frm_log> logWindow_;
};
