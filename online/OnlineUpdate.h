#pragma once
// The online update's exchange: fetches the version list and, when the newest decoder software
// file is not on this PC yet, downloads it into the software folder. Every step ends as a line
// in the view; none raises a message box.

#include "online/OnlineUpdateView.h"
#include "online/VersionList.h"

class OnlineUpdate {
public:
    explicit OnlineUpdate(OnlineUpdateView &view);

    // The whole exchange: the version list, its result, the download when needed; the view may
    // be closed once it returns.
    void Run();

    void ReadVersionList();
    void ShowVersionResult();
    void DownloadSoftware();

private:
    OnlineUpdateView &view_;
    DecoderSwEntry decoderSw_;
};
