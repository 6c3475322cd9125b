#include "app/WidgetDialogs.h"

#include "app/Dialogs.h"

#include <QFileDialog>
#include <QMessageBox>

namespace WidgetDialogs {
namespace {
class WidgetBoxes : public Dialogs {
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

    bool Question(QWidget *parent, const QString &title, const QString &text) override
    {
        return QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No)
               == QMessageBox::Yes;
    }

    QString SaveFileName(QWidget *parent, const QString &title, const QString &path,
                         const QString &filter) override
    {
        return QFileDialog::getSaveFileName(parent, title, path, filter);
    }
};
} // namespace

void Install()
{
    static WidgetBoxes boxes;
    Dialogs::SetOwnBoxes(&boxes);
}

} // namespace WidgetDialogs
