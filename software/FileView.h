#pragma once
// The whole file page as its procedures see it: the decoder list and what the first
// activation, the open dialog, the online update and Next need beside it.

#include "software/DecoderListView.h"

#include <QStringList>

class FileView : public DecoderListView {
public:
    // The captions of the labels and buttons in the current language; the window caption
    // comes through SetCaption.
    virtual void SetControlCaptions() = 0;
    virtual bool NextEnabled() const = 0;
    virtual void FocusNext() = 0;
    // The tags of the selected rows, in list order.
    virtual QStringList SelectedIds() const = 0;
    // The open dialog: the chosen path, or empty text when the user cancelled.
    virtual QString AskFileName(const QString &title, const QString &folder,
                                const QString &filter) = 0;
    // Shows the online update window and returns once it is closed.
    virtual void RunOnlineUpdate() = 0;
};
