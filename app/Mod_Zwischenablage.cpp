#include "app/Mod_Zwischenablage.h"

#include <QClipboard>
#include <QGuiApplication>

namespace Mod_Zwischenablage {

bool SetClipboardText(QWidget *, const QString &text, bool clear)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return false;
    if (clear)
        clipboard->clear();
    clipboard->setText(text);
    return clipboard->text() == text;
}

} // namespace Mod_Zwischenablage
