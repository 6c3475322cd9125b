#pragma once
// What one soak run plays, drawn from its seed alone, so any run can be replayed by its seed:
// the image's block size and length, the odds of each fault the simulated decoder plays, and
// the block at which the port vanishes, if any.

#include "sim/SimDecoderSettings.h"

#include <QString>

struct SoakPlan {
    quint32 seed = 0;
    int type = 1;   // of the image: 1 sends 32-byte blocks, 2 sends 64-byte blocks
    int blocks = 1; // the payload, in whole blocks
    SimFaultOdds odds;
    int unplugAt = SimDecoderSettings::NeverUnplug;

    static SoakPlan FromSeed(quint32 seed);

    int BlockBytes() const;
    int PayloadBytes() const;
    // The decoder's settings for decoder id; its faults are seeded with the run's seed too.
    SimDecoderSettings Decoder(int id) const;
    // In the simulated port's keys, such as "type=2 blocks=7 lost-reply=0.031 … unplug-at=3".
    QString Describe() const;
};
