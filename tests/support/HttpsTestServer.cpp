#include "support/HttpsTestServer.h"

#include <QFile>
#include <QFileInfo>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>

namespace {
// What a stalled or short answer announces beyond the body it sends.
constexpr int UnsentBytes = 1000;

QByteArray DataFile(const QString &name)
{
    QFile file(QFileInfo(QStringLiteral(__FILE__)).absolutePath() + QStringLiteral("/../data/")
               + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The body in two chunks, the first size line announcing the whole body: a reader that
// believes it takes the second chunk's framing into the body.
QByteArray MisChunked(const QByteArray &body)
{
    const QByteArray first = body.left(body.size() / 2);
    const QByteArray second = body.mid(first.size());
    return QByteArray::number(body.size(), 16) + "\r\n" + first + "\r\n"
           + QByteArray::number(second.size(), 16) + "\r\n" + second + "\r\n0\r\n\r\n";
}

QByteArray Head(const QByteArray &status, const QByteArray &fields)
{
    return "HTTP/1.1 " + status + "\r\n" + fields + "Connection: close\r\n\r\n";
}

QByteArray LengthField(qint64 length)
{
    return "Content-Length: " + QByteArray::number(length) + "\r\n";
}
} // namespace

HttpsTestServer::HttpsTestServer(Security security) : server_(std::make_unique<QSslServer>())
{
    const QString prefix = security == Security::Trusted ? QString() : QStringLiteral("untrusted-");
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificate(QSslCertificate(DataFile(prefix + QStringLiteral("server.pem"))));
    tls.setPrivateKey(QSslKey(DataFile(prefix + QStringLiteral("server-key.pem")), QSsl::Rsa));
    server_->setSslConfiguration(tls);
    connect(server_.get(), &QTcpServer::pendingConnectionAvailable, this, [this] {
        while (QTcpSocket *socket = server_->nextPendingConnection()) {
            socket->setParent(this);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { Respond(socket); });
        }
    });
}

HttpsTestServer::~HttpsTestServer() = default;

bool HttpsTestServer::Listen()
{
    return server_->listen(QHostAddress::LocalHost, 0);
}

QString HttpsTestServer::BaseUrl() const
{
    return QStringLiteral("https://127.0.0.1:%1").arg(server_->serverPort());
}

void HttpsTestServer::Serve(const QString &path, const QByteArray &body, Delivery delivery)
{
    const bool cut = delivery == Delivery::Stall || delivery == Delivery::Short;
    const QByteArray length = delivery == Delivery::MisChunked
                                  ? QByteArray("Transfer-Encoding: chunked\r\n")
                                  : LengthField(body.size() + (cut ? UnsentBytes : 0));
    answers_.insert(path, {Head("200 OK", length), body, delivery});
}

void HttpsTestServer::Redirect(const QString &path, const QString &target)
{
    answers_.insert(path, {Head("302 Found", "Location: " + target.toLatin1() + "\r\n"
                                                 + LengthField(0)),
                           QByteArray(), Delivery::Whole});
}

QSslCertificate HttpsTestServer::Authority(bool trusted)
{
    return QSslCertificate(DataFile(trusted ? QStringLiteral("test-ca.pem")
                                            : QStringLiteral("untrusted-ca.pem")));
}

void HttpsTestServer::Respond(QTcpSocket *socket)
{
    // The whole request head arrives before the answer goes out; the requests carry no body.
    if (!socket->peek(socket->bytesAvailable()).contains("\r\n\r\n"))
        return;
    const QString path = QString::fromLatin1(socket->readAll().split(' ').value(1));
    requests.append(path);
    emit Requested(path);
    const Answer answer = answers_.value(path, {Head("404 Not Found", LengthField(0)), {}, {}});
    const bool mischunked = answer.Way == Delivery::MisChunked;
    socket->write(answer.Head + (mischunked ? MisChunked(answer.Body) : answer.Body));
    if (answer.Way != Delivery::Stall)
        socket->disconnectFromHost();
}
