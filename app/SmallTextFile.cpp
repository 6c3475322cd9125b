#include "app/SmallTextFile.h"

#include "app/Log.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace SmallTextFile {
namespace {
constexpr qint64 PieceSize = 64 * 1024; // bytes
void ReportUnread(const QString &path, const QString &reason, const QString &insteadText)
{
    Log::Problem(QStringLiteral("%1 cannot be read: %2. %3").arg(path, reason, insteadText));
}
} // namespace

std::optional<QByteArray> Read(const QString &path, const QString &insteadText)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        // Anything in the file's place (a folder, a link to nowhere) counts as there.
        if (QFileInfo(path).exists() || QFileInfo(path).isSymLink())
            ReportUnread(path, file.errorString(), insteadText);
        return std::nullopt;
    }
    // One byte more than allowed tells a file that is too large, whatever size it claims. Read
    // in pieces: asking for the whole limit at once sets aside megabytes for a file of a few
    // hundred bytes.
    QByteArray bytes;
    while (bytes.size() <= MaxSize) {
        const QByteArray piece = file.read(std::min<qint64>(PieceSize, MaxSize + 1 - bytes.size()));
        if (piece.isEmpty())
            break;
        bytes += piece;
    }
    if (file.error() != QFileDevice::NoError) {
        // A failed read would otherwise look like an empty file.
        ReportUnread(path, file.errorString(), insteadText);
        return std::nullopt;
    }
    if (bytes.size() > MaxSize) {
        ReportUnread(path, QStringLiteral("larger than %1 bytes").arg(MaxSize), insteadText);
        return std::nullopt;
    }
    return bytes;
}

} // namespace SmallTextFile
