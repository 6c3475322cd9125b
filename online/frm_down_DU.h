#pragma once
// The online update window: shows the exchange of OnlineUpdate, one line per step in List1;
// cmd_ende closes the window once the exchange is over.

#include "online/OnlineUpdate.h"
#include "online/OnlineUpdateView.h"

#include <QDialog>

class QListWidget;
class QPushButton;

class frm_down_DU : public QDialog, private OnlineUpdateView {
    Q_OBJECT
public:
    explicit frm_down_DU(QWidget *parent = nullptr);

signals:
    // The exchange is over and cmd_ende can be pressed.
    void ExchangeFinished();

public slots:
    void reject() override; // refused while the exchange runs

protected:
    void showEvent(QShowEvent *event) override;

private:
    void Form_Activate();

    QListWidget *List1;
    QPushButton *cmd_ende;
    bool firstActivation_ = true;
    OnlineUpdate exchange_;

    // OnlineUpdateView: List1 and cmd_ende.
    void AddLine(const QString &line) override;
    void EnableClose() override;
};
