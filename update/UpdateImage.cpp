#include "update/UpdateImage.h"

#include "update/ImageFile.h"
#include "update/UpdateError.h"

#include <algorithm>

UpdateImage UpdateImage::Read(ImageFile &file, const IndexEntry &entry)
{
    UpdateImage image;
    image.start_ = entry.Start;
    image.length_ = entry.Length;
    image.bytes_ = file.Read(entry.Start, image.BytesToRead());
    return image;
}

// The lead byte and the ID byte are read even for an image too short to hold them, so that it
// is refused for what it lacks, not as one made for another decoder.
int64_t UpdateImage::BytesToRead() const
{
    return std::max(length_, HeadBytes);
}

bool UpdateImage::Complete() const
{
    return bytes_.size() == BytesToRead();
}

uint8_t UpdateImage::ByteAt(int64_t position) const
{
    if (position < 1)
        throw UpdateError::BadRecordNumber();
    const int64_t offset = position - start_;
    if (offset < 0 || offset >= bytes_.size())
        throw UpdateError::PastEndOfFile();
    return static_cast<uint8_t>(bytes_.at(offset));
}

int64_t UpdateImage::PayloadBytes() const
{
    return length_ > HeadBytes ? length_ - HeadBytes : 0;
}

int64_t UpdateImage::WholeBlocks(int32_t blockSize) const
{
    return PayloadBytes() / blockSize;
}

int64_t UpdateImage::TailBytes(int32_t blockSize) const
{
    return PayloadBytes() % blockSize;
}
