#pragma once
// The info box: the program's name, its version and date, and who makes it. Shown modal from
// the "?" menu of every page; OK unloads it.

#include "app/InfoVersionLine.h"

#include <QDialog>

class frm_Du_Info : public QDialog {
    Q_OBJECT
public:
    // The box's load: Label2 gets the version line of the program's version and date.
    explicit frm_Du_Info(QWidget *parent = nullptr);
};
