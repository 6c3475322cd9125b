#pragma once
// Downloads over HTTPS on the window thread: the caller waits in a local event loop, so its
// window keeps repainting. A download lands under its final name only when it is complete and
// checked.

#include <QList>
#include <QSslCertificate>
#include <QString>

namespace mod_URLDownload {

// What is fetched; each kind has a size limit of its own.
enum class Payload { VersionList, SoftwareFile };

// Fetches url into localPath. Returns why it failed, empty when the whole body arrived, passed
// its check and was stored. On any failure, logged with its reason, an existing file at
// localPath is left as it was and no partial file is left behind. Failures: a refused address or
// redirect, a network or TLS error, an HTTP error, an empty body, a body without an announced
// length (a chunked reply), fewer or more bytes than announced, a stall, a body beyond the size
// limit, the overall deadline, the start of the close-down (Exiting), a wait ended from outside,
// a disk error; for a software file also a body that is no decoder software file or lists an
// image beyond its end.
QString DownloadFile(const QString &url, const QString &localPath, Payload payload);

// The same, never served from a cache.
QString DownloadFresh(const QString &url, const QString &localPath, Payload payload);

// A download that receives nothing for this long is given up (default 30 s).
void SetStallTimeout(int milliseconds);

// A download that has not finished after this long is given up, however steadily data
// arrive (default 3 minutes).
void SetDeadline(int milliseconds);

// The largest body accepted for a payload (defaults: version list 64 KiB, software file
// 16 MiB).
void SetSizeLimit(Payload payload, qint64 bytes);

// Certificate authorities trusted in addition to the system's (tests use their own).
void SetExtraCaCertificates(const QList<QSslCertificate> &certificates);

} // namespace mod_URLDownload
