#pragma once
// What the scan and the detection see of the port list List1: 32 entries, entry n-1 for COMn,
// and a selection. The port page shows it with a list box; tobrik-cli and tests keep it in
// memory.

#include <QString>

class PortView {
public:
    virtual ~PortView() = default;

    virtual void ClearEntries() = 0;
    virtual void AddEntry(const QString &text) = 0;
    virtual QString Entry(int index) const = 0;
    virtual void SetEntry(int index, const QString &text) = 0;
    // The device behind an entry's port, empty while it is absent; the page shows it as the
    // entry's tooltip.
    virtual QString EntryDevice(int index) const = 0;
    virtual void SetEntryDevice(int index, const QString &device) = 0;
    // A list box reports a changed selection as a click, and so may a view.
    virtual void SelectEntry(int index) = 0;
    // -1 when nothing is selected.
    virtual int SelectedEntry() const = 0;
};
