#include "online/frm_down_DU.h"

#include "app/LanguageTexts.h"

#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

frm_down_DU::frm_down_DU(QWidget *parent)
    : QDialog(parent), List1(new QListWidget(this)), cmd_ende(new QPushButton(this)),
      exchange_(*this)
{
    setWindowTitle(Text(TextId::OnlineUpdateTitle));
    List1->setObjectName(QStringLiteral("List1"));
    // A reason or the way to set a server can be longer than the window is wide: the line
    // wraps rather than hide its end behind a scroll bar.
    List1->setWordWrap(true);
    List1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    List1->setResizeMode(QListView::Adjust);
    cmd_ende->setObjectName(QStringLiteral("cmd_ende"));
    cmd_ende->setText(Text(TextId::CloseWindow));
    cmd_ende->setEnabled(false);
    connect(cmd_ende, &QPushButton::clicked, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(List1);
    layout->addWidget(cmd_ende, 0, Qt::AlignRight);
    resize(420, 220);
}

void frm_down_DU::reject()
{
    if (cmd_ende->isEnabled())
        QDialog::reject();
}

void frm_down_DU::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Runs once the window is on screen, so the user sees it while the exchange runs.
    if (firstActivation_)
        QTimer::singleShot(0, this, &frm_down_DU::Form_Activate);
}

void frm_down_DU::Form_Activate()
{
    if (!firstActivation_)
        return;
    firstActivation_ = false;
    exchange_.Run();
}

void frm_down_DU::AddLine(const QString &line)
{
    List1->addItem(line);
    List1->scrollToBottom();
}

void frm_down_DU::EnableClose()
{
    cmd_ende->setEnabled(true);
    emit ExchangeFinished();
}
