#include "app/mod_ini.h"

#include <QFile>
#include <QSaveFile>
#include <QStringList>
#include <optional>

namespace mod_ini {
namespace {

// Lines in the system's 8-bit encoding, as the ANSI profile calls read them.
QStringList ReadLines(const QString &filePath)
{
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QString text = QString::fromLocal8Bit(file.readAll());
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast(); // the final line end does not start another line
    return lines;
}

std::optional<QString> SectionName(const QString &line)
{
    const QString trimmed = line.trimmed();
    if (!trimmed.startsWith(QLatin1Char('[')))
        return std::nullopt;
    const int close = trimmed.indexOf(QLatin1Char(']'));
    return (close < 0 ? trimmed.mid(1) : trimmed.mid(1, close - 1)).trimmed();
}

bool SameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool IsKeyLine(const QString &line, const QString &key)
{
    const int equals = line.indexOf(QLatin1Char('='));
    return equals >= 0 && SameName(line.left(equals).trimmed(), key);
}

// The range [first, end) of lines below the header of section; first < 0 when it is missing.
struct SectionRange {
    int header = -1;
    int end = -1;
};

SectionRange FindSection(const QStringList &lines, const QString &section)
{
    SectionRange range;
    for (int i = 0; i < lines.size(); ++i) {
        const auto name = SectionName(lines[i]);
        if (!name)
            continue;
        if (range.header >= 0) {
            range.end = i;
            return range;
        }
        if (SameName(*name, section))
            range.header = i;
    }
    if (range.header >= 0)
        range.end = lines.size();
    return range;
}

QString Unquoted(const QString &value)
{
    if (value.size() >= 2) {
        const QChar first = value.front();
        if ((first == QLatin1Char('"') || first == QLatin1Char('\'')) && value.back() == first)
            return value.mid(1, value.size() - 2);
    }
    return value;
}

} // namespace

QString ReadIniString(const QString &section, const QString &key, const QString &filePath,
                      const QString &defaultValue)
{
    const QStringList lines = ReadLines(filePath);
    const SectionRange range = FindSection(lines, section);
    for (int i = range.header + 1; range.header >= 0 && i < range.end; ++i) {
        if (IsKeyLine(lines[i], key)) {
            const QString raw = lines[i].mid(lines[i].indexOf(QLatin1Char('=')) + 1).trimmed();
            return Unquoted(raw).left(MaxValueLength);
        }
    }
    // The Windows reader drops trailing blanks of the default.
    QString fallback = defaultValue;
    while (fallback.endsWith(QLatin1Char(' ')))
        fallback.chop(1);
    return fallback.left(MaxValueLength);
}

bool WriteIniString(const QString &section, const QString &key, const QString &value,
                    const QString &filePath)
{
    QStringList lines = ReadLines(filePath);
    const QString entry = key.toUpper() + QLatin1Char('=') + value;
    const SectionRange range = FindSection(lines, section);
    if (range.header < 0) {
        lines << QLatin1Char('[') + section + QLatin1Char(']') << entry;
    } else {
        int insertAt = range.header + 1;
        bool replaced = false;
        for (int i = range.header + 1; i < range.end && !replaced; ++i) {
            if (IsKeyLine(lines[i], key)) {
                lines[i] = entry;
                replaced = true;
            } else if (!lines[i].trimmed().isEmpty()) {
                insertAt = i + 1;
            }
        }
        if (!replaced)
            lines.insert(insertAt, entry);
    }

    QSaveFile file(filePath);
    if (!file.open(QIODevice::WriteOnly))
        return false;
#ifdef Q_OS_WIN
    const QString lineEnd = QStringLiteral("\r\n");
#else
    const QString lineEnd = QStringLiteral("\n");
#endif
    file.write((lines.join(lineEnd) + lineEnd).toLocal8Bit());
    return file.commit();
}

} // namespace mod_ini
