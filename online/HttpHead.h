#pragma once
// The head of an HTTP/1.1 reply (status line and fields, without the blank line that ends it),
// read only for what the exchange decides on. The bytes come from a remote server.

#include <QByteArray>
#include <QString>
#include <optional>

struct HttpHead {
    int Status = 0;
    QByteArray Location;
    std::optional<qint64> Length; // the Content-Length, when one was announced
    bool TransferEncoded = false; // chunked or otherwise not measured by Content-Length
};

// Reads text into head; returns why text is no usable head, or nothing.
QString ParseHttpHead(const QByteArray &text, HttpHead &head);
