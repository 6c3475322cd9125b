#include "port/MemoryPortView.h"

void MemoryPortView::ClearEntries()
{
    entries_.clear();
    devices_.clear();
    selected_ = -1;
}

void MemoryPortView::AddEntry(const QString &text)
{
    entries_.append(text);
    devices_.append(QString());
}

QString MemoryPortView::Entry(int index) const
{
    return entries_.value(index);
}

void MemoryPortView::SetEntry(int index, const QString &text)
{
    if (index >= 0 && index < entries_.size())
        entries_[index] = text;
}

QString MemoryPortView::EntryDevice(int index) const
{
    return devices_.value(index);
}

void MemoryPortView::SetEntryDevice(int index, const QString &device)
{
    if (index >= 0 && index < devices_.size())
        devices_[index] = device;
}

void MemoryPortView::SelectEntry(int index)
{
    if (index >= 0 && index < entries_.size())
        selected_ = index;
}

int MemoryPortView::SelectedEntry() const
{
    return selected_;
}

const QStringList &MemoryPortView::Entries() const
{
    return entries_;
}
