#pragma once
// The online update's exchange: fetches the version list and, when the newest decoder software
// file is not on this PC yet, downloads it into the software folder. Every step ends as a line
// in the view, a failure with its reason; none raises a message box. With no server configured
// it fetches nothing and says how to set one.

#include "online/OnlineUpdateView.h"
#include "online/VersionList.h"
#include "online/mod_URLDownload.h"

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
    // Fetches url into localPath; a failure shows "Download failed" and its reason.
    bool Downloaded(const QString &url, const QString &localPath,
                    mod_URLDownload::Payload payload);

    OnlineUpdateView &view_;
    DecoderSwEntry decoderSw_;
};
