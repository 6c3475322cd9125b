#pragma once
// The History window: every update attempt of the history file, newest first, with a filter by
// decoder and an export of what it lists as CSV. The wizard keeps at most one open; a closed
// window deletes itself.

#include "history/HistoryListing.h"
#include "history/UpdateHistory.h"

#include <QWidget>

class QComboBox;
class QPushButton;
class QTableWidget;

class frm_history : public QWidget {
    Q_OBJECT
public:
    explicit frm_history(const QString &historyPath = UpdateHistory::FilePath());

    // Reads the history file again, then shows the window without blocking and brings it
    // forward.
    void ShowInFront();

signals:
    // The window is closed and will delete itself.
    void Unloaded();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void CreateControls();
    void Refresh();
    void FillFilter();
    void FilterChanged();
    void FillTable();
    void ExportCsv();

    QComboBox *cmb_decoder;
    QTableWidget *tbl_history;
    QPushButton *cmd_refresh;
    QPushButton *cmd_export;
    QPushButton *cmd_close;
    HistoryListing listing_;
    const QString historyPath_;
};
