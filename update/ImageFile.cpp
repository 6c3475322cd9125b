#include "update/ImageFile.h"

#include <QFileInfo>
#include <algorithm>

bool ImageFile::Open(const QString &path)
{
    Close();
    file_.setFileName(path);
    return QFileInfo(path).isFile() && file_.open(QIODevice::ReadOnly);
}

void ImageFile::Close()
{
    file_.close();
}

QIODevice &ImageFile::Device()
{
    return file_;
}

// Never asks for more than the file holds, so a length far beyond it sets no memory aside.
QByteArray ImageFile::Read(int64_t start, int64_t length)
{
    const int64_t size = file_.size();
    if (start < 1 || start > size || length < 1 || !file_.seek(start - 1))
        return {};
    return file_.read(std::min(length, size - start + 1));
}
