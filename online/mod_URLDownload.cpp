#include "online/mod_URLDownload.h"

#include "app/Log.h"
#include "app/Module_DU.h"
#include "online/HttpExchange.h"
#include "online/UpdateServer.h"
#include "software/SoftwareFileCheck.h"

#include <QBuffer>
#include <QSaveFile>
#include <cerrno>
#include <utility>

namespace mod_URLDownload {
namespace {
constexpr qint64 KiB = 1024;
constexpr qint64 MiB = 1024 * KiB;
// A chain of redirects longer than this leads nowhere useful.
constexpr int MaxRedirects = 5;

struct Limits {
    int StallTimeoutMs = 30 * 1000;
    int DeadlineMs = 3 * 60 * 1000;
    // A version list is a few hundred bytes; a decoder software file's fixed layout tops out
    // near 10 MB.
    qint64 VersionListBytes = 64 * KiB;
    qint64 SoftwareFileBytes = 16 * MiB;
};

Limits &CurrentLimits()
{
    static Limits limits;
    return limits;
}

qint64 &SizeLimit(Payload payload)
{
    return payload == Payload::VersionList ? CurrentLimits().VersionListBytes
                                           : CurrentLimits().SoftwareFileBytes;
}

QList<QSslCertificate> &ExtraCaCertificates()
{
    static QList<QSslCertificate> certificates;
    return certificates;
}

QString ExitingReason()
{
    return Module_DU::State().Exiting ? QStringLiteral("the program is closing") : QString();
}

// Fetches address into body, following redirects to permitted targets; returns why it failed,
// empty when the whole body arrived.
QString Fetch(QUrl address, qint64 maxBytes, QByteArray &body)
{
    const HttpExchange::Limits limits{CurrentLimits().StallTimeoutMs, CurrentLimits().DeadlineMs,
                                      maxBytes};
    for (int redirects = 0;; ++redirects) {
        HttpExchange::Outcome outcome =
            HttpExchange::Get(address, ExtraCaCertificates(), limits, ExitingReason);
        if (!outcome.Failure.isEmpty())
            return outcome.Failure;
        if (outcome.Redirect.isEmpty()) {
            body = std::move(outcome.Body);
            return body.isEmpty() ? QStringLiteral("empty body") : QString();
        }
        if (!UpdateServer::IsPermittedRedirect(outcome.Redirect))
            return QStringLiteral("redirect to %1 refused").arg(outcome.Redirect.toDisplayString());
        if (redirects == MaxRedirects)
            return QStringLiteral("more than %1 redirects").arg(MaxRedirects);
        address = outcome.Redirect;
    }
}

// Why a whole body may not be stored as payload; empty when it may.
QString ContentProblem(Payload payload, QByteArray &body)
{
    if (payload != Payload::SoftwareFile)
        return {};
    QBuffer file(&body);
    file.open(QIODevice::ReadOnly);
    return SoftwareFileProblem(file);
}

// Replaces the file at localPath with body in one step; on failure it is left as it was and
// the reason is returned.
QString Store(const QString &localPath, const QByteArray &body)
{
    QSaveFile file(localPath);
    errno = 0;
    // The last bytes reach the disk only at the flush: a full disk may first show there.
    // A flush that fails part-way would not keep commit from keeping the part.
    if (file.open(QIODevice::WriteOnly) && file.write(body) == body.size() && file.flush()
        && file.commit())
        return {};
    // Qt reports a failed flush as "Unknown error"; the system still tells why.
    const QString reason = errno != 0 ? qt_error_string(errno) : file.errorString();
    file.cancelWriting();
    return QStringLiteral("cannot write %1: %2").arg(localPath, reason);
}

// Why url may not be stored at localPath as payload; empty when it was stored.
QString FetchAndStore(const QString &url, const QString &localPath, Payload payload)
{
    const QUrl address(url);
    if (!UpdateServer::IsPermittedUrl(address))
        return QStringLiteral("address refused, only https is fetched");
    // Held in memory, at most the size limit, until it is whole and checked: nothing on the
    // disk changes before.
    QByteArray body;
    if (const QString failure = Fetch(address, SizeLimit(payload), body); !failure.isEmpty())
        return failure;
    if (const QString problem = ContentProblem(payload, body); !problem.isEmpty())
        return QStringLiteral("refused: ") + problem;
    return Store(localPath, body);
}
} // namespace

QString DownloadFile(const QString &url, const QString &localPath, Payload payload)
{
    const QString failure = FetchAndStore(url, localPath, payload);
    if (!failure.isEmpty())
        Log::Problem(QStringLiteral("Download %1 failed: %2").arg(url, failure));
    return failure;
}

QString DownloadFresh(const QString &url, const QString &localPath, Payload payload)
{
    // Every request already bypasses caches, so there is no stale copy to drop first.
    return DownloadFile(url, localPath, payload);
}

void SetStallTimeout(int milliseconds)
{
    CurrentLimits().StallTimeoutMs = milliseconds;
}

void SetDeadline(int milliseconds)
{
    CurrentLimits().DeadlineMs = milliseconds;
}

void SetSizeLimit(Payload payload, qint64 bytes)
{
    SizeLimit(payload) = bytes;
}

void SetExtraCaCertificates(const QList<QSslCertificate> &certificates)
{
    ExtraCaCertificates() = certificates;
}

} // namespace mod_URLDownload
