#pragma once
// The version line of the info box, which both programs' --version print as well.

#include <QDateTime>
#include <QLocale>
#include <QString>

// The version line Label2 shows: "Version " + version + five spaces + the date part of date in
// locale. Without a date, and for one of exactly midnight, the fixed line stands.
QString InfoVersionLine(const QString &version, const QDateTime &date, const QLocale &locale);

// The line Label2 holds until its load handler sets it, and keeps when there is no date.
extern const QString InfoFixedVersionLine;

// What --version prints: programName, a space and the info box's line for this program file, in
// the user's locale, with a line end.
QString VersionAnswer(const QString &programName);
