#include "online/HttpHead.h"

#include <QList>
#include <algorithm>

namespace {
constexpr qsizetype StatusDigits = 3;

bool IsDecimal(const QByteArray &text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(),
                                          [](char c) { return c >= '0' && c <= '9'; });
}

// Exactly three digits, the first of them the class (1 to 5 today): "20" or "0200" is no status.
bool IsStatusCode(const QByteArray &text)
{
    return text.size() == StatusDigits && IsDecimal(text) && text.front() != '0';
}

// Digits only and within 64 bits: a longer number would otherwise be read as 0.
std::optional<qint64> LengthOf(const QByteArray &value)
{
    bool fits = false;
    const qint64 length = value.toLongLong(&fits);
    if (!IsDecimal(value) || !fits)
        return std::nullopt;
    return length;
}
} // namespace

QString ParseHttpHead(const QByteArray &text, HttpHead &head)
{
    const QList<QByteArray> lines = text.split('\n');
    const QList<QByteArray> statusLine = lines.first().trimmed().split(' ');
    if (statusLine.size() < 2 || !statusLine[0].startsWith("HTTP/1.")
        || !IsStatusCode(statusLine[1]))
        return QStringLiteral("no HTTP reply");
    head.Status = statusLine[1].toInt();
    for (const QByteArray &line : lines.mid(1)) {
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            continue;
        const QByteArray name = line.left(colon).trimmed().toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (name == "location") {
            head.Location = value;
        } else if (name == "transfer-encoding") {
            head.TransferEncoded = true;
        } else if (name == "content-length") {
            const std::optional<qint64> length = LengthOf(value);
            if (!length || (head.Length && head.Length != length))
                return QStringLiteral("a Content-Length that names no single length");
            head.Length = length;
        }
    }
    return {};
}
