#include "support/UpdatePageControls.h"

#include <QListWidget>
#include <QPushButton>

namespace UpdatePageControls {

const char *const Back = "cmd_zurück";

QPushButton *Button(const QWidget &page, const char *name)
{
    return Control<QPushButton>(page, name);
}

QList<bool> ButtonsEnabled(const QWidget &page)
{
    QList<bool> enabled;
    for (const char *name : {"Command3", "Command5", "cmd_beenden", Back})
        enabled.append(Button(page, name)->isEnabled());
    return enabled;
}

QStringList Lines(const QWidget &page)
{
    QStringList lines;
    const auto *list = Control<QListWidget>(page, "List2");
    for (int row = 0; row < list->count(); ++row)
        lines.append(list->item(row)->text());
    return lines;
}

} // namespace UpdatePageControls
