#pragma once
// What one soak run plays, drawn from its seed alone, so any run can be replayed by its seed:
// the image's block size and length (in some runs with a tail of less than a block), the odds of
// each fault the simulated decoder plays, the block at which the port vanishes, if any, and in a
// share of the runs one steady fault: a block the decoder refuses every time, replies later than
// the program's window, or the software file cut short while the transfer runs.

#include "sim/SimDecoderSettings.h"

#include <QString>

struct SoakPlan {
    static constexpr int NeverTruncate = -1;

    quint32 seed = 0;
    int type = 1;   // of the image: 1 sends 32-byte blocks, 2 sends 64-byte blocks
    int blocks = 1; // the payload's whole blocks
    int tailBytes = 0; // after them, less than a block, which the update cannot send
    SimFaultOdds odds;
    int unplugAt = SimDecoderSettings::NeverUnplug;
    int refuseBlock = SimDecoderSettings::NeverRefuse;
    int replyDelayMs = 0;
    // When the decoder reaches this block, the software file is cut in the middle of the image.
    int truncateAt = NeverTruncate;

    static SoakPlan FromSeed(quint32 seed);

    int BlockBytes() const;
    int PayloadBytes() const;
    // The decoder's settings for decoder id; its faults are seeded with the run's seed too.
    SimDecoderSettings Decoder(int id) const;
    // In the simulated port's keys, such as "type=2 blocks=7 lost-reply=0.031 … unplug-at=3";
    // a tail as "tail=N" and the cut of the software file as "truncate-at=N".
    QString Describe() const;
};
