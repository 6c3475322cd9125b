#include "app/Wizard.h"

#include "app/TerminationSignals.h"
#include "app/frm_log.h"
#include "port/frm_Du_Com.h"
#include "software/frm_Du_File.h"
#include "update/frm_update.h"

#include <QCoreApplication>

Wizard::Wizard() = default;

// A page that is still there at the end goes with the wizard. (The file page deletes itself
// once it is unloaded and idle; the log window once it is closed.)
Wizard::~Wizard()
{
    TerminationSignals::Install({});
    delete logWindow_;
    delete updatePage_;
    delete filePage_;
    delete portPage_;
}

void Wizard::Start()
{
    portPage_ = new frm_Du_Com();
    connect(portPage_, &frm_Du_Com::NextRequested, this, &Wizard::ShowFilePage);
    connect(portPage_, &frm_Du_Com::LogRequested, this, &Wizard::ShowLog);
    connect(portPage_, &frm_Du_Com::UnloadOtherPages, this, &Wizard::UnloadOtherPages);
    connect(portPage_, &frm_Du_Com::Unloaded, this, &Wizard::Finished);
    connect(portPage_, &frm_Du_Com::EndRequested, this, [] { QCoreApplication::exit(0); });
    portPage_->Form_Load();
    portPage_->show();
}

int Wizard::Run()
{
    TerminationSignals::Install([this] { ClosePortPage(); });
    // The close-down has run: every event loop ends now, nested ones included. (quit may be
    // refused by a window that will not close, such as the online update window while its
    // exchange runs.)
    connect(this, &Wizard::Finished, qApp, [] { QCoreApplication::exit(0); });
    Start();
    return QCoreApplication::exec();
}

frm_Du_Com *Wizard::PortPage() const
{
    return portPage_;
}

frm_Du_File *Wizard::FilePage() const
{
    return filePage_;
}

frm_update *Wizard::UpdatePage() const
{
    return updatePage_;
}

frm_log *Wizard::LogWindow() const
{
    return logWindow_;
}

frm_log *Wizard::ShowLog()
{
    if (!logWindow_) {
        logWindow_ = new frm_log();
        // Forgotten as soon as it is closed, not when it is finally deleted: a closed window
        // listens no more, so the next request opens a new one.
        connect(logWindow_, &frm_log::Unloaded, this, [this] { logWindow_.clear(); });
    }
    logWindow_->ShowInFront();
    return logWindow_;
}

void Wizard::ShowFilePage()
{
    if (!filePage_) {
        filePage_ = new frm_Du_File();
        connect(filePage_, &frm_Du_File::BackRequested, this, &Wizard::ShowPortPageScanning);
        // Exiting is set: the port page unloads everything when it is shown.
        connect(filePage_, &frm_Du_File::Unloaded, this, &Wizard::ShowPortPage);
        connect(filePage_, &frm_Du_File::ExitRequested, this, &Wizard::ClosePortPage);
        connect(filePage_, &frm_Du_File::LogRequested, this, &Wizard::ShowLog);
        connect(filePage_, &frm_Du_File::NextRequested, this, &Wizard::ShowUpdatePage);
    }
    filePage_->show();
}

void Wizard::ShowUpdatePage()
{
    if (!updatePage_) {
        updatePage_ = new frm_update();
        connect(updatePage_, &frm_update::BackRequested, this, &Wizard::ShowFilePage);
        connect(updatePage_, &frm_update::LogRequested, this, &Wizard::ShowLog);
    }
    updatePage_->show();
}

void Wizard::ShowPortPageScanning()
{
    if (portPage_)
        portPage_->ShowAndResumeScan();
}

void Wizard::ShowPortPage()
{
    if (portPage_)
        portPage_->show();
}

void Wizard::ClosePortPage()
{
    if (portPage_)
        portPage_->close();
}

// The close-down unloads, in this order: the log window, the file page, the help page and the
// update page.
void Wizard::UnloadOtherPages()
{
    if (logWindow_)
        logWindow_->close();
    if (filePage_)
        filePage_->Unload();
    // Hidden only: the update page stays with the wizard, which deletes it at the end.
    if (updatePage_)
        updatePage_->hide();
}
