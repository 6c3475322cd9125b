#pragma once
// The port list without a window, for tobrik-cli and tests. Selecting raises no click.

#include "port/PortView.h"

#include <QStringList>

class MemoryPortView : public PortView {
public:
    void ClearEntries() override;
    void AddEntry(const QString &text) override;
    QString Entry(int index) const override;
    void SetEntry(int index, const QString &text) override;
    QString EntryDevice(int index) const override;
    void SetEntryDevice(int index, const QString &device) override;
    void SelectEntry(int index) override;
    int SelectedEntry() const override;

    const QStringList &Entries() const;

private:
    QStringList entries_;
    QStringList devices_; // by entry
    int selected_ = -1;
};
