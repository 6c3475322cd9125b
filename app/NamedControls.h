#pragma once
// Controls made under their names: every control of a page carries its name as its objectName,
// so tests and the pages themselves find it by that name. Names are UTF-8 ("cmd_zurück").

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

namespace NamedControls {

template <typename Object>
Object *Named(Object *object, const char *name)
{
    object->setObjectName(QString::fromUtf8(name));
    return object;
}

inline QPushButton *Button(QWidget *parent, const char *name, const QString &caption)
{
    return Named(new QPushButton(caption, parent), name);
}

inline QLabel *Label(QWidget *parent, const char *name, const QString &caption = {})
{
    return Named(new QLabel(caption, parent), name);
}

// A label whose text breaks into lines at the label's width.
inline QLabel *WrappedLabel(QWidget *parent, const char *name, const QString &caption = {})
{
    QLabel *label = Label(parent, name, caption);
    label->setWordWrap(true);
    return label;
}

inline QLineEdit *TextBox(QWidget *parent, const char *name, const QString &value)
{
    return Named(new QLineEdit(value, parent), name);
}

inline QMenu *Menu(QMenuBar *bar, const char *name, const QString &caption)
{
    return Named(bar->addMenu(caption), name);
}

inline QAction *Item(QMenu *menu, const char *name, const QString &caption)
{
    return Named(menu->addAction(caption), name);
}

} // namespace NamedControls
