#include "support/HttpsTestServer.h"

#include <QFile>
#include <QFileInfo>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QTcpSocket>
#include <QTimer>

namespace {
// What a stalled, trickled or short answer announces beyond the body it sends.
constexpr int UnsentBytes = 1000;
// An endless body is sent in pieces of about this size, each when the previous one has gone.
constexpr qint64 EndlessPieceBytes = 64 * 1024;

QByteArray DataFile(const QString &name)
{
    QFile file(QFileInfo(QStringLiteral(__FILE__)).absolutePath() + QStringLiteral("/../data/")
               + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::unique_ptr<QTcpServer> MakeServer(HttpsTestServer::Security security)
{
    if (security == HttpsTestServer::Security::PlainHttp)
        return std::make_unique<QTcpServer>();
    const QString prefix =
        security == HttpsTestServer::Security::Trusted ? QString() : QStringLiteral("untrusted-");
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificate(QSslCertificate(DataFile(prefix + QStringLiteral("server.pem"))));
    tls.setPrivateKey(QSslKey(DataFile(prefix + QStringLiteral("server-key.pem")), QSsl::Rsa));
    auto server = std::make_unique<QSslServer>();
    server->setSslConfiguration(tls);
    return server;
}

QByteArray Head(const QByteArray &status, const QByteArray &fields)
{
    return "HTTP/1.1 " + status + "\r\n" + fields + "Connection: close\r\n\r\n";
}
} // namespace

HttpsTestServer::HttpsTestServer(Security security)
    : security_(security), server_(MakeServer(security))
{
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
    const QString scheme = security_ == Security::PlainHttp ? QStringLiteral("http")
                                                            : QStringLiteral("https");
    return QStringLiteral("%1://127.0.0.1:%2").arg(scheme).arg(server_->serverPort());
}

void HttpsTestServer::Serve(const QString &path, const QByteArray &body, Delivery delivery)
{
    const qint64 announced = body.size() + (delivery == Delivery::Whole ? 0 : UnsentBytes);
    const QByteArray length = delivery == Delivery::Endless
                                  ? QByteArray()
                                  : "Content-Length: " + QByteArray::number(announced) + "\r\n";
    answers_.insert(path, {Head("200 OK", "Content-Type: application/octet-stream\r\n" + length),
                           body, delivery});
}

void HttpsTestServer::Redirect(const QString &path, const QString &target)
{
    answers_.insert(path, {Head("302 Found", "Location: " + target.toLatin1()
                                                 + "\r\nContent-Length: 0\r\n"),
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
    const auto answer = answers_.constFind(path);
    if (answer == answers_.constEnd())
        Deliver(socket, {Head("404 Not Found", "Content-Length: 0\r\n"), QByteArray(),
                         Delivery::Whole});
    else
        Deliver(socket, *answer);
}

void HttpsTestServer::Deliver(QTcpSocket *socket, const Answer &answer)
{
    socket->write(answer.Head);
    switch (answer.Way) {
    case Delivery::Whole:
    case Delivery::Short:
        socket->write(answer.Body);
        socket->disconnectFromHost();
        break;
    case Delivery::Stall:
        socket->write(answer.Body);
        break;
    case Delivery::Trickle:
        socket->write(answer.Body);
        Trickle(socket);
        break;
    case Delivery::Endless:
        SendEndlessly(socket, answer.Body);
        break;
    }
}

void HttpsTestServer::Trickle(QTcpSocket *socket)
{
    auto *tick = new QTimer(socket);
    connect(tick, &QTimer::timeout, socket, [socket] { socket->write("x"); });
    tick->start(TrickleTickMs);
}

void HttpsTestServer::SendEndlessly(QTcpSocket *socket, const QByteArray &body)
{
    QByteArray piece = body.isEmpty() ? QByteArray("x") : body;
    while (piece.size() < EndlessPieceBytes)
        piece += piece;
    auto sent = std::make_shared<qint64>(0);
    const auto topUp = [socket, piece, sent] {
        if (socket->bytesToWrite() > 0 || socket->state() != QAbstractSocket::ConnectedState)
            return;
        if (*sent >= EndlessCapBytes) {
            socket->disconnectFromHost();
            return;
        }
        *sent += socket->write(piece);
    };
    connect(socket, &QTcpSocket::bytesWritten, socket, topUp);
    topUp();
}
