#pragma once
// Puts a text on the system clipboard.

#include <QString>

class QWidget;

namespace Mod_Zwischenablage {

// Empties the clipboard first when clear is set. Returns true when the text was handed over.
bool SetClipboardText(QWidget *owner, const QString &text, bool clear);

} // namespace Mod_Zwischenablage
