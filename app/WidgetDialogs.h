#pragma once
// The window program's own message boxes and file dialog: Qt's.

namespace WidgetDialogs {

// Makes them the program's own boxes behind Dialogs::Current().
void Install();

} // namespace WidgetDialogs
