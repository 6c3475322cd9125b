#include "support/DswBuilder.h"

#include "software/DswGenerator.h"

#include <QFile>

namespace DswBuilder {

QByteArray Build(const QStringList &texts, bool fixed)
{
    QVector<DswGenerator::Entry> entries;
    QString error;
    for (const QString &text : texts) {
        const auto entry = DswGenerator::ParseEntry(text, error);
        if (!entry)
            return {};
        entries.append(*entry);
    }
    const auto layout = fixed ? DswGenerator::Layout::Fixed : DswGenerator::Layout::Token;
    return DswGenerator::Build(layout, entries, DswGenerator::DefaultLeadByte, error)
        .value_or(QByteArray());
}

bool WriteFile(const QString &path, const QByteArray &bytes, const QDateTime &time)
{
    QFile file(path);
    // Flushed first: a write at close would stamp the file with the current time.
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush()
           && (!time.isValid() || file.setFileTime(time, QFileDevice::FileModificationTime));
}

} // namespace DswBuilder
