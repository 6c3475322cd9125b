#pragma once
// Downloads over HTTPS on the window thread: the caller waits in a local event loop, so its
// window keeps repainting. A download lands under its final name only when it is complete.

#include <QList>
#include <QSslCertificate>
#include <QString>

namespace mod_URLDownload {

// Fetches url into localPath. True when the whole body arrived and was stored; on any failure
// (refused address, network or TLS error, HTTP error, stall, disk) an existing file at
// localPath is left as it was and no partial file is left behind.
bool DownloadFile(const QString &url, const QString &localPath);

// The same, never served from a cache.
bool DownloadFresh(const QString &url, const QString &localPath);

// A download that receives nothing for this long is given up (default 30 s).
void SetStallTimeout(int milliseconds);

// Certificate authorities trusted in addition to the system's (tests use their own).
void SetExtraCaCertificates(const QList<QSslCertificate> &certificates);

} // namespace mod_URLDownload
