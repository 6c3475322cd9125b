#include "support/HttpsTestServer.h"

#include <QFile>
#include <QFileInfo>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslSocket>

namespace {
QByteArray DataFile(const QString &name)
{
    QFile file(QFileInfo(QStringLiteral(__FILE__)).absolutePath() + QStringLiteral("/../data/")
               + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

HttpsTestServer::HttpsTestServer(bool trusted)
{
    const QString prefix = trusted ? QString() : QStringLiteral("untrusted-");
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificate(QSslCertificate(DataFile(prefix + QStringLiteral("server.pem"))));
    tls.setPrivateKey(QSslKey(DataFile(prefix + QStringLiteral("server-key.pem")), QSsl::Rsa));
    server_.setSslConfiguration(tls);
    connect(&server_, &QTcpServer::pendingConnectionAvailable, this, [this] {
        while (auto *socket = qobject_cast<QSslSocket *>(server_.nextPendingConnection())) {
            socket->setParent(this);
            connect(socket, &QSslSocket::readyRead, this, [this, socket] { Respond(socket); });
        }
    });
}

bool HttpsTestServer::Listen()
{
    return server_.listen(QHostAddress::LocalHost, 0);
}

QString HttpsTestServer::BaseUrl() const
{
    return QStringLiteral("https://127.0.0.1:%1").arg(server_.serverPort());
}

void HttpsTestServer::Serve(const QString &path, const QByteArray &body, bool stall)
{
    answers_.insert(path, {body, stall});
}

QSslCertificate HttpsTestServer::Authority(bool trusted)
{
    return QSslCertificate(DataFile(trusted ? QStringLiteral("test-ca.pem")
                                            : QStringLiteral("untrusted-ca.pem")));
}

void HttpsTestServer::Respond(QSslSocket *socket)
{
    // The whole request head arrives before the answer goes out; the requests carry no body.
    if (!socket->peek(socket->bytesAvailable()).contains("\r\n\r\n"))
        return;
    const QString path = QString::fromLatin1(socket->readAll().split(' ').value(1));
    requests.append(path);
    const auto answer = answers_.constFind(path);
    if (answer == answers_.constEnd()) {
        socket->write("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        socket->disconnectFromHost();
        return;
    }
    const auto &[body, stall] = *answer;
    socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Length: "
                  + QByteArray::number(body.size() + (stall ? 1000 : 0))
                  + "\r\nConnection: close\r\n\r\n" + body);
    if (!stall)
        socket->disconnectFromHost();
}
