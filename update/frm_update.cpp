#include "update/frm_update.h"

#include "app/Dialogs.h"
#include "app/LanguageTexts.h"
#include "app/Module_DU.h"
#include "app/NamedControls.h"
#include "app/mod_ini.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

using namespace NamedControls;

namespace {
constexpr int ProgressMaximum = 100;

// A frame holding one check box.
QGroupBox *Frame(QWidget *parent, const char *name, const QString &caption, QCheckBox *check)
{
    QGroupBox *frame = Named(new QGroupBox(caption, parent), name);
    auto *layout = new QVBoxLayout(frame);
    layout->addWidget(check);
    return frame;
}
} // namespace

frm_update::frm_update()
    : procedure_(*this), alternative_(*this, procedure_.Link()), lifetime_(new PageLifetime(*this))
{
    setObjectName(QStringLiteral("frm_update"));
    setWindowTitle(QStringLiteral("Decoder Updaten"));
    CreateControls();
    CreateMenus();
    connect(lifetime_, &PageLifetime::Idle, this, &frm_update::Idle);
}

void frm_update::Unload()
{
    close();
    hide(); // also while an update runs, whose query-unload keeps the page
    lifetime_->Unload();
}

bool frm_update::Busy() const
{
    return lifetime_->Busy();
}

void frm_update::CancelOpenDialogs()
{
    for (QDialog *dialog : findChildren<QDialog *>()) {
        if (dialog->isVisible())
            dialog->reject();
    }
}

void frm_update::CreateControls()
{
    auto *central = new QWidget(this);
    setCentralWidget(central);

    List2 = Named(new QListWidget(central), "List2");
    ProgressBar1 = Named(new QProgressBar(central), "ProgressBar1");
    ProgressBar1->setRange(0, ProgressMaximum);
    ProgressBar1->setValue(0);
    Command3 = Button(central, "Command3", QStringLiteral("Decoder updaten"));
    cmd_zurueck = Button(central, "cmd_zurück", QStringLiteral("<-- Zurück"));
    cmd_beenden = Button(central, "cmd_beenden", QStringLiteral("Beenden"));
    Check1 = Named(new QCheckBox(QStringLiteral("Keine Rückfrage"), central), "Check1");
    Frame1 = Frame(central, "Frame1", QStringLiteral("Für schnellere Programmierung"), Check1);
    Check2 = Named(new QCheckBox(QStringLiteral("Blind Programmieren"), central), "Check2");
    Frame2 = Frame(central, "Frame2", QStringLiteral("Wenn Probleme mit der Rückmeldung"), Check2);
    // The rule is a sentence; the number boxes' labels stay on one line beside their boxes.
    Label3 = WrappedLabel(central, "Label3",
                          QStringLiteral("Funktionen sind nur verfügbar wenn auf der vorigen "
                                         "Seite nur ein Decoder ausgewählt wurde."));
    txt_pream = TextBox(central, "txt_pream", StartValue::Preamble);
    txt_timing_soll = TextBox(central, "txt_timing_soll", StartValue::TimingTarget);
    lbl_note = Label(central, "lbl_note", QStringLiteral("Notiz"));
    txt_note = TextBox(central, "txt_note", Module_DU::State().UpdateNote);
    txt_note->setMaxLength(mod_ini::MaxValueLength); // as long as the settings file keeps it
    lbl_note->setBuddy(txt_note);
    CreateHiddenControls(central);

    connect(Command3, &QPushButton::clicked, this, &frm_update::Command3_Click);
    connect(cmd_zurueck, &QPushButton::clicked, this, &frm_update::cmd_zurueck_Click);
    connect(cmd_beenden, &QPushButton::clicked, this, &frm_update::cmd_beenden_Click);
    connect(txt_note, &QLineEdit::textChanged, this,
            [](const QString &note) { Module_DU::State().UpdateNote = note; });

    auto *numbers = new QFormLayout;
    numbers->addRow(Label(central, "Label1", QStringLiteral("Preamble Bits (min.4):")),
                    txt_pream);
    numbers->addRow(Label(central, "Label2", QStringLiteral("Timing [ms]:")), txt_timing_soll);
    auto *side = new QVBoxLayout;
    side->addWidget(Frame1);
    side->addWidget(Frame2);
    side->addWidget(Label3);
    side->addLayout(numbers);
    side->addStretch();
    auto *top = new QHBoxLayout;
    top->addWidget(List2, 2);
    top->addLayout(side, 1);
    auto *note = new QHBoxLayout;
    note->addWidget(lbl_note);
    note->addWidget(txt_note, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cmd_beenden);
    buttons->addStretch();
    buttons->addWidget(cmd_zurueck);
    buttons->addWidget(Command3);
    auto *page = new QVBoxLayout(central);
    page->addLayout(top, 1);
    page->addLayout(note);
    page->addWidget(ProgressBar1);
    page->addLayout(buttons);
    resize(600, 380);
}

// Controls the page holds but never shows. The procedure still reads and writes txt_timing;
// Command5 starts the alternative update, and its enabled state tells whether an update runs;
// the diagnostic buttons have no handlers.
void frm_update::CreateHiddenControls(QWidget *central)
{
    txt_timing = TextBox(central, "txt_timing", StartValue::Timing);
    Command5 = Button(central, "Command5", QStringLiteral("Alternative Updatemethode"));
    const QList<QWidget *> hidden{
        txt_timing,
        Label(central, "Label4", QStringLiteral("Timing Korrektur:")),
        Command5,
        Button(central, "Command1", QStringLiteral("Test")),
        Button(central, "Command2", QStringLiteral("64 Byte senden")),
        Button(central, "Command4", QStringLiteral("256x64 Byte")),
        Button(central, "Command6", QStringLiteral("256 Byte senden")),
        Button(central, "cmd_test", QStringLiteral("Pream")),
    };
    for (QWidget *widget : hidden)
        widget->hide();
    connect(Command5, &QPushButton::clicked, this, &frm_update::Command5_Click);
}

void frm_update::CreateMenus()
{
    QMenu *mnu_meneu = Menu(menuBar(), "mnu_meneu", QStringLiteral("File"));
    connect(Item(mnu_meneu, "mnu_beenden", QStringLiteral("Exit")), &QAction::triggered, this,
            &frm_update::cmd_beenden_Click);
    QMenu *mnu_h = Menu(menuBar(), "mnu_h", QStringLiteral("?"));
    connect(Item(mnu_h, "mnu_hilfe", QStringLiteral("Help")), &QAction::triggered, this,
            &frm_update::HelpRequested);
    connect(Item(mnu_h, "mnu_log", QStringLiteral("Log")), &QAction::triggered, this,
            &frm_update::LogRequested);
    connect(Item(mnu_h, "mnu_history", QStringLiteral("History")), &QAction::triggered, this,
            &frm_update::HistoryRequested);
    connect(Item(mnu_h, "mnu_info", QStringLiteral("Info")), &QAction::triggered, this,
            &frm_update::mnu_info_Click);
}

void frm_update::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!activated_)
        Form_Activate();
}

// The first activation after the page was created or left by Back.
void frm_update::Form_Activate()
{
    setWindowTitle(Text(TextId::UpdateDecoder));
    Frame1->setTitle(Text(TextId::ForMultipleProgramming));
    Check1->setText(Text(TextId::NoQuery));
    Frame2->setTitle(Text(TextId::IfAckProblems));
    Check2->setText(Text(TextId::ProgramWithoutAck));
    Label3->setText(Text(TextId::OptionsNeedOneDecoder));
    Command3->setText(Text(TextId::StartUpdate));
    cmd_zurueck->setText(BackCaption());
    cmd_beenden->setText(Text(TextId::Exit));
    lbl_note->setText(Text(TextId::Note));
    ProgressBar1->setValue(0);
    ApplyOptionsRule();
    activated_ = true;
    Command3->setFocus();
}

// The options are offered only while exactly one decoder type is chosen: with several, the
// update always asks and always waits for acknowledgements.
void frm_update::ApplyOptionsRule()
{
    optionsOffered_ = Module_DU::State().ChosenDecoders.size() == 1;
    for (QCheckBox *option : {Check1, Check2}) {
        if (!optionsOffered_)
            option->setChecked(false);
        option->setEnabled(optionsOffered_);
    }
    Label3->setVisible(!optionsOffered_);
}

void frm_update::Command3_Click()
{
    const PageLifetime::Running running(*lifetime_);
    procedure_.Run();
}

void frm_update::Command5_Click()
{
    const PageLifetime::Running running(*lifetime_);
    alternative_.Run();
}

void frm_update::cmd_zurueck_Click()
{
    activated_ = false;
    hide();
    emit BackRequested();
}

// Exit does nothing while an update runs; Command5 is disabled exactly then.
void frm_update::cmd_beenden_Click()
{
    if (Command5->isEnabled())
        close();
}

// The query-unload of every close request (Exit, File -> Exit, the close box, the close-down's
// unload). While an update runs, the page stays and says nothing. Otherwise the program ends:
// Exiting is set and the port page, once shown, runs the close-down. (Timer2 is the page's only
// timer: it ticks the waits of an update.)
void frm_update::closeEvent(QCloseEvent *event)
{
    if (!Command3->isEnabled()) {
        event->ignore();
        return;
    }
    procedure_.Link().StopTimer();
    event->accept();
    if (Module_DU::BeginExiting())
        emit Unloaded();
}

// The info box is modal: the page stays until it is closed.
void frm_update::mnu_info_Click()
{
    const PageLifetime::Running running(*lifetime_);
    emit InfoRequested();
}

void frm_update::AddInfoLine(const QString &line)
{
    List2->addItem(line);
    List2->scrollToBottom();
}

void frm_update::RemoveLastInfoLine()
{
    delete List2->takeItem(List2->count() - 1);
}

void frm_update::ClearInfoLines()
{
    List2->clear();
}

void frm_update::SetInfoColour(const QColor &colour)
{
    QPalette palette = List2->palette();
    palette.setColor(QPalette::Base, colour);
    List2->setPalette(palette);
}

void frm_update::SetProgress(float percent)
{
    ProgressBar1->setValue(qRound(percent));
}

bool frm_update::NoQuery() const
{
    return Check1->isChecked();
}

bool frm_update::Blind() const
{
    return Check2->isChecked();
}

QString frm_update::PreambleText() const
{
    return txt_pream->text();
}

QString frm_update::TimingText() const
{
    return txt_timing->text();
}

void frm_update::SetTimingText(const QString &text)
{
    txt_timing->setText(text);
}

QString frm_update::TimingTargetText() const
{
    return txt_timing_soll->text();
}

// The options, number boxes and the note go with the buttons: a key meant for the start button
// that lands on one of them while the update runs must not change what the update reads.
void frm_update::SetButtonsEnabled(bool enabled)
{
    const QList<QWidget *> controls{Command3,  Command5,        cmd_beenden, cmd_zurueck,
                                    txt_pream, txt_timing_soll, txt_note};
    for (QWidget *control : controls)
        control->setEnabled(enabled);
    for (QCheckBox *option : {Check1, Check2})
        option->setEnabled(enabled && optionsOffered_);
}

bool frm_update::AskYesNo(const QString &title, const QString &text)
{
    return Dialogs::Current().Question(this, title, text);
}

void frm_update::ShowInformation(const QString &title, const QString &text)
{
    Dialogs::Current().Message(this, title, text);
}

void frm_update::GoBack()
{
    cmd_zurueck_Click();
}

QString frm_update::Note() const
{
    return txt_note->text();
}
