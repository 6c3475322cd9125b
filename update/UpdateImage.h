#pragma once
// One decoder's image as the software file held it when the update read it, once, before the
// question: what was checked is what is sent, whatever happens to the file meanwhile.

#include "software/IndexEntry.h"

#include <QByteArray>
#include <cstdint>

class ImageFile;

class UpdateImage {
public:
    // The lead byte and the ID byte stand before the payload.
    static constexpr int64_t HeadBytes = 2;

    UpdateImage() = default;
    // Reads entry's image from file; what of it lies beyond the file's end stays unread.
    static UpdateImage Read(ImageFile &file, const IndexEntry &entry);

    int64_t Start() const { return start_; }   // the lead byte's file position
    int64_t Length() const { return length_; } // as the index gives it
    // Whether every byte the index gives was in the file.
    bool Complete() const;
    // The byte at a file position (1 is the file's first); throws UpdateError outside what was
    // read.
    uint8_t ByteAt(int64_t position) const;

    // Whole blocks of blockSize in the payload, and the bytes left over after them.
    int64_t WholeBlocks(int32_t blockSize) const;
    int64_t TailBytes(int32_t blockSize) const;

private:
    int64_t BytesToRead() const;
    int64_t PayloadBytes() const;

    int64_t start_ = 0;
    int64_t length_ = 0;
    QByteArray bytes_; // from the lead byte on
};
