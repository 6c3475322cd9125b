#include "support/HttpsTestServer.h"

#include <QFile>
#include <QFileInfo>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QTcpSocket>
#include <QTimer>

namespace {
// What a stalled, trickled or short answer announces beyond the body it sends, and what a long
// one sends beyond the body it announces.
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

// The body in two chunks. Mismatched, the first size line announces the whole body: a reader
// that believes it takes the second chunk's framing into the body and the rest of it for a size
// line.
QByteArray Chunked(const QByteArray &body, bool sizesMatch)
{
    const QByteArray first = body.left(body.size() / 2);
    const QByteArray second = body.mid(first.size());
    return QByteArray::number(sizesMatch ? first.size() : body.size(), 16) + "\r\n" + first
           + "\r\n" + QByteArray::number(second.size(), 16) + "\r\n" + second + "\r\n0\r\n\r\n";
}

// The header fields that tell how long the body is.
QByteArray LengthField(const QByteArray &body, HttpsTestServer::Delivery delivery)
{
    using Delivery = HttpsTestServer::Delivery;
    switch (delivery) {
    case Delivery::Whole:
    case Delivery::Linger:
    case Delivery::Long:
        return "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    case Delivery::Stall:
    case Delivery::Trickle:
    case Delivery::Short:
        return "Content-Length: " + QByteArray::number(body.size() + UnsentBytes) + "\r\n";
    case Delivery::Endless:
        return {};
    case Delivery::MisChunked:
        return "Transfer-Encoding: chunked\r\n";
    case Delivery::ChunkedWithLength:
        return "Transfer-Encoding: chunked\r\nContent-Length: "
               + QByteArray::number(Chunked(body, true).size()) + "\r\n";
    }
    return {};
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
    answers_.insert(path, {Head("200 OK", "Content-Type: application/octet-stream\r\n"
                                              + LengthField(body, delivery)),
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
    case Delivery::Long:
        socket->write(answer.Body + QByteArray(UnsentBytes, 'x'));
        socket->disconnectFromHost();
        break;
    case Delivery::MisChunked:
    case Delivery::ChunkedWithLength:
        socket->write(Chunked(answer.Body, answer.Way == Delivery::ChunkedWithLength));
        socket->disconnectFromHost();
        break;
    case Delivery::Stall:
    case Delivery::Linger:
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
