#pragma once
// The update page's controls as a test reaches them, by their names.

#include <QList>
#include <QStringList>
#include <QWidget>

class QPushButton;

namespace UpdatePageControls {

// The Back button's name.
extern const char *const Back;

// The control of that name and type on page; the test program stops when there is none.
template <typename Widget = QWidget>
Widget *Control(const QWidget &page, const char *name)
{
    auto *widget = page.findChild<Widget *>(QString::fromUtf8(name));
    if (!widget)
        qFatal("no control %s", name);
    return widget;
}

QPushButton *Button(const QWidget &page, const char *name);

// Whether Command3, Command5, cmd_beenden and cmd_zurück, the buttons an update disables, are
// enabled, in this order.
QList<bool> ButtonsEnabled(const QWidget &page);

// The lines of List2.
QStringList Lines(const QWidget &page);

} // namespace UpdatePageControls
