#include "update/ImageFile.h"

#include "update/UpdateError.h"

#include <QFileInfo>

bool ImageFile::Open(const QString &path)
{
    Close();
    file_.setFileName(path);
    return QFileInfo(path).isFile() && file_.open(QIODevice::ReadOnly);
}

int64_t ImageFile::Size() const
{
    return file_.size();
}

void ImageFile::Close()
{
    file_.close();
}

QIODevice &ImageFile::Device()
{
    return file_;
}

uint8_t ImageFile::ByteAt(int64_t position)
{
    if (position < 1)
        throw UpdateError::BadRecordNumber();
    if (position > file_.size())
        throw UpdateError::PastEndOfFile();
    char byte = 0;
    if (!file_.seek(position - 1) || !file_.getChar(&byte))
        throw UpdateError(file_.errorString());
    return static_cast<uint8_t>(byte);
}
