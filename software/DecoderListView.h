#pragma once
// What loading a decoder software file shows: the decoder list, the state of "Next", the
// window caption and the warning for KT decoders. The file page shows it with widgets,
// tobrik-cli on the terminal, tests in memory.

#include <QString>

class DecoderListView {
public:
    virtual ~DecoderListView() = default;

    virtual void ClearDecoderList() = 0;
    // A row with its tag id: the decoder ID that Next hands on.
    virtual void AddDecoderRow(const QString &name, const QString &version, const QString &id) = 0;
    virtual void SelectAllRows() = 0;
    virtual void SetNextEnabled(bool enabled) = 0;
    virtual void SetCaption(const QString &caption) = 0;
    // The fixed German warning that KT decoders cannot be updated here; returns once the user
    // has acknowledged it.
    virtual void ShowKtWarning() = 0;
};

// Shows nothing: for callers that want only the loading's result.
class SilentDecoderList : public DecoderListView {
public:
    void ClearDecoderList() override {}
    void AddDecoderRow(const QString &, const QString &, const QString &) override {}
    void SelectAllRows() override {}
    void SetNextEnabled(bool) override {}
    void SetCaption(const QString &) override {}
    void ShowKtWarning() override {}
};
