#pragma once
// A small HTTPS server on 127.0.0.1 for the download tests. It presents a certificate signed
// by the test authority in tests/data (or, on request, one the test does not trust) and
// answers GET requests from a table of paths.

#include <QByteArray>
#include <QHash>
#include <QSslCertificate>
#include <QSslServer>
#include <QStringList>

class HttpsTestServer : public QObject {
    Q_OBJECT
public:
    enum class Identity { Trusted, Untrusted };

    explicit HttpsTestServer(Identity identity = Identity::Trusted);

    // Starts listening on a free port of 127.0.0.1.
    bool Listen();
    // "https://127.0.0.1:PORT"
    QString BaseUrl() const;

    // Answers path with 200 and body.
    void Serve(const QString &path, const QByteArray &body);
    // Answers path with its headers and the first bytes of a longer body, then falls silent.
    void Stall(const QString &path, const QByteArray &firstBytes);

    // The paths requested so far, in order.
    QStringList Requests() const;

    // The authority that signed the server certificate of identity.
    static QSslCertificate Authority(Identity identity = Identity::Trusted);

private:
    struct Answer {
        QByteArray body;
        bool stall = false;
    };

    void Accept();
    void Respond(QSslSocket *socket);

    QSslServer server_;
    QHash<QString, Answer> answers_;
    QStringList requests_;
};
