#include "app/SaveFileLeftovers.h"

#include "app/Log.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace SaveFileLeftovers {

QString TargetName(const QString &fileName)
{
    static const QRegularExpression temporaryName(QStringLiteral("^(.+)\\.[A-Za-z0-9]{6}$"));
    const QRegularExpressionMatch match = temporaryName.match(fileName);
    return match.hasMatch() ? match.captured(1) : QString();
}

void RemoveStale(const QString &folder, const std::function<bool(const QString &)> &isTarget)
{
    const QDateTime staleBefore = QDateTime::currentDateTime().addSecs(-StaleAfterSeconds);
    const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files | QDir::Hidden);
    for (const QFileInfo &file : files) {
        const QString target = TargetName(file.fileName());
        if (target.isEmpty() || !isTarget(target) || file.lastModified() >= staleBefore)
            continue;
        QFile leftover(file.filePath());
        if (leftover.remove())
            Log::Line(QStringLiteral("Removed %1, left by an interrupted write of %2")
                          .arg(file.filePath(), target));
    }
}

} // namespace SaveFileLeftovers
