#pragma once
// The decoder software file as the update reads it: opened as raw bytes for one run, its index
// looked up, then the image read from it at once (UpdateImage).

#include <QByteArray>
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

    // Up to length bytes from position start (1 is the first byte): fewer when the file ends
    // or a read fails first, none when start lies outside the file.
    QByteArray Read(int64_t start, int64_t length);

private:
    QFile file_;
};
