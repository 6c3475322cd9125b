#include "app/Dialogs.h"

#include <QFileDialog>
#include <QMessageBox>

namespace {
class WidgetDialogs : public Dialogs {
public:
    void Message(QWidget *parent, const QString &title, const QString &text) override
    {
        QMessageBox::information(parent, title, text, QMessageBox::Ok);
    }

    QString OpenFileName(QWidget *parent, const QString &title, const QString &folder,
                         const QString &filter) override
    {
        return QFileDialog::getOpenFileName(parent, title, folder, filter);
    }
};

Dialogs *&Replacement()
{
    static Dialogs *replacement = nullptr;
    return replacement;
}
} // namespace

bool Dialogs::Question(QWidget *parent, const QString &title, const QString &text)
{
    return QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No)
           == QMessageBox::Yes;
}

Dialogs &Dialogs::Current()
{
    static WidgetDialogs widgets;
    return Replacement() ? *Replacement() : static_cast<Dialogs &>(widgets);
}

void Dialogs::Replace(Dialogs *replacement)
{
    Replacement() = replacement;
}
