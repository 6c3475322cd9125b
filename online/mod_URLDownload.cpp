#include "online/mod_URLDownload.h"

#include "app/Log.h"
#include "app/Module_DU.h"
#include "online/UpdateServer.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QSslConfiguration>
#include <QTimer>
#include <cerrno>

namespace mod_URLDownload {
namespace {
constexpr qint64 KiB = 1024;
constexpr qint64 MiB = 1024 * KiB;

struct Limits {
    int StallTimeoutMs = 30 * 1000;
    int DeadlineMs = 3 * 60 * 1000;
    // A version list is a few hundred bytes; a decoder software file's fixed layout tops out
    // near 10 MB.
    qint64 VersionListBytes = 64 * KiB;
    qint64 SoftwareFileBytes = 16 * MiB;
};

// How often a running download looks whether the close-down has begun.
constexpr int ExitingCheckIntervalMs = 100;

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

QNetworkRequest FreshRequest(const QUrl &url)
{
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setRawHeader("Cache-Control", "no-cache");
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setTransferTimeout(CurrentLimits().StallTimeoutMs);
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.addCaCertificates(ExtraCaCertificates());
    request.setSslConfiguration(tls);
    return request;
}

// One download's wait. The body goes into the file as it arrives; the transfer is cut short
// by a refused redirect, a body beyond the size limit, the deadline or the close-down.
class Transfer {
public:
    Transfer(QNetworkReply &reply, QSaveFile &file, qint64 maxBytes)
        : reply_(reply), file_(file), maxBytes_(maxBytes)
    {
    }

    // True when the reply really finished with the whole body stored.
    bool Run()
    {
        QObject::connect(&reply_, &QNetworkReply::redirected, &reply_,
                         [this](const QUrl &target) { CheckRedirect(target); });
        QObject::connect(&reply_, &QNetworkReply::metaDataChanged, &reply_,
                         [this] { CheckAnnouncedSize(); });
        QObject::connect(&reply_, &QNetworkReply::readyRead, &reply_, [this] { Store(); });
        QObject::connect(&reply_, &QNetworkReply::finished, &loop_, &QEventLoop::quit);

        QTimer deadline;
        deadline.setSingleShot(true);
        QObject::connect(&deadline, &QTimer::timeout, &reply_,
                         [this] { Abort(QStringLiteral("took too long")); });
        deadline.start(CurrentLimits().DeadlineMs);
        QTimer exitingCheck;
        QObject::connect(&exitingCheck, &QTimer::timeout, &reply_, [this] { CheckExiting(); });
        exitingCheck.start(ExitingCheckIntervalMs);

        CheckExiting();
        if (reply_.isRunning())
            loop_.exec();
        // The wait also ends when the close-down quits every event loop: then the reply is
        // still running and the file holds only a part of the body.
        CheckExiting();
        if (reply_.isFinished() && reply_.error() == QNetworkReply::NoError)
            Store();
        return Complete();
    }

private:
    void CheckRedirect(const QUrl &target)
    {
        if (UpdateServer::IsPermittedRedirect(target))
            emit reply_.redirectAllowed();
        else
            Abort(QStringLiteral("redirect to %1 refused").arg(target.toDisplayString()));
    }

    void CheckAnnouncedSize()
    {
        const QVariant announced = reply_.header(QNetworkRequest::ContentLengthHeader);
        if (announced.isValid() && announced.toLongLong() > maxBytes_)
            Abort(QStringLiteral("%1 bytes announced").arg(announced.toLongLong()));
    }

    void CheckExiting()
    {
        if (Module_DU::State().Exiting)
            Abort(QStringLiteral("the program is closing"));
    }

    void Store()
    {
        if (!failure_.isEmpty())
            return;
        const QByteArray data = reply_.readAll();
        received_ += data.size();
        if (received_ > maxBytes_)
            Abort(QStringLiteral("more than %1 bytes").arg(maxBytes_));
        else if (file_.write(data) != data.size())
            Abort(QStringLiteral("cannot write %1: %2").arg(file_.fileName(), file_.errorString()));
    }

    void Abort(const QString &reason)
    {
        if (failure_.isEmpty())
            failure_ = reason;
        reply_.abort();
    }

    bool Complete()
    {
        if (failure_.isEmpty())
            failure_ = IncompleteReason();
        if (!failure_.isEmpty())
            Log::Problem(QStringLiteral("Download %1 failed: %2")
                          .arg(reply_.url().toDisplayString(), failure_));
        return failure_.isEmpty();
    }

    // Why the reply is no whole download; empty when it is one.
    QString IncompleteReason() const
    {
        const int status = reply_.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        const QVariant announced = reply_.header(QNetworkRequest::ContentLengthHeader);
        if (!reply_.isFinished())
            return QStringLiteral("interrupted");
        if (reply_.error() != QNetworkReply::NoError || status < 200 || status > 299)
            return reply_.errorString();
        if (received_ == 0)
            return QStringLiteral("empty body");
        if (announced.isValid() && announced.toLongLong() != received_)
            return QStringLiteral("%1 of %2 bytes").arg(received_).arg(announced.toLongLong());
        return {};
    }

    QNetworkReply &reply_;
    QSaveFile &file_;
    const qint64 maxBytes_;
    qint64 received_ = 0;
    QString failure_;
    QEventLoop loop_;
};
// The caller drops the temporary file; a file of the same name is left as it was.
void LogNotStored(const QString &url, const QSaveFile &file)
{
    // Qt reports a failed flush as "Unknown error"; the system still tells why.
    const QString reason = errno != 0 ? qt_error_string(errno) : file.errorString();
    Log::Problem(QStringLiteral("Download %1 failed: cannot write %2: %3")
                     .arg(url, file.fileName(), reason));
}
} // namespace

bool DownloadFile(const QString &url, const QString &localPath, Payload payload)
{
    const QUrl address(url);
    if (!UpdateServer::IsPermittedUrl(address)) {
        Log::Line(QStringLiteral("Download refused: %1").arg(url));
        return false;
    }
    QSaveFile file(localPath);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly)) {
        LogNotStored(url, file);
        return false;
    }

    // A manager of its own: no cache, no cookies, nothing kept between downloads.
    QNetworkAccessManager manager;
    QNetworkReply *reply = manager.get(FreshRequest(address));
    if (!Transfer(*reply, file, SizeLimit(payload)).Run()) {
        file.cancelWriting();
        return false;
    }
    // The last bytes reach the disk only here: a full disk may first show now.
    // A flush that fails part-way would not keep commit from keeping the part.
    errno = 0;
    if (!file.flush() || !file.commit()) {
        LogNotStored(url, file);
        file.cancelWriting();
        return false;
    }
    return true;
}

bool DownloadFresh(const QString &url, const QString &localPath, Payload payload)
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
