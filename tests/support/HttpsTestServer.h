#pragma once
// A small HTTPS server on 127.0.0.1 for the download tests. It presents a certificate signed
// by the test authority in tests/data (or, on request, one the test does not trust) and
// answers GET requests from a table of paths; other paths get 404.

#include <QByteArray>
#include <QHash>
#include <QSslCertificate>
#include <QSslServer>
#include <QStringList>

class HttpsTestServer : public QObject {
    Q_OBJECT
public:
    explicit HttpsTestServer(bool trusted = true);

    // Listens on a free port of 127.0.0.1; the base URL is "https://127.0.0.1:PORT".
    bool Listen();
    QString BaseUrl() const;

    // Answers path with 200 and body; a stalled answer announces more than body, sends body
    // and then falls silent.
    void Serve(const QString &path, const QByteArray &body, bool stall = false);

    // The authority that signed the trusted or the untrusted server certificate.
    static QSslCertificate Authority(bool trusted = true);

    // The paths requested so far, in order.
    QStringList requests;

private:
    void Respond(QSslSocket *socket);

    QSslServer server_;
    QHash<QString, QPair<QByteArray, bool>> answers_;
};
