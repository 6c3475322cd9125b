#include "app/mod_ini.h"

#include "app/Log.h"
#include "app/SmallTextFile.h"

#include <QSaveFile>
#include <QStringList>
#include <cerrno>
#include <optional>

namespace mod_ini {
namespace {

// Lines in the system's 8-bit encoding, as the ANSI profile calls read them.
QStringList ReadLines(const QString &filePath)
{
    const std::optional<QByteArray> bytes = SmallTextFile::Read(
        filePath, QStringLiteral("Its values are taken as missing."));
    if (!bytes)
        return {};
    QString text = QString::fromLocal8Bit(*bytes);
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

Profile::Profile(const QString &filePath) : filePath_(filePath), lines_(ReadLines(filePath)) {}

QString Profile::Value(const QString &section, const QString &key,
                       const QString &defaultValue) const
{
    const SectionRange range = FindSection(lines_, section);
    for (int i = range.header + 1; range.header >= 0 && i < range.end; ++i) {
        if (IsKeyLine(lines_[i], key)) {
            const QString raw = lines_[i].mid(lines_[i].indexOf(QLatin1Char('=')) + 1).trimmed();
            return Unquoted(raw).left(MaxValueLength);
        }
    }
    // The Windows reader drops trailing blanks of the default.
    QString fallback = defaultValue;
    while (fallback.endsWith(QLatin1Char(' ')))
        fallback.chop(1);
    return fallback.left(MaxValueLength);
}

void Profile::SetValue(const QString &section, const QString &key, const QString &value)
{
    const QString entry = key.toUpper() + QLatin1Char('=') + value;
    const SectionRange range = FindSection(lines_, section);
    if (range.header < 0) {
        lines_ << QLatin1Char('[') + section + QLatin1Char(']') << entry;
        return;
    }
    int insertAt = range.header + 1;
    for (int i = range.header + 1; i < range.end; ++i) {
        if (IsKeyLine(lines_[i], key)) {
            lines_[i] = entry;
            return;
        }
        if (!lines_[i].trimmed().isEmpty())
            insertAt = i + 1;
    }
    lines_.insert(insertAt, entry);
}

// QSaveFile replaces the file only when every byte reached the disk; on a full disk or any
// other failure it drops its temporary file and the old file stays whole.
bool Profile::Save() const
{
#ifdef Q_OS_WIN
    const QString lineEnd = QStringLiteral("\r\n");
#else
    const QString lineEnd = QStringLiteral("\n");
#endif
    QSaveFile file(filePath_);
    errno = 0;
    if (file.open(QIODevice::WriteOnly)) {
        const QByteArray bytes = (lines_.join(lineEnd) + lineEnd).toLocal8Bit();
        // A write that fails part-way shows only at the flush, and commit would keep the part.
        if (file.write(bytes) == bytes.size() && file.flush() && file.commit())
            return true;
    }
    // Qt reports a failed flush as "Unknown error"; the system still tells why.
    const QString reason = errno != 0 ? qt_error_string(errno) : file.errorString();
    file.cancelWriting();
    Log::Problem(QStringLiteral("%1 not written: %2. It keeps what it held before.")
                     .arg(filePath_, reason));
    return false;
}

QString ReadIniString(const QString &section, const QString &key, const QString &filePath,
                      const QString &defaultValue)
{
    return Profile(filePath).Value(section, key, defaultValue);
}

bool WriteIniString(const QString &section, const QString &key, const QString &value,
                    const QString &filePath)
{
    Profile profile(filePath);
    profile.SetValue(section, key, value);
    return profile.Save();
}

} // namespace mod_ini
