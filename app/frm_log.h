#pragma once
// The log window: the detailed trace of every serial exchange while it is open, copyable to the
// clipboard. Lines written while it is closed are lost. The wizard keeps at most one open; a
// closed window deletes itself.

#include <QWidget>

class QListWidget;
class QPushButton;

class frm_log : public QWidget {
    Q_OBJECT
public:
    // Listens to the log from here on.
    frm_log();
    ~frm_log() override;

    // Shows the window without blocking and brings it forward.
    void ShowInFront();

    // The whole list as one text, each line ended by a carriage return.
    QString CopyText() const;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

signals:
    // The window is closed: it listens no more and will delete itself.
    void Unloaded();

private:
    void StopListening();
    void AddLine(const QString &line);
    void SelectLastLine();
    void ApplyResizeRules();
    void CopyToClipboard();

    QListWidget *lst_deb;
    QPushButton *cmd_zwischen;
    bool listening_ = true;
};
