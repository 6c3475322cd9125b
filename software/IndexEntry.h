#pragma once
// One entry of a decoder software file's index.

#include <QString>
#include <cstdint>

struct IndexEntry {
    int16_t Id = 0;
    int64_t Start = 0;  // position of the image's first byte, counting from 1
    int64_t Length = 0; // bytes of the image: lead byte, ID byte, payload
    QString Name;
    QString Version; // MAJOR "." MINOR in a token index, three characters in a fixed-width one
    int32_t Type = 0; // 1: 32-byte blocks, 2: 64-byte blocks, 3: KT decoder, not updated here
};

// Its texts may move in memory as they are: a listing of thousands of entries grows by copying
// bytes rather than by moving entry after entry.
Q_DECLARE_TYPEINFO(IndexEntry, Q_RELOCATABLE_TYPE);

// Image type of the decoder family this program does not update.
constexpr int32_t KtImageType = 3;
