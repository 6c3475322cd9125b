#pragma once
// The info box: the program's name, its version and date, and who makes it. Shown modal from
// the "?" menu of every page; OK unloads it.

#include <QDateTime>
#include <QDialog>
#include <QLocale>
#include <QString>

class QLabel;

// The version line Label2 shows: "Version " + version + five spaces + the date part of date in
// locale. Without a date, and for one of exactly midnight, the fixed line stands.
QString InfoVersionLine(const QString &version, const QDateTime &date, const QLocale &locale);

// The line Label2 holds until its load handler sets it, and keeps when there is no date.
extern const QString InfoFixedVersionLine;

class frm_Du_Info : public QDialog {
    Q_OBJECT
public:
    // The box's load: Label2 gets the version line of the program's version and date.
    explicit frm_Du_Info(QWidget *parent = nullptr);
};
