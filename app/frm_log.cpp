#include "app/frm_log.h"

#include "app/Log.h"
#include "app/Mod_Zwischenablage.h"
#include "app/Twips.h"

#include <QCloseEvent>
#include <QListWidget>
#include <QPushButton>

namespace {
// The design-time layout, in twips.
constexpr int ClientWidth = 9375;
constexpr int ClientHeight = 7650;
constexpr int ListLeft = 120;
constexpr int ListTop = 120;
constexpr int ListWidth = 9135;
constexpr int ListHeight = 6690;
constexpr int ButtonLeft = 3000;
constexpr int ButtonTop = 6960;
constexpr int ButtonWidth = 2775;
constexpr int ButtonHeight = 495;
// What the resize rules keep free beside and below the list, and above the button's top.
constexpr int ListWidthMargin = 360;
constexpr int ListHeightMargin = 1425;
constexpr int ButtonTopMargin = 1155;
} // namespace

frm_log::frm_log()
    : QWidget(nullptr, Qt::Window),
      lst_deb(new QListWidget(this)),
      cmd_zwischen(new QPushButton(QStringLiteral("Text in Zwischenablage kopieren"), this))
{
    setObjectName(QStringLiteral("frm_log"));
    setWindowTitle(QStringLiteral("Log"));
    setAttribute(Qt::WA_DeleteOnClose);
    lst_deb->setObjectName(QStringLiteral("lst_deb"));
    cmd_zwischen->setObjectName(QStringLiteral("cmd_zwischen"));
    lst_deb->setGeometry(TwipsToPixels(ListLeft), TwipsToPixels(ListTop),
                         TwipsToPixels(ListWidth), TwipsToPixels(ListHeight));
    // Wider than designed where this system's font needs it, so the caption is never cut.
    cmd_zwischen->setGeometry(TwipsToPixels(ButtonLeft), TwipsToPixels(ButtonTop),
                              qMax(TwipsToPixels(ButtonWidth), cmd_zwischen->sizeHint().width()),
                              TwipsToPixels(ButtonHeight));
    resize(TwipsToPixels(ClientWidth), TwipsToPixels(ClientHeight));
    connect(cmd_zwischen, &QPushButton::clicked, this, &frm_log::CopyToClipboard);
    Log::SetSink([this](const QString &line) { AddLine(line); });
}

frm_log::~frm_log()
{
    StopListening();
}

// Only while this window listens: a closed one that is deleted late must not silence the
// window opened after it.
void frm_log::StopListening()
{
    if (!listening_)
        return;
    listening_ = false;
    Log::SetSink({});
}

void frm_log::ShowInFront()
{
    show();
    raise();
    activateWindow();
}

void frm_log::closeEvent(QCloseEvent *event)
{
    // Unloading ends the trace at once, not when the window object is finally deleted.
    StopListening();
    event->accept();
    emit Unloaded();
}

void frm_log::AddLine(const QString &line)
{
    lst_deb->addItem(line);
}

void frm_log::SelectLastLine()
{
    if (lst_deb->count() > 0)
        lst_deb->setCurrentRow(lst_deb->count() - 1);
}

void frm_log::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        SelectLastLine();
}

void frm_log::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    ApplyResizeRules();
}

// The list follows the window; the button stays centred below it. Maximized and minimized
// windows keep the layout they had.
void frm_log::ApplyResizeRules()
{
    if (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized))
        return;
    const QRect outer = frameGeometry();
    const int width = PixelsToTwips(outer.width());
    const int height = PixelsToTwips(outer.height());
    lst_deb->resize(qMax(0, TwipsToPixels(width - ListWidthMargin)),
                    qMax(0, TwipsToPixels(height - ListHeightMargin)));
    cmd_zwischen->move(TwipsToPixels(width / 2 - PixelsToTwips(cmd_zwischen->width()) / 2),
                       TwipsToPixels(height - ButtonTopMargin));
}

QString frm_log::CopyText() const
{
    QString text;
    for (int row = 0; row < lst_deb->count(); ++row)
        text += lst_deb->item(row)->text() + QLatin1Char('\r');
    return text;
}

void frm_log::CopyToClipboard()
{
    Mod_Zwischenablage::SetClipboardText(this, CopyText(), true);
}
