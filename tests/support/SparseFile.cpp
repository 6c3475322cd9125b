#include "support/SparseFile.h"

#include <QFile>

namespace SparseFile {

bool Write(const QString &path, const QByteArray &head, qint64 size)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(head) == head.size() && file.resize(size);
}

} // namespace SparseFile
