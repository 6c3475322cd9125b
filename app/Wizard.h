#pragma once
// Owns the wizard's pages. The port page is created at start; the other pages are created when
// first shown and then only hidden and shown until the close-down unloads them.

#include <QObject>
#include <QPointer>

class frm_Du_Com;

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

    frm_Du_Com *PortPage() const;

signals:
    // The port page has been unloaded: the close-down has run and the program may end.
    void Finished();

private:
    void ShowFilePage();
    void UnloadOtherPages();

    QPointer<frm_Du_Com> portPage_;
};
