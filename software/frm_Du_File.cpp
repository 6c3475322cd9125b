#include "software/frm_Du_File.h"

#include "app/Dialogs.h"
#include "app/LanguageTexts.h"
#include "app/Module_DU.h"
#include "app/NamedControls.h"
#include "app/Twips.h"
#include "online/frm_down_DU.h"
#include "software/KtWarning.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
// The decoder list's columns and their widths in twips.
constexpr int TypeColumn = 0;
constexpr int VersionColumn = 1;
constexpr int IdColumn = 2;
constexpr int TypeColumnWidth = 1300;
constexpr int VersionColumnWidth = 600;
constexpr int IdColumnWidth = 500;
} // namespace

frm_Du_File::frm_Du_File() : procedure_(*this), lifetime_(new PageLifetime(*this))
{
    setObjectName(QStringLiteral("frm_Du_File"));
    setWindowTitle(QStringLiteral("Software-File wählen"));
    CreateControls();
    CreateMenus();
    runOnlineUpdate_ = [this] {
        frm_down_DU window(this);
        window.exec();
    };
    Command3->setEnabled(false);
}

void frm_Du_File::Unload()
{
    hide();
    lifetime_->Unload();
}

void frm_Du_File::CreateControls()
{
    using namespace NamedControls;
    auto *central = new QWidget(this);
    setCentralWidget(central);

    ListView1 = Named(new QTreeWidget(central), "ListView1");
    ListView1->setRootIsDecorated(false);
    ListView1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListView1->setHeaderLabels({QStringLiteral("Typ"), QStringLiteral("Ver."), QStringLiteral("ID")});
    ListView1->setColumnWidth(TypeColumn, TwipsToPixels(TypeColumnWidth));
    ListView1->setColumnWidth(VersionColumn, TwipsToPixels(VersionColumnWidth));
    ListView1->setColumnWidth(IdColumn, TwipsToPixels(IdColumnWidth));

    Command4 = Button(central, "Command4", QStringLiteral("Datei öffnen"));
    Command5 = Button(central, "Command5", QStringLiteral("Online-Update"));
    Command3 = Button(central, "Command3", QStringLiteral("Weiter -->"));
    Command1 = Button(central, "Command1", QStringLiteral("<-- Zurück"));
    Command2 = Button(central, "Command2", QStringLiteral("Beenden"));
    Label1 = WrappedLabel(central, "Label1");
    Label2 = WrappedLabel(central, "Label2");
    Label3 = WrappedLabel(central, "Label3");
    Lab_Online = WrappedLabel(central, "Lab_Online");

    connect(Command4, &QPushButton::clicked, this, &frm_Du_File::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &frm_Du_File::Command5_Click);
    connect(Command3, &QPushButton::clicked, this, &frm_Du_File::Command3_Click);
    connect(Command1, &QPushButton::clicked, this, &frm_Du_File::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &QWidget::close);

    auto *side = new QVBoxLayout;
    for (QWidget *widget : {static_cast<QWidget *>(Label1), static_cast<QWidget *>(Command4),
                            static_cast<QWidget *>(Label2), static_cast<QWidget *>(Label3),
                            static_cast<QWidget *>(Lab_Online), static_cast<QWidget *>(Command5)})
        side->addWidget(widget);
    side->addStretch();
    auto *top = new QHBoxLayout;
    top->addWidget(ListView1, 1);
    top->addLayout(side, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(Command2);
    buttons->addStretch();
    buttons->addWidget(Command1);
    buttons->addWidget(Command3);
    auto *page = new QVBoxLayout(central);
    page->addLayout(top, 1);
    page->addLayout(buttons);
    resize(560, 340);
}

void frm_Du_File::CreateMenus()
{
    using namespace NamedControls;
    QMenu *mnu_menue = Menu(menuBar(), "mnu_menue", QStringLiteral("File"));
    connect(Item(mnu_menue, "mnu_beenden", QStringLiteral("Exit")), &QAction::triggered, this,
            &frm_Du_File::ExitRequested);
    QMenu *mnu_update = Menu(menuBar(), "mnu_update", QStringLiteral("Update"));
    connect(Item(mnu_update, "mnu_upd_decsw", QStringLiteral("Decodersoftware")),
            &QAction::triggered, this, &frm_Du_File::Command5_Click);
    QMenu *mnu_h = Menu(menuBar(), "mnu_h", QStringLiteral("?"));
    connect(Item(mnu_h, "mnu_hilfe", QStringLiteral("Help")), &QAction::triggered, this,
            &frm_Du_File::HelpRequested);
    connect(Item(mnu_h, "men_log", QStringLiteral("Log")), &QAction::triggered, this,
            &frm_Du_File::LogRequested);
    connect(Item(mnu_h, "mnu_history", QStringLiteral("History")), &QAction::triggered, this,
            &frm_Du_File::HistoryRequested);
    connect(Item(mnu_h, "mnu_info", QStringLiteral("Info")), &QAction::triggered, this,
            &frm_Du_File::mnu_info_Click);
}

void frm_Du_File::SetOnlineUpdateRunner(std::function<void()> runner)
{
    runOnlineUpdate_ = std::move(runner);
}

void frm_Du_File::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    // After the show has finished, so that dialogs opened by the first activation sit above
    // a page that is already on screen.
    if (!procedure_.Activated())
        QMetaObject::invokeMethod(this, &frm_Du_File::Form_Activate, Qt::QueuedConnection);
}

void frm_Du_File::closeEvent(QCloseEvent *event)
{
    event->accept();
    if (Module_DU::BeginExiting())
        emit Unloaded();
}

void frm_Du_File::Form_Activate()
{
    if (procedure_.Activated() || !isVisible())
        return;
    const PageLifetime::Running running(*lifetime_);
    procedure_.Activate();
}

void frm_Du_File::Command4_Click()
{
    const PageLifetime::Running running(*lifetime_);
    procedure_.OpenDialog();
}

void frm_Du_File::Command5_Click()
{
    const PageLifetime::Running running(*lifetime_);
    procedure_.OnlineUpdateSequence();
}

void frm_Du_File::Command3_Click()
{
    procedure_.Next();
    emit NextRequested();
    hide();
}

void frm_Du_File::Command1_Click()
{
    procedure_.Back();
    hide();
    emit BackRequested();
}

// The info box is modal: the page stays until it is closed.
void frm_Du_File::mnu_info_Click()
{
    const PageLifetime::Running running(*lifetime_);
    emit InfoRequested();
}

void frm_Du_File::ClearDecoderList()
{
    ListView1->clear();
}

void frm_Du_File::AddDecoderRow(const QString &name, const QString &version, const QString &id)
{
    auto *row = new QTreeWidgetItem(ListView1, {name, version, id});
    row->setData(TypeColumn, Qt::UserRole, id); // the tag the update page receives
}

void frm_Du_File::SelectAllRows()
{
    ListView1->selectAll();
}

void frm_Du_File::SetNextEnabled(bool enabled)
{
    Command3->setEnabled(enabled);
}

void frm_Du_File::SetCaption(const QString &caption)
{
    setWindowTitle(caption);
}

void frm_Du_File::ShowKtWarning()
{
    Dialogs::Current().Message(this, KtWarning::Title(),
                               KtWarning::FirstLine() + QStringLiteral("\r\n")
                                   + KtWarning::SecondLine());
}

void frm_Du_File::SetControlCaptions()
{
    Lab_Online->setText(Text(TextId::OnlineUpdateHint));
    Label1->setText(Text(TextId::FileOpenHint));
    Label2->setText(Text(TextId::DecodersShownLeft));
    Label3->setText(Text(TextId::SelectDecoderHint));
    Command1->setText(BackCaption());
    Command2->setText(Text(TextId::Exit));
    Command3->setText(NextCaption());
    Command4->setText(Text(TextId::FileOpen));
}

bool frm_Du_File::NextEnabled() const
{
    return Command3->isEnabled();
}

void frm_Du_File::FocusNext()
{
    Command3->setFocus();
}

QStringList frm_Du_File::SelectedIds() const
{
    QStringList ids;
    for (int row = 0; row < ListView1->topLevelItemCount(); ++row) {
        const QTreeWidgetItem *item = ListView1->topLevelItem(row);
        if (item->isSelected())
            ids.append(item->data(TypeColumn, Qt::UserRole).toString());
    }
    return ids;
}

QString frm_Du_File::AskFileName(const QString &title, const QString &folder,
                                 const QString &filter)
{
    return Dialogs::Current().OpenFileName(this, title, folder, filter);
}

void frm_Du_File::RunOnlineUpdate()
{
    runOnlineUpdate_();
}
