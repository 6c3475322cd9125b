#pragma once
// One HTTP/1.1 GET on a connection of its own, waited for in a local event loop, whose body is
// trusted only when it is exactly as long as its Content-Length says.
//
// Qt's own HTTP reader cannot tell that: it takes a chunk-size line it cannot parse for the last
// chunk, so a reply whose chunk sizes do not match its data ends without error with the framing
// inside the body; and it stops at the announced length without looking further, so a longer
// reply ends without error too, cut short. Here the body must be announced by its length (no
// chunked or unmeasured replies), and the server must close the connection exactly there.

#include <QByteArray>
#include <QList>
#include <QSslCertificate>
#include <QString>
#include <QUrl>
#include <functional>

namespace HttpExchange {

struct Limits {
    int StallTimeoutMs = 0;  // nothing received for this long ends the exchange
    int DeadlineMs = 0;      // the whole exchange may take no longer
    qint64 MaxBodyBytes = 0; // a longer announced body is refused before it is read
};

// Polled while the exchange waits; a reason it returns ends the exchange.
using StopCheck = std::function<QString()>;

struct Outcome {
    QString Failure; // empty: the whole body arrived, or a redirect came
    QUrl Redirect;   // the target of a redirect, resolved against the request's address
    QByteArray Body; // at most Limits::MaxBodyBytes
};

// Fetches url (https, or http). https is verified against the system's authorities and
// extraAuthorities.
Outcome Get(const QUrl &url, const QList<QSslCertificate> &extraAuthorities,
            const Limits &limits, const StopCheck &stopCheck);

} // namespace HttpExchange
