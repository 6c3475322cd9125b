#pragma once
// A decoder software file with one made-up image, for the benchmarks, and the image's payload
// as a decoder's flash must hold it after a finished update.

#include <QByteArray>
#include <QString>

namespace BenchSoftware {

struct Image {
    QByteArray payload;
    qsizetype payloadOffset = 0; // where the payload starts in the file
};

// Writes the file at path: one image for decoder id of the given TYPE with payloadBytes bytes
// after its lead byte and ID byte. Returns its payload; ends the program when the file cannot
// be made, since no figure means anything without it.
Image Write(const QString &path, int id, int type, int payloadBytes);

} // namespace BenchSoftware
