#pragma once
// Reads the version list DSW_Version.txt that the maker's server publishes. Only the section
// "Decodersw" is used; every other section is read over.

#include <QDate>
#include <QString>
#include <cstdint>

struct DecoderSwEntry {
    int16_t Version = 0; // 0: the list held no usable decoder software entry
    QDate Date;
    QString Location; // web folder of the file, ending in "/"
    QString File;     // file name, as the server gave it: not yet checked
};

// Parses the list's text into entry. Values that are missing or do not convert leave the
// field as it was.
void ParseVersionList(const QString &text, DecoderSwEntry &entry);

// Reads the 8-bit list file at path; entry stays unchanged when it cannot be opened or is far
// too large to be a version list (SmallTextFile).
void ReadVersionList(const QString &path, DecoderSwEntry &entry);
