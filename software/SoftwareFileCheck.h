#pragma once
// Whether a file can serve as a decoder software file: its index reads as one (the file page's
// reader) and every image it lists lies within the file. Asked of a file from elsewhere, such as
// a download, before it takes the place of anything.

#include <QIODevice>
#include <QString>

// Reads file, which is open for reading and can seek, from its start. Returns why it is no usable
// decoder software file; empty when it is one.
QString SoftwareFileProblem(QIODevice &file);
