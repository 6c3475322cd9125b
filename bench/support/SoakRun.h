#pragma once
// One soak run in this process: a simulated update box on COM3 with a decoder that plays the
// plan's faults, the software file cut short mid-transfer if the plan says so, an update of the
// decoder through the update procedure with the page kept in memory, and the verdict on what the
// run left behind: the list, its colour, the buttons, the port and the decoder's flash.

#include "BenchSoftware.h"
#include "SoakPlan.h"
#include "SoakVerdict.h"

#include <QStringList>
#include <QTemporaryDir>

class SimDecoder;

class SoakRunner {
public:
    SoakRunner();
    ~SoakRunner();

    SoakVerdict Run(const SoakPlan &plan);

    // The list as the last run left it.
    const QStringList &InfoLines() const { return infoLines_; }

private:
    void TruncateFileAt(SimDecoder &decoder, int block, const BenchSoftware::Image &image);

    QTemporaryDir folder_;
    QString softwarePath_;
    QStringList infoLines_;
};
