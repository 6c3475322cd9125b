#include "support/DswBuilder.h"

#include "software/DswGenerator.h"

#include <QFile>

namespace DswBuilder {
namespace {
QByteArray Build(DswGenerator::Layout layout, const QStringList &texts)
{
    QVector<DswGenerator::Entry> entries;
    QString error;
    for (const QString &text : texts) {
        const auto entry = DswGenerator::ParseEntry(text, error);
        if (!entry)
            return {};
        entries.append(*entry);
    }
    return DswGenerator::Build(layout, entries, DswGenerator::DefaultLeadByte, error)
        .value_or(QByteArray());
}
} // namespace

QByteArray Token(const QStringList &entries)
{
    return Build(DswGenerator::Layout::Token, entries);
}

QByteArray Fixed(const QStringList &entries)
{
    return Build(DswGenerator::Layout::Fixed, entries);
}

bool WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace DswBuilder
