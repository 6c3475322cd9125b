#include "online/VersionList.h"

#include "app/ItemReader.h"
#include "app/SmallTextFile.h"
#include "app/Windows1252.h"

#include <QHash>
#include <QStringList>

namespace {
// The sections the list may hold, with the keys each one has; a key's value is the item
// directly after it.
const QHash<QString, QStringList> &KnownSections()
{
    static const QHash<QString, QStringList> sections = {
        {QStringLiteral("Decodersw"),
         {QStringLiteral("Version"), QStringLiteral("Datum"), QStringLiteral("Location"),
          QStringLiteral("Datei")}},
        {QStringLiteral("Projekt"),
         {QStringLiteral("Name"), QStringLiteral("ID"), QStringLiteral("Location"),
          QStringLiteral("Datei"), QStringLiteral("Version"), QStringLiteral("Zielordner")}},
        {QStringLiteral("PLV_Update"),
         {QStringLiteral("Version"), QStringLiteral("MinVersion"), QStringLiteral("Location"),
          QStringLiteral("Datei")}},
        {QStringLiteral("PLV_Setup"),
         {QStringLiteral("Version"), QStringLiteral("Location"), QStringLiteral("Datei")}},
    };
    return sections;
}

// "24.12.2025" and "24 12 2025" both stand for day, month and year.
void ConvertDate(QString text, QDate &date)
{
    text.replace(QLatin1Char('.'), QLatin1Char(' '));
    const QString simplified = text.simplified();
    QDate converted = QDate::fromString(simplified, QStringLiteral("d M yyyy"));
    if (!converted.isValid())
        converted = QDate::fromString(simplified, Qt::ISODate);
    if (converted.isValid())
        date = converted;
}

void StoreDecoderSwValue(const QString &key, const QString &value, DecoderSwEntry &entry)
{
    if (key == QLatin1String("Version")) {
        bool ok = false;
        const short version = value.trimmed().toShort(&ok);
        if (ok)
            entry.Version = version;
    } else if (key == QLatin1String("Datum")) {
        ConvertDate(value, entry.Date);
    } else if (key == QLatin1String("Location")) {
        entry.Location = value;
    } else if (key == QLatin1String("Datei")) {
        entry.File = value;
    }
}

void ReadKnownSection(ItemReader &items, const QString &name, DecoderSwEntry &entry)
{
    const QString closing = QLatin1Char('/') + name;
    const QStringList &keys = KnownSections()[name];
    while (const auto key = items.Next()) {
        if (*key == closing)
            return;
        if (!keys.contains(*key))
            continue;
        const auto value = items.Next();
        if (!value)
            return;
        if (name == QLatin1String("Decodersw"))
            StoreDecoderSwValue(*key, *value, entry);
    }
}

// Editors that save UTF-8 put the bytes EF BB BF before the first item; read as 8-bit text
// they would spoil the first section's name.
QString WithoutByteOrderMark(const QString &text)
{
    static const QString mark = QStringLiteral("\u00EF\u00BB\u00BF");
    return text.startsWith(mark) ? text.mid(mark.size()) : text;
}

void SkipUnknownSection(ItemReader &items, const QString &name)
{
    const QString closing = QLatin1Char('/') + name;
    while (const auto item = items.Next()) {
        if (*item == closing)
            return;
    }
}
} // namespace

void ParseVersionList(const QString &text, DecoderSwEntry &entry)
{
    ItemReader items(WithoutByteOrderMark(text));
    while (const auto name = items.Next()) {
        // A blank line or a comma at a line's end yields an empty item, which names nothing.
        if (name->isEmpty())
            continue;
        if (KnownSections().contains(*name))
            ReadKnownSection(items, *name, entry);
        else
            SkipUnknownSection(items, *name);
    }
}

void ReadVersionList(const QString &path, DecoderSwEntry &entry)
{
    const QString instead = QStringLiteral("The list is not used.");
    if (const std::optional<QByteArray> bytes = SmallTextFile::Read(path, instead))
        ParseVersionList(Windows1252::Decode(*bytes), entry);
}
