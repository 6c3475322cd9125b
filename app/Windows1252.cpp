#include "app/Windows1252.h"

#include <array>

namespace Windows1252 {
namespace {
// 0x80..0x9F; the five unassigned codes map to the same C1 control, as Windows does.
constexpr std::array<char16_t, 32> HighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t ToUnicode(unsigned char byte)
{
    return (byte >= 0x80 && byte <= 0x9F) ? HighControls[byte - 0x80] : char16_t(byte);
}
} // namespace

QString Decode(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char byte : bytes)
        *out++ = QChar(ToUnicode(static_cast<unsigned char>(byte)));
    return text;
}

QByteArray Encode(const QString &text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const QChar c : text) {
        const char16_t code = c.unicode();
        char byte = '?';
        if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) {
            byte = static_cast<char>(code);
        } else {
            for (size_t i = 0; i < HighControls.size(); ++i) {
                if (HighControls[i] == code)
                    byte = static_cast<char>(0x80 + i);
            }
        }
        bytes.append(byte);
    }
    return bytes;
}

} // namespace Windows1252
