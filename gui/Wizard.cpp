#include "gui/Wizard.h"

#include "app/Module_DU.h"
#include "app/TerminationSignals.h"
#include "app/WidgetDialogs.h"
#include "app/frm_Du_Hilfe.h"
#include "app/frm_Du_Info.h"
#include "app/frm_log.h"
#include "gui/ProgramIcon.h"
#include "history/frm_history.h"
#include "port/frm_Du_Com.h"
#include "software/frm_Du_File.h"
#include "update/frm_update.h"

#include <QApplication>

// The pages ask and inform through Qt's boxes from here on, and every window of the program,
// its boxes and dialogs included, carries the program's icon.
Wizard::Wizard()
{
    WidgetDialogs::Install();
    QApplication::setWindowIcon(ProgramIcon());
}

// A page that is still there at the end goes with the wizard. (The file page and the update
// page delete themselves once unloaded and idle; the side windows once closed.)
Wizard::~Wizard()
{
    TerminationSignals::Install({});
    delete historyWindow_;
    delete helpPage_;
    delete logWindow_;
    delete updatePage_;
    delete filePage_;
    delete portPage_;
}

void Wizard::Start()
{
    portPage_ = new frm_Du_Com();
    connect(portPage_, &frm_Du_Com::NextRequested, this, &Wizard::ShowFilePage);
    connect(portPage_, &frm_Du_Com::UnloadOtherPages, this, &Wizard::UnloadOtherPages);
    connect(portPage_, &frm_Du_Com::Unloaded, this, &Wizard::Finished);
    connect(portPage_, &frm_Du_Com::EndRequested, this, &Wizard::Finished);
    ConnectSideWindows(portPage_.data());
    portPage_->Form_Load();
    portPage_->show();
}

int Wizard::Run()
{
    TerminationSignals::Install([this] { EndOnSignal(); });
    // Every event loop ends now, nested ones included. (quit may be refused by a window that
    // will not close, such as the online update window while its exchange runs.)
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

frm_Du_Hilfe *Wizard::HelpPage() const
{
    return helpPage_;
}

frm_history *Wizard::HistoryWindow() const
{
    return historyWindow_;
}

// One window of its kind for every page, brought forward when asked for again. It is forgotten
// as soon as it is closed, not when it is finally deleted: a closed log window listens no more,
// so the next request opens a new one.
template <typename Window>
Window *Wizard::ShowSideWindow(QPointer<Window> &window)
{
    if (!window) {
        window = new Window();
        connect(window, &Window::Unloaded, this, [&window] { window.clear(); });
    }
    window->ShowInFront();
    return window;
}

frm_log *Wizard::ShowLog()
{
    return ShowSideWindow(logWindow_);
}

frm_Du_Hilfe *Wizard::ShowHelp()
{
    return ShowSideWindow(helpPage_);
}

frm_history *Wizard::ShowHistory()
{
    return ShowSideWindow(historyWindow_);
}

// On the stack: a close-down while the box is open ends its event loop, and the page it stands
// on stays until then (each page's Info item keeps its page while the box is shown).
void Wizard::ShowInfo(QWidget *parent)
{
    frm_Du_Info box(parent);
    box.exec();
}

template <typename Page>
void Wizard::ConnectSideWindows(Page *page)
{
    connect(page, &Page::LogRequested, this, &Wizard::ShowLog);
    connect(page, &Page::HelpRequested, this, &Wizard::ShowHelp);
    connect(page, &Page::HistoryRequested, this, &Wizard::ShowHistory);
    connect(page, &Page::InfoRequested, this, [this, page] { ShowInfo(page); });
}

void Wizard::ShowFilePage()
{
    if (!filePage_) {
        filePage_ = new frm_Du_File();
        connect(filePage_, &frm_Du_File::BackRequested, this, &Wizard::ShowPortPageScanning);
        // Exiting is set: the port page unloads everything when it is shown.
        connect(filePage_, &frm_Du_File::Unloaded, this, &Wizard::ShowPortPage);
        connect(filePage_, &frm_Du_File::ExitRequested, this, &Wizard::ClosePortPage);
        connect(filePage_, &frm_Du_File::NextRequested, this, &Wizard::ShowUpdatePage);
        ConnectSideWindows(filePage_.data());
    }
    filePage_->show();
}

void Wizard::ShowUpdatePage()
{
    if (!updatePage_) {
        updatePage_ = new frm_update();
        connect(updatePage_, &frm_update::BackRequested, this, &Wizard::ShowFilePage);
        connect(updatePage_, &frm_update::Unloaded, this, &Wizard::ShowPortPage);
        // After the update's handler has returned: the close-down may delete the page.
        connect(updatePage_, &frm_update::Idle, this, [this] {
            if (Module_DU::State().EndAfterUpdate)
                ClosePortPage();
        }, Qt::QueuedConnection);
        ConnectSideWindows(updatePage_.data());
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

// A session that ends or a Ctrl+C ends the program, but never in the middle of an update: a
// decoder left with half its image is worse than a few seconds' wait. The update goes on to
// its end step, which closes the software file and the port; a question it asks meanwhile is
// answered No, since nobody may be there to answer it. Then the close-down runs.
void Wizard::EndOnSignal()
{
    if (updatePage_ && updatePage_->Busy()) {
        Module_DU::State().EndAfterUpdate = true;
        updatePage_->CancelOpenDialogs();
        return;
    }
    ClosePortPage();
}

// The close-down unloads, in this order: the log window, the file page, the help page, the
// History window and the update page. Their own requests to show the port page are not made once Exiting is set.
void Wizard::UnloadOtherPages()
{
    if (logWindow_)
        logWindow_->close();
    if (filePage_)
        filePage_->Unload();
    if (helpPage_)
        helpPage_->close();
    if (historyWindow_)
        historyWindow_->close();
    if (updatePage_)
        updatePage_->Unload();
}
