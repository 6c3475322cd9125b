#pragma once
// The decoder software file as the update reads it: opened as raw bytes for one run, its index
// looked up, then single bytes of the image read at their positions (counting from 1).

#include <QFile>
#include <cstdint>

class ImageFile {
public:
    // False when the file cannot be opened for reading, or is no regular file (a named pipe
    // would hold the update until something writes to it).
    bool Open(const QString &path);
    void Close();

    // The open file, positioned at its start after Open, for the index lookup.
    QIODevice &Device();

    // Bytes in the file when it was opened; the file is taken to stay as it is during one run.
    int64_t Size() const;

    // The byte at position (1 is the first). Throws UpdateError before the first byte, past the
    // last one, and when the read fails.
    uint8_t ByteAt(int64_t position);

private:
    QFile file_;
    int64_t size_ = 0;
};
