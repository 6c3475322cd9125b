#include "online/HttpExchange.h"

#include "online/HttpHead.h"

#include <QEventLoop>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTimer>
#include <optional>

namespace HttpExchange {
namespace {
constexpr quint16 HttpsPort = 443;
constexpr quint16 HttpPort = 80;
// A reply's head is a few hundred bytes; a longer one comes from no web server.
constexpr qsizetype MaxHeadBytes = 16 * 1024;
// How often a waiting exchange asks whether it should stop.
constexpr int StopCheckIntervalMs = 100;

bool IsRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

QByteArray Request(const QUrl &url)
{
    QByteArray host = url.host(QUrl::FullyEncoded).toLatin1();
    if (host.contains(':'))
        host = '[' + host + ']';
    if (url.port() != -1)
        host += ':' + QByteArray::number(url.port());
    QByteArray target = url.path(QUrl::FullyEncoded).toLatin1();
    if (target.isEmpty())
        target = "/";
    if (url.hasQuery())
        target += '?' + url.query(QUrl::FullyEncoded).toLatin1();
    // Identity encoding: the announced length is then the length of the bytes stored.
    return "GET " + target + " HTTP/1.1\r\nHost: " + host
           + "\r\nUser-Agent: Tobrik\r\nAccept: */*\r\nAccept-Encoding: identity\r\n"
             "Cache-Control: no-cache\r\nConnection: close\r\n\r\n";
}

class Exchange {
public:
    Exchange(const QUrl &url, const Limits &limits, const StopCheck &stopCheck)
        : url_(url), limits_(limits), stopCheck_(stopCheck)
    {
    }

    Outcome Run(const QList<QSslCertificate> &extraAuthorities)
    {
        Watch();
        if (const QString reason = stopCheck_(); !reason.isEmpty())
            return Outcome{reason, {}, {}};
        Connect(extraAuthorities);
        if (!ended_)
            loop_.exec();
        // A close-down that began meanwhile fails even an exchange that is over; and as it quits
        // every event loop, the wait may end with the exchange still running.
        if (const QString reason = stopCheck_(); !reason.isEmpty()) {
            Finish();
            return Outcome{reason, {}, {}};
        }
        if (!ended_)
            Fail(QStringLiteral("interrupted"));
        return outcome_;
    }

private:
    void Watch()
    {
        QObject::connect(&socket_, &QSslSocket::readyRead, &socket_, [this] { Receive(); });
        QObject::connect(&socket_, &QSslSocket::disconnected, &socket_,
                         [this] { ConnectionEnded(); });
        QObject::connect(&socket_, &QSslSocket::errorOccurred, &socket_,
                         [this](QAbstractSocket::SocketError error) {
                             if (error == QAbstractSocket::RemoteHostClosedError)
                                 ConnectionEnded();
                             else
                                 Fail(socket_.errorString());
                         });
        // A server that keeps the connection open after the whole body has sent all it will.
        StartTimer(stall_, limits_.StallTimeoutMs, [this] {
            if (BodyWhole())
                Finish();
            else
                Fail(QStringLiteral("nothing received for %1 ms").arg(limits_.StallTimeoutMs));
        });
        StartTimer(deadline_, limits_.DeadlineMs, [this] { Fail(QStringLiteral("took too long")); });
        stopPoll_.setInterval(StopCheckIntervalMs);
        QObject::connect(&stopPoll_, &QTimer::timeout, &socket_, [this] {
            if (const QString reason = stopCheck_(); !reason.isEmpty())
                Fail(reason);
        });
        stopPoll_.start();
    }

    template <typename Action> void StartTimer(QTimer &timer, int intervalMs, Action action)
    {
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, &socket_, action);
        timer.start(intervalMs);
    }

    void Connect(const QList<QSslCertificate> &extraAuthorities)
    {
        const auto send = [this] { socket_.write(Request(url_)); };
        if (url_.scheme() == QLatin1String("https")) {
            QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
            tls.addCaCertificates(extraAuthorities);
            tls.setPeerVerifyMode(QSslSocket::VerifyPeer);
            socket_.setSslConfiguration(tls);
            QObject::connect(&socket_, &QSslSocket::encrypted, &socket_, send);
            socket_.connectToHostEncrypted(url_.host(), url_.port(HttpsPort));
        } else {
            QObject::connect(&socket_, &QSslSocket::connected, &socket_, send);
            socket_.connectToHost(url_.host(), url_.port(HttpPort));
        }
    }

    void Receive()
    {
        if (ended_)
            return;
        stall_.start();
        QByteArray data = socket_.readAll();
        if (!head_) {
            headText_ += data;
            const qsizetype end = headText_.indexOf("\r\n\r\n");
            if (end < 0) {
                if (headText_.size() > MaxHeadBytes)
                    Fail(QStringLiteral("a reply head of more than %1 bytes").arg(MaxHeadBytes));
                return;
            }
            data = headText_.mid(end + 4);
            if (!AcceptHead(headText_.left(end)))
                return;
        }
        TakeBody(data);
    }

    // False when the exchange ends with the head.
    bool AcceptHead(const QByteArray &text)
    {
        HttpHead head;
        if (const QString problem = ParseHttpHead(text, head); !problem.isEmpty()) {
            Fail(problem);
            return false;
        }
        if (IsRedirect(head.Status) && !head.Location.isEmpty()) {
            outcome_.Redirect = url_.resolved(QUrl::fromEncoded(head.Location));
            Finish();
            return false;
        }
        if (head.Status < 200 || head.Status > 299) {
            Fail(QStringLiteral("HTTP status %1").arg(head.Status));
            return false;
        }
        // Only a plain length tells where the body ends; chunk sizes are not trusted to.
        if (head.TransferEncoded) {
            Fail(QStringLiteral("transfer-encoded (chunked) instead of a plain length"));
            return false;
        }
        if (!head.Length) {
            Fail(QStringLiteral("no length announced"));
            return false;
        }
        if (*head.Length > limits_.MaxBodyBytes) {
            Fail(QStringLiteral("%1 bytes announced").arg(*head.Length));
            return false;
        }
        head_ = head;
        return true;
    }

    void TakeBody(const QByteArray &data)
    {
        if (data.isEmpty())
            return;
        const qint64 announced = *head_->Length;
        if (outcome_.Body.size() + data.size() > announced) {
            Fail(QStringLiteral("more than the %1 bytes announced").arg(announced));
            return;
        }
        outcome_.Body += data;
    }

    // The announced body has arrived whole: from here only the end of the connection is awaited,
    // and one byte more fails.
    bool BodyWhole() const { return head_ && outcome_.Body.size() == *head_->Length; }

    void ConnectionEnded()
    {
        if (ended_)
            return;
        if (socket_.bytesAvailable() > 0)
            Receive();
        if (ended_)
            return;
        if (!head_)
            Fail(QStringLiteral("connection closed before a reply"));
        else if (!BodyWhole())
            Fail(QStringLiteral("%1 of %2 bytes").arg(outcome_.Body.size()).arg(*head_->Length));
        else
            Finish();
    }

    // The first reason counts.
    void Fail(const QString &reason)
    {
        if (ended_)
            return;
        outcome_.Failure = reason;
        outcome_.Redirect.clear();
        outcome_.Body.clear();
        Finish();
    }

    void Finish()
    {
        ended_ = true;
        stall_.stop();
        deadline_.stop();
        stopPoll_.stop();
        socket_.abort();
        loop_.quit();
    }

    const QUrl url_;
    const Limits limits_;
    const StopCheck &stopCheck_;
    QEventLoop loop_;
    QSslSocket socket_;
    QTimer stall_;
    QTimer deadline_;
    QTimer stopPoll_;
    QByteArray headText_;
    std::optional<HttpHead> head_;
    Outcome outcome_;
    bool ended_ = false;
};
} // namespace

Outcome Get(const QUrl &url, const QList<QSslCertificate> &extraAuthorities,
            const Limits &limits, const StopCheck &stopCheck)
{
    return Exchange(url, limits, stopCheck).Run(extraAuthorities);
}

} // namespace HttpExchange
