#pragma once
// One soak run in this process: a simulated update box on COM3 with a decoder that plays the
// plan's faults, an update of it through the update procedure with the page kept in memory,
// and the verdict on what the run left behind: the list, its colour, the buttons, the port and
// the decoder's flash.

#include "SoakPlan.h"
#include "SoakVerdict.h"

#include <QStringList>
#include <QTemporaryDir>

class SoakRunner {
public:
    SoakRunner();
    ~SoakRunner();

    SoakVerdict Run(const SoakPlan &plan);

    // The list as the last run left it.
    const QStringList &InfoLines() const { return infoLines_; }

private:
    QTemporaryDir folder_;
    QString softwarePath_;
    QStringList infoLines_;
};
