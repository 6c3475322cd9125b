#pragma once
// Finds the decoder software file the file page loads by itself: the newest file in LastFolder
// whose name looks like one (DEC*DAT or DS*VUP, any case).

#include <QDateTime>
#include <QString>
#include <cstdint>

// The full path of the newest matching file in LastFolder, or empty text when there is none.
QString FindNewestSoftwareFile();

// True for DEC...DAT and DS...VUP names, compared without case, except the temporary file of
// an interrupted write of such a file (SaveFileLeftovers).
bool IsSoftwareFileName(const QString &name);

// The upper 32 bits of a Windows last-write time (100 ns units since 1601-01-01) as a signed
// number: the files are compared at this coarse grain of about 7.2 minutes.
int32_t CoarseWriteTime(const QDateTime &lastModified);
