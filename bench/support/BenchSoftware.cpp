#include "BenchSoftware.h"

#include "software/DecoderLookup.h"
#include "software/DswGenerator.h"

#include <QBuffer>
#include <QFile>

namespace {
constexpr int ImageHeadBytes = 2; // lead byte, ID byte
} // namespace

namespace BenchSoftware {

Image Write(const QString &path, int id, int type, int payloadBytes)
{
    QString error;
    const auto entry = DswGenerator::ParseEntry(
        QStringLiteral("%1:BENCH:1.00:%2:%3").arg(id).arg(type).arg(payloadBytes), error);
    const QByteArray bytes = entry
        ? DswGenerator::Build(DswGenerator::Layout::Token, {*entry},
                              DswGenerator::DefaultLeadByte, error)
              .value_or(QByteArray())
        : QByteArray();
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    const IndexEntry found = LookupDecoder(buffer, id).Entry;
    QFile file(path);
    if (bytes.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write the software file %s: %s", qPrintable(path), qPrintable(error));
    // Start counts from 1.
    const qsizetype payloadOffset = found.Start - 1 + ImageHeadBytes;
    return {bytes.mid(payloadOffset, payloadBytes), payloadOffset};
}

} // namespace BenchSoftware
