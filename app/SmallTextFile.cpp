#include "app/SmallTextFile.h"

#include "app/Log.h"

#include <QFile>

namespace SmallTextFile {

std::optional<QByteArray> Read(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // One byte more than allowed tells a file that is too large, whatever size it claims.
    QByteArray bytes = file.read(MaxSize + 1);
    if (bytes.size() > MaxSize) {
        Log::Line(QStringLiteral("%1 not read: larger than %2 bytes").arg(path).arg(MaxSize));
        return std::nullopt;
    }
    return bytes;
}

} // namespace SmallTextFile
