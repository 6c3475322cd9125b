#include "online/mod_URLDownload.h"

#include "app/Log.h"
#include "online/UpdateServer.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QSslConfiguration>

namespace mod_URLDownload {
namespace {
int &StallTimeout()
{
    static int milliseconds = 30000;
    return milliseconds;
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
    request.setTransferTimeout(StallTimeout());
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.addCaCertificates(ExtraCaCertificates());
    request.setSslConfiguration(tls);
    return request;
}

bool Succeeded(QNetworkReply &reply)
{
    const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply.error() != QNetworkReply::NoError || status < 200 || status > 299) {
        Log::Line(QStringLiteral("Download %1 failed: %2")
                      .arg(reply.url().toDisplayString(), reply.errorString()));
        return false;
    }
    return true;
}
} // namespace

bool DownloadFile(const QString &url, const QString &localPath)
{
    const QUrl address(url);
    if (!UpdateServer::IsPermittedUrl(address)) {
        Log::Line(QStringLiteral("Download refused: %1").arg(url));
        return false;
    }
    QSaveFile file(localPath);
    if (!file.open(QIODevice::WriteOnly))
        return false;

    // A manager of its own: no cache, no cookies, nothing kept between downloads.
    QNetworkAccessManager manager;
    QNetworkReply *reply = manager.get(FreshRequest(address));
    QObject::connect(reply, &QNetworkReply::redirected, reply, [reply](const QUrl &target) {
        if (UpdateServer::IsPermittedUrl(target))
            emit reply->redirectAllowed();
        else
            reply->abort();
    });
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [reply, &file] {
        if (file.write(reply->readAll()) < 0)
            reply->abort();
    });
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (reply->isRunning())
        loop.exec();

    const bool complete = Succeeded(*reply) && file.write(reply->readAll()) >= 0;
    if (!complete) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool DownloadFresh(const QString &url, const QString &localPath)
{
    // Every request already bypasses caches, so there is no stale copy to drop first.
    return DownloadFile(url, localPath);
}

void SetStallTimeout(int milliseconds)
{
    StallTimeout() = milliseconds;
}

void SetExtraCaCertificates(const QList<QSslCertificate> &certificates)
{
    ExtraCaCertificates() = certificates;
}

} // namespace mod_URLDownload
