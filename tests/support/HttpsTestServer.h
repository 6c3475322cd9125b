#pragma once
// A small HTTPS server on 127.0.0.1 for the download tests. It presents a certificate signed by
// the test authority in tests/data (or, on request, one the test does not trust) and answers
// GET requests from a table of paths; other paths get 404.

#include <QByteArray>
#include <QHash>
#include <QSslCertificate>
#include <QStringList>
#include <memory>

class QSslServer;
class QTcpSocket;

class HttpsTestServer : public QObject {
    Q_OBJECT
public:
    enum class Security { Trusted, Untrusted };

    // How an answer's body reaches the client.
    enum class Delivery {
        Whole,      // announced with its length, sent, then the connection closes
        Stall,      // more is announced; the body is sent, then the server falls silent
        Short,      // more is announced; the body is sent, then the connection closes
        MisChunked, // chunked in two halves, the first chunk's size that of the whole body;
                    // then it closes
    };

    explicit HttpsTestServer(Security security = Security::Trusted);
    ~HttpsTestServer() override;

    // Listens on a free port of 127.0.0.1; the base URL is "https://127.0.0.1:PORT".
    bool Listen();
    QString BaseUrl() const;

    // Answers path with 200 and body.
    void Serve(const QString &path, const QByteArray &body, Delivery delivery = Delivery::Whole);
    // Answers path with 302 and the Location target.
    void Redirect(const QString &path, const QString &target);

    // The authority that signed the trusted or the untrusted server certificate.
    static QSslCertificate Authority(bool trusted = true);

    // The paths requested so far, in order.
    QStringList requests;

signals:
    void Requested(const QString &path);

private:
    struct Answer {
        QByteArray Head;
        QByteArray Body;
        Delivery Way = Delivery::Whole;
    };
    void Respond(QTcpSocket *socket);

    std::unique_ptr<QSslServer> server_;
    QHash<QString, Answer> answers_;
};
