#include "app/Wizard.h"

#include "app/frm_log.h"
#include "port/frm_Du_Com.h"

#include <QCoreApplication>

Wizard::Wizard() = default;

Wizard::~Wizard()
{
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

frm_Du_Com *Wizard::PortPage() const
{
    return portPage_;
}

void Wizard::ShowFilePage()
{
    // The file page is created here when first shown (decoder software file issue).
}

// The close-down unloads, in this order: the log window, the file page, the help page and the
// update page.
void Wizard::UnloadOtherPages()
{
    frm_log::Unload();
}
