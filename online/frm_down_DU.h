#pragma once
// The online update window: fetches the version list and, when the newest decoder software
// file is not on this PC yet, downloads it into the software folder. Each step is a line in
// List1; cmd_ende closes the window once the exchange is over.

#include "online/VersionList.h"

#include <QDialog>

class QListWidget;
class QPushButton;

class frm_down_DU : public QDialog {
    Q_OBJECT
public:
    explicit frm_down_DU(QWidget *parent = nullptr);

    // The lines shown so far, for callers without a screen.
    QStringList Lines() const;

    void ReadVersionList();
    void ShowVersionResult();
    void DownloadSoftware();

signals:
    // The exchange is over and cmd_ende can be pressed.
    void ExchangeFinished();

public slots:
    void reject() override; // refused while the exchange runs

protected:
    void showEvent(QShowEvent *event) override;

private:
    void Form_Activate();
    void AddLine(const QString &line);

    QListWidget *List1;
    QPushButton *cmd_ende;
    bool firstActivation_ = true;
    DecoderSwEntry decoderSw_;
};
