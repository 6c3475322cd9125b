#pragma once
// The faults a simulated decoder plays, drawn from one generator seeded by the port's seed, so
// a run with the same seed and the same bytes repeats exactly. A fault whose odds are 0 draws
// nothing, so adding a key at 0 leaves the other faults' draws as they were.

#include "sim/SimDecoderSettings.h"

#include <QByteArray>
#include <random>

class SimFaults {
public:
    SimFaults(const SimFaultOdds &odds, quint32 seed);

    bool LoseReply();
    bool SlowReply();
    bool LoseBlock();
    // Flips one byte of a received frame, with the odds of a bad block.
    void MaybeCorrupt(QByteArray &frame);
    // Replaces a reply by one to three random bytes that each fail the acknowledge test, with
    // the odds of garbage.
    void MaybeGarble(QByteArray &reply);

    // The program's acknowledge test: reply AND 0x49 equals 0x08.
    static bool PassesAcknowledgeTest(quint8 reply);

private:
    bool Happens(double odds);
    int Between(int lowest, int highest);

    SimFaultOdds odds_;
    std::mt19937 generator_;
};
