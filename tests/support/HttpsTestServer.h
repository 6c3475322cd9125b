#pragma once
// A small web server on 127.0.0.1 for the download tests. Over HTTPS it presents a certificate
// signed by the test authority in tests/data (or, on request, one the test does not trust);
// it can also speak plain http. It answers GET requests from a table of paths; other paths
// get 404.

#include <QByteArray>
#include <QHash>
#include <QSslCertificate>
#include <QStringList>
#include <memory>

class QTcpServer;
class QTcpSocket;

class HttpsTestServer : public QObject {
    Q_OBJECT
public:
    enum class Security { Trusted, Untrusted, PlainHttp };

    // How an answer's body reaches the client.
    enum class Delivery {
        Whole,   // announced with its length, sent, then the connection closes
        Stall,   // more is announced; the body is sent, then the server falls silent
        Trickle, // more is announced; the body is sent, then one more byte every TrickleTickMs
        Short,   // more is announced; the body is sent, then the connection closes
        Endless, // no length announced; the body again and again, up to EndlessCapBytes
        Linger,  // announced with its length, sent, then the server falls silent
        Long,    // announced with its length, sent with more bytes after it, then the connection
                 // closes
        MisChunked, // chunked in two halves, the first chunk's size that of the whole body, so
                    // that the framing of the second chunk lands inside the first; then it closes
        ChunkedWithLength, // chunked in two halves, the chunked bytes' length announced as well;
                           // then it closes
    };
    static constexpr int TrickleTickMs = 50;
    // An endless body stops here, so that a client without a size limit still ends.
    static constexpr qint64 EndlessCapBytes = 4 * 1024 * 1024;

    explicit HttpsTestServer(Security security = Security::Trusted);
    ~HttpsTestServer() override;

    // Listens on a free port of 127.0.0.1; the base URL is "https://127.0.0.1:PORT" (or http).
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
    void Deliver(QTcpSocket *socket, const Answer &answer);
    void SendEndlessly(QTcpSocket *socket, const QByteArray &body);
    void Trickle(QTcpSocket *socket);

    Security security_;
    std::unique_ptr<QTcpServer> server_;
    QHash<QString, Answer> answers_;
};
