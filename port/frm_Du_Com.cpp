#include "port/frm_Du_Com.h"

#include "app/LanguageTexts.h"
#include "app/Module_DU.h"
#include "app/NamedControls.h"
#include "app/Startup.h"
#include "app/modFunctions.h"
#include "app/mod_config.h"
#include "port/ListBox.h"
#include "port/PortDetection.h"
#include "port/PortList.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

frm_Du_Com::frm_Du_Com()
{
    setObjectName(QStringLiteral("frm_Du_Com"));
    setWindowTitle(QStringLiteral("Com-Schnittstelle wählen"));
    CreateControls();
    CreateMenus();
    ports_ = new PortList(*this, this);
    connect(ports_, &PortList::TimerScanEnded, this, [this] {
        if (!Command6->isEnabled())
            Command6->setEnabled(true);
    });
    connect(ports_, &PortList::UnloadRequested, this, &QWidget::close);
}

frm_Du_Com::~frm_Du_Com() = default;

void frm_Du_Com::CreateControls()
{
    using namespace NamedControls;
    auto *central = new QWidget(this);
    Label2 = WrappedLabel(central, "Label2");
    List1 = Named(new ListBox(central), "List1");
    Command6 = Button(central, "Command6", QStringLiteral("Weiter -->"));
    Command6->setEnabled(false);
    Command2 = Button(central, "Command2", QStringLiteral("Beenden"));
    Command3 = Button(central, "Command3", QStringLiteral("View Log"));
    Command3->setVisible(false);
    Command1 = Button(central, "Command1", QStringLiteral("Comm Autodetect"));
    Command1->setVisible(false);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(Command2);
    buttons->addStretch();
    buttons->addWidget(Command6);
    auto *layout = new QVBoxLayout(central);
    layout->addWidget(Label2);
    layout->addWidget(List1, 1);
    layout->addLayout(buttons);
    setCentralWidget(central);
    resize(420, 520);

    connect(Command6, &QPushButton::clicked, this, &frm_Du_Com::Command6_Click);
    connect(Command2, &QPushButton::clicked, this, &QWidget::close);
    connect(List1, &QListWidget::currentRowChanged, this, &frm_Du_Com::List1_CurrentRowChanged);
    connect(List1, &ListBox::MouseReleased, this, [this] { List1_Click(List1->currentRow()); });
}

void frm_Du_Com::CreateMenus()
{
    using namespace NamedControls;
    QMenu *men_menue = Menu(menuBar(), "men_menue", QStringLiteral("File"));
    QAction *men_ende = Item(men_menue, "men_ende", QStringLiteral("Exit"));
    connect(men_ende, &QAction::triggered, this, [this] {
        unloaded_ = true; // the close-down is skipped on purpose: the settings stay as they were
        emit EndRequested();
    });

    mnu_sprache = Menu(menuBar(), "mnu_sprache", QStringLiteral("Sprache"));
    AddLanguageItem()->setText(QStringLiteral("Ändern"));

    QMenu *men_h = Menu(menuBar(), "men_h", QStringLiteral("?"));
    connect(Item(men_h, "men_hilfe", QStringLiteral("Help")), &QAction::triggered, this,
            &frm_Du_Com::HelpRequested);
    connect(Item(men_h, "men_log", QStringLiteral("Log")), &QAction::triggered, this,
            &frm_Du_Com::LogRequested);
    connect(Item(men_h, "men_history", QStringLiteral("History")), &QAction::triggered, this,
            &frm_Du_Com::HistoryRequested);
    connect(Item(men_h, "men_info", QStringLiteral("Info")), &QAction::triggered, this,
            &frm_Du_Com::InfoRequested);
}

QAction *frm_Du_Com::AddLanguageItem()
{
    const int index = mnu_sprachen.size();
    QAction *item = NamedControls::Item(mnu_sprache, "mnu_sprachen", QString());
    item->setCheckable(true);
    connect(item, &QAction::triggered, this, [this, index] { mnu_sprachen_Click(index); });
    mnu_sprachen.append(item);
    return item;
}

QAction *frm_Du_Com::LanguageItem(int index) const
{
    return index >= 0 && index < mnu_sprachen.size() ? mnu_sprachen[index] : nullptr;
}

// The program's start-up with the page's own steps between its steps. The page runs the parts
// of PortList::Start apart: the programmer state is reset before the texts are read, the list
// is filled and the scan started only after the window events have run once.
void frm_Du_Com::Form_Load()
{
    if (Module_DU::State().Exiting)
        return;
    Startup::PrepareProgram();
    ports_->ResetProgrammerState();
    LoadTexts();
    BuildLanguageMenu();
    modFunctions::DoEvents();
    ports_->FillPortList();
    ports_->StartScanning();
}

void frm_Du_Com::LoadTexts()
{
    Startup::ReadTexts();
    setWindowTitle(Text(TextId::PortSelection));
    Label2->setText(Text(TextId::PortLocatedAutomatically));
    Command2->setText(Text(TextId::Exit));
    Command6->setText(NextCaption());
    mnu_sprache->setTitle(Text(TextId::Language));
}

void frm_Du_Com::BuildLanguageMenu()
{
    const auto &state = Module_DU::State();
    // Only ten languages have a place in the name table; a larger count offers the first ten.
    const int offered = qMin<int>(state.LanguageCount, Module_DU::LanguageNameCount - 1);
    for (int k = 1; k <= offered; ++k) {
        QAction *item = k > mnu_sprachen.size() ? AddLanguageItem() : mnu_sprachen[k - 1];
        item->setText(state.LanguageNames[k]);
        item->setVisible(true);
        item->setChecked(false);
    }
    // A language without a menu item (a saved "en" with no texts file) leaves nothing checked.
    if (QAction *current = LanguageItem(state.LanguageIndex))
        current->setChecked(true);
}

void frm_Du_Com::mnu_sprachen_Click(int index)
{
    auto &state = Module_DU::State();
    if (QAction *previous = LanguageItem(state.LanguageIndex))
        previous->setChecked(false);
    state.LanguageIndex = index;
    if (QAction *chosen = LanguageItem(index))
        chosen->setChecked(true);
    LoadTexts();
}

// The port page's port must be closed before the file page may open one.
void frm_Du_Com::Command6_Click()
{
    if (ports_->Detection().PortOpen())
        return;
    ports_->LeavePage();
    hide();
    emit NextRequested();
}

void frm_Du_Com::ShowAndResumeScan()
{
    show();
    ports_->ResumeScan();
}

PortList &frm_Du_Com::Ports()
{
    return *ports_;
}

// A selection made with the mouse is a click when the button is released, on the row it ends on
// (it may have been dragged from another one), and also when that row was already selected. A
// selection changed from the keyboard is a click at once.
void frm_Du_Com::List1_CurrentRowChanged(int row)
{
    if (QGuiApplication::mouseButtons() == Qt::NoButton)
        List1_Click(row);
}

void frm_Du_Com::List1_Click(int row)
{
    if (row >= 0 && row < List1->count())
        ports_->List1_Click(row);
}

void frm_Du_Com::ClearEntries()
{
    List1->clear();
}

void frm_Du_Com::AddEntry(const QString &text)
{
    List1->addItem(text);
}

QString frm_Du_Com::Entry(int index) const
{
    const QListWidgetItem *item = List1->item(index);
    return item ? item->text() : QString();
}

// The text changes in place, so the selection stays where it was.
void frm_Du_Com::SetEntry(int index, const QString &text)
{
    if (QListWidgetItem *item = List1->item(index))
        item->setText(text);
}

QString frm_Du_Com::EntryDevice(int index) const
{
    const QListWidgetItem *item = List1->item(index);
    return item ? item->toolTip() : QString();
}

void frm_Du_Com::SetEntryDevice(int index, const QString &device)
{
    if (QListWidgetItem *item = List1->item(index))
        item->setToolTip(device);
}

void frm_Du_Com::SelectEntry(int index)
{
    List1->setCurrentRow(index);
}

int frm_Du_Com::SelectedEntry() const
{
    return List1->currentRow();
}

void frm_Du_Com::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    UnloadIfExiting();
}

bool frm_Du_Com::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate)
        UnloadIfExiting();
    return QMainWindow::event(event);
}

// Other pages end the program by setting Exiting and showing this page.
void frm_Du_Com::UnloadIfExiting()
{
    if (Module_DU::State().Exiting && !unloaded_)
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void frm_Du_Com::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
}

void frm_Du_Com::Form_Unload()
{
    if (unloaded_)
        return;
    unloaded_ = true;
    Module_DU::State().Exiting = true;
    ports_->StopTimers();
    ports_->Detection().AdapterOff();
    emit UnloadOtherPages();
    mod_config::SaveConfig();
    emit Unloaded();
}
