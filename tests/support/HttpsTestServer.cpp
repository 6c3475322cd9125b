#include "support/HttpsTestServer.h"

#include <QFile>
#include <QFileInfo>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslSocket>

namespace {
QByteArray DataFile(const char *name)
{
    const QString folder = QFileInfo(QStringLiteral(__FILE__)).absolutePath()
                           + QStringLiteral("/../data/");
    QFile file(folder + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

HttpsTestServer::HttpsTestServer(Identity identity)
{
    const bool trusted = identity == Identity::Trusted;
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificate(
        QSslCertificate(DataFile(trusted ? "server.pem" : "untrusted-server.pem")));
    tls.setPrivateKey(QSslKey(DataFile(trusted ? "server-key.pem" : "untrusted-server-key.pem"),
                              QSsl::Rsa));
    server_.setSslConfiguration(tls);
    connect(&server_, &QTcpServer::pendingConnectionAvailable, this, &HttpsTestServer::Accept);
}

bool HttpsTestServer::Listen()
{
    return server_.listen(QHostAddress::LocalHost, 0);
}

QString HttpsTestServer::BaseUrl() const
{
    return QStringLiteral("https://127.0.0.1:%1").arg(server_.serverPort());
}

void HttpsTestServer::Serve(const QString &path, const QByteArray &body)
{
    answers_.insert(path, {body, false});
}

void HttpsTestServer::Stall(const QString &path, const QByteArray &firstBytes)
{
    answers_.insert(path, {firstBytes, true});
}

QStringList HttpsTestServer::Requests() const
{
    return requests_;
}

QSslCertificate HttpsTestServer::Authority(Identity identity)
{
    return QSslCertificate(
        DataFile(identity == Identity::Trusted ? "test-ca.pem" : "untrusted-ca.pem"));
}

void HttpsTestServer::Accept()
{
    while (auto *socket = qobject_cast<QSslSocket *>(server_.nextPendingConnection())) {
        socket->setParent(this);
        connect(socket, &QSslSocket::readyRead, this, [this, socket] { Respond(socket); });
    }
}

void HttpsTestServer::Respond(QSslSocket *socket)
{
    // The whole request head arrives before the answer goes out; the requests carry no body.
    const QByteArray pending = socket->peek(socket->bytesAvailable());
    if (!pending.contains("\r\n\r\n"))
        return;
    const QByteArray head = socket->readAll();
    const QString path = QString::fromLatin1(head.split(' ').value(1));
    requests_.append(path);

    const auto answer = answers_.constFind(path);
    if (answer == answers_.constEnd()) {
        socket->write("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        socket->disconnectFromHost();
        return;
    }
    // A stalled answer announces more than it sends and then keeps the connection open.
    const qint64 announced = answer->body.size() + (answer->stall ? 1000 : 0);
    socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Length: "
                  + QByteArray::number(announced) + "\r\nConnection: close\r\n\r\n");
    socket->write(answer->body);
    if (!answer->stall)
        socket->disconnectFromHost();
}
