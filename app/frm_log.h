#pragma once
// The log window: the detailed trace of every serial exchange while it is open, copyable to the
// clipboard. Lines written while it is closed are lost.

#include <QWidget>

class QListWidget;
class QPushButton;

class frm_log : public QWidget {
    Q_OBJECT
public:
    // Opens the window without blocking, or brings the open one forward.
    static frm_log *Show();
    // Closes the open window, if any; its lines are discarded.
    static void Unload();
    // The open window, or nullptr.
    static frm_log *Instance();

    // The whole list as one text, each line ended by a carriage return.
    QString CopyText() const;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    frm_log();
    ~frm_log() override;

    void AddLine(const QString &line);
    void SelectLastLine();
    void ApplyResizeRules();
    void CopyToClipboard();

    QListWidget *lst_deb;
    QPushButton *cmd_zwischen;
};
