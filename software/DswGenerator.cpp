#include "software/DswGenerator.h"

#include "app/Windows1252.h"
#include "software/DswGeneratorMark.h"

#include <algorithm>

namespace DswGenerator {
namespace {
constexpr int FixedMaxStart = 9999999;
constexpr int FixedMaxLength = 999999;

bool HoldsTokenSeparator(const QString &text)
{
    for (const QChar c : text) {
        if (c == QLatin1Char('.') || c == QLatin1Char(':') || c == QLatin1Char(';')
            || c == QLatin1Char('\t'))
            return true;
    }
    return false;
}

QString CheckEntry(Layout layout, const Entry &entry)
{
    if (entry.Id < 0 || entry.Id > 255)
        return QStringLiteral("ID %1 does not fit the image's ID byte").arg(entry.Id);
    if (entry.Type < 0 || entry.Type > 9)
        return QStringLiteral("TYPE must be one digit");
    if (entry.PayloadLength < 0)
        return QStringLiteral("PAYLOAD_LENGTH must not be negative");
    if (layout == Layout::Token) {
        const QStringList parts = entry.Version.split(QLatin1Char('.'));
        if (parts.size() != 2 || HoldsTokenSeparator(entry.Name) || parts[0].isEmpty()
            || parts[1].isEmpty())
            return QStringLiteral("token entries need a NAME without . : ; and a MAJOR.MINOR "
                                  "VERSION");
    } else if (entry.Name.size() > 8 || entry.Version.size() != 3) {
        return QStringLiteral("fixed entries need a NAME of at most 8 characters and a VERSION "
                              "of exactly 3");
    }
    return {};
}

// A small xorshift generator: the same entry always gets the same payload, opened by as much of
// the mark as fits.
QByteArray Payload(const Entry &entry)
{
    uint32_t state = 0x9E3779B9u ^ (static_cast<uint32_t>(entry.Id) * 0x01000193u)
                     ^ static_cast<uint32_t>(entry.PayloadLength);
    QByteArray bytes(entry.PayloadLength, Qt::Uninitialized);
    for (char &byte : bytes) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        byte = static_cast<char>(state >> 24);
    }
    return bytes.replace(0, std::min(Mark.size(), bytes.size()), Mark.left(bytes.size()));
}

int ImageLength(const Entry &entry)
{
    return 2 + entry.PayloadLength;
}

QByteArray TokenIndex(const QVector<Entry> &entries, const QVector<qint64> &starts)
{
    QString index = QStringLiteral("DF;%1;").arg(entries.size());
    for (int i = 0; i < entries.size(); ++i) {
        const Entry &entry = entries[i];
        const bool last = i + 1 == entries.size();
        // MAJOR.MINOR already holds the "." that separates its two fields.
        index += QStringLiteral("%1;%2;%3;").arg(entry.Id).arg(starts[i]).arg(ImageLength(entry))
                 + entry.Name + QLatin1Char(';') + entry.Version + QLatin1Char(';')
                 + QString::number(entry.Type) + (last ? QLatin1Char('.') : QLatin1Char(';'));
    }
    return Windows1252::Encode(index);
}

QByteArray FixedIndex(const QVector<Entry> &entries, const QVector<qint64> &starts)
{
    QString index = QStringLiteral(";");
    for (int i = 0; i < entries.size(); ++i) {
        const Entry &entry = entries[i];
        const bool last = i + 1 == entries.size();
        index += QStringLiteral("%1%2%3")
                     .arg(entry.Id, 3, 10, QLatin1Char('0'))
                     .arg(starts[i], 7, 10, QLatin1Char('0'))
                     .arg(ImageLength(entry), 6, 10, QLatin1Char('0'))
                 + entry.Name.leftJustified(8) + entry.Version + QString::number(entry.Type)
                 + (last ? QLatin1Char(':') : QLatin1Char(';'));
    }
    return Windows1252::Encode(index);
}

QByteArray Index(Layout layout, const QVector<Entry> &entries, const QVector<qint64> &starts)
{
    return layout == Layout::Token ? TokenIndex(entries, starts) : FixedIndex(entries, starts);
}

// The images follow the index, whose length depends on the positions it names; grow the
// positions until the index stops growing.
QVector<qint64> ImageStarts(Layout layout, const QVector<Entry> &entries)
{
    QVector<qint64> starts(entries.size(), 0);
    qint64 indexLength = -1;
    while (true) {
        const qint64 length = Index(layout, entries, starts).size();
        if (length == indexLength)
            return starts;
        indexLength = length;
        qint64 position = indexLength + 1;
        for (int i = 0; i < entries.size(); ++i) {
            starts[i] = position;
            position += ImageLength(entries[i]);
        }
    }
}
} // namespace

std::optional<Entry> ParseEntry(const QString &text, QString &error)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    Entry entry;
    bool idOk = false, typeOk = false, lengthOk = false;
    if (parts.size() == 5) {
        entry.Id = parts[0].toInt(&idOk);
        entry.Name = parts[1];
        entry.Version = parts[2];
        entry.Type = parts[3].toInt(&typeOk);
        entry.PayloadLength = parts[4].toInt(&lengthOk);
    }
    if (!idOk || !typeOk || !lengthOk) {
        error = QStringLiteral("'%1' is not ID:NAME:VERSION:TYPE:PAYLOAD_LENGTH").arg(text);
        return std::nullopt;
    }
    return entry;
}

std::optional<QByteArray> Build(Layout layout, const QVector<Entry> &entries, uint8_t leadByte,
                                QString &error)
{
    if (entries.isEmpty()) {
        error = QStringLiteral("a decoder software file needs at least one entry");
        return std::nullopt;
    }
    for (const Entry &entry : entries) {
        error = CheckEntry(layout, entry);
        if (!error.isEmpty())
            return std::nullopt;
    }
    const QVector<qint64> starts = ImageStarts(layout, entries);
    if (layout == Layout::Fixed) {
        for (int i = 0; i < entries.size(); ++i) {
            if (starts[i] > FixedMaxStart || ImageLength(entries[i]) > FixedMaxLength) {
                error = QStringLiteral("the fixed layout holds START up to %1 and LENGTH up to %2")
                            .arg(FixedMaxStart)
                            .arg(FixedMaxLength);
                return std::nullopt;
            }
        }
    }
    QByteArray file = Index(layout, entries, starts);
    for (const Entry &entry : entries) {
        file.append(static_cast<char>(leadByte));
        file.append(static_cast<char>(entry.Id));
        file.append(Payload(entry));
    }
    return file;
}

} // namespace DswGenerator
