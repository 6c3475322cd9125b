#include "update/ImageFile.h"

#include "update/UpdateError.h"

#include <QFileInfo>

bool ImageFile::Open(const QString &path)
{
    Close();
    file_.setFileName(path);
    if (!QFileInfo(path).isFile() || !file_.open(QIODevice::ReadOnly))
        return false;
    size_ = file_.size();
    return true;
}

int64_t ImageFile::Size() const
{
    return size_;
}

void ImageFile::Close()
{
    file_.close();
    size_ = 0;
}

QIODevice &ImageFile::Device()
{
    return file_;
}

// The blocks read the image byte after byte: a byte that follows the last one read comes from
// the file's read buffer, without asking the system where the file stands.
uint8_t ImageFile::ByteAt(int64_t position)
{
    if (position < 1)
        throw UpdateError::BadRecordNumber();
    if (position > size_)
        throw UpdateError::PastEndOfFile();
    const int64_t offset = position - 1;
    char byte = 0;
    if ((file_.pos() != offset && !file_.seek(offset)) || !file_.getChar(&byte))
        throw UpdateError(file_.errorString());
    return static_cast<uint8_t>(byte);
}
