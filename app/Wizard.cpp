#include "app/Wizard.h"

#include "app/TerminationSignals.h"
#include "app/frm_log.h"
#include "port/frm_Du_Com.h"
#include "software/frm_Du_File.h"

#include <QCoreApplication>

Wizard::Wizard() = default;

Wizard::~Wizard()
{
    TerminationSignals::Install({});
    delete portPage_;
}

void Wizard::Start()
{
    portPage_ = new frm_Du_Com();
    connect(portPage_, &frm_Du_Com::NextRequested, this, &Wizard::ShowFilePage);
    connect(portPage_, &frm_Du_Com::UnloadOtherPages, this, &Wizard::UnloadOtherPages);
    connect(portPage_, &frm_Du_Com::Unloaded, this, &Wizard::Finished);
    connect(portPage_, &frm_Du_Com::EndRequested, this, [] { QCoreApplication::exit(0); });
    portPage_->Form_Load();
    portPage_->show();
}

int Wizard::Run()
{
    TerminationSignals::Install([this] {
        if (portPage_)
            portPage_->close();
    });
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

void Wizard::ShowFilePage()
{
    frm_Du_File *filePage = frm_Du_File::Instance();
    if (!filePage) {
        filePage = frm_Du_File::Load();
        connect(filePage, &frm_Du_File::BackRequested, portPage_, &frm_Du_Com::ShowAndResumeScan);
        // Exiting is set: the port page unloads everything when it is shown.
        connect(filePage, &frm_Du_File::Unloaded, portPage_, &QWidget::show);
        connect(filePage, &frm_Du_File::ExitRequested, portPage_, &QWidget::close);
    }
    filePage->show();
}

// The close-down unloads, in this order: the log window, the file page, the help page and the
// update page.
void Wizard::UnloadOtherPages()
{
    frm_log::Unload();
    frm_Du_File::Unload();
}
