#pragma once
// The help page: how an update is done, step by step, in German (it is not translated). Shown
// without blocking from the "?" menu of every page; OK unloads it, and so does the close-down.

#include <QWidget>

class frm_Du_Hilfe : public QWidget {
    Q_OBJECT
public:
    frm_Du_Hilfe();

    // Shows the page without blocking and brings it forward.
    void ShowInFront();

signals:
    // The page is closed and will delete itself.
    void Unloaded();

protected:
    void closeEvent(QCloseEvent *event) override;
};
