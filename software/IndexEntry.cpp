#include "software/IndexEntry.h"

#include "app/Windows1252.h"

#include <limits>

namespace IndexReader {
namespace {
template <typename Number>
void ConvertInto(const QString &field, Number &value)
{
    bool ok = false;
    const qlonglong converted = field.trimmed().toLongLong(&ok, 10);
    if (ok && converted >= std::numeric_limits<Number>::min()
        && converted <= std::numeric_limits<Number>::max())
        value = static_cast<Number>(converted);
}

// Reads one token; false when the file ended before its separator.
bool ReadField(QIODevice &file, QString &text)
{
    const Module_DU::Token token = Module_DU::ReadToken(file);
    text = token.Text;
    return !token.Separator.isEmpty();
}
} // namespace

bool ReadTokenHead(QIODevice &file)
{
    if (Module_DU::ReadToken(file).Text != QLatin1String("F"))
        return false;
    Module_DU::ReadToken(file);
    return true;
}

bool ReadTokenDescription(QIODevice &file, IndexEntry &entry)
{
    QString id, start, length, name, major, minor;
    if (!ReadField(file, id) || !ReadField(file, start) || !ReadField(file, length)
        || !ReadField(file, name) || !ReadField(file, major) || !ReadField(file, minor))
        return false;
    ConvertInto(id, entry.Id);
    ConvertInto(start, entry.Start);
    ConvertInto(length, entry.Length);
    entry.Name = name;
    entry.Version = major + QLatin1Char('.') + minor;
    return true;
}

Module_DU::Token ReadTokenType(QIODevice &file, IndexEntry &entry)
{
    const Module_DU::Token token = Module_DU::ReadToken(file);
    ConvertInto(token.Text, entry.Type);
    return token;
}

QString SkipExtraFields(QIODevice &file, const Module_DU::Token &typeToken)
{
    QString separator = typeToken.Separator;
    while (separator == QLatin1String("\t"))
        separator = Module_DU::ReadToken(file).Separator;
    return separator;
}

bool ReadFixedEntry(QIODevice &file, IndexEntry &entry)
{
    constexpr int EntryWidth = 28;
    const QByteArray bytes = file.read(EntryWidth);
    if (bytes.size() < EntryWidth)
        return false;
    const QString text = Windows1252::Decode(bytes);
    ConvertInto(text.mid(0, 3), entry.Id);
    ConvertInto(text.mid(3, 7), entry.Start);
    ConvertInto(text.mid(10, 6), entry.Length);
    entry.Name = text.mid(16, 8).trimmed();
    entry.Version = text.mid(24, 3);
    ConvertInto(text.mid(27, 1), entry.Type);
    return true;
}

} // namespace IndexReader
