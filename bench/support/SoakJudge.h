#pragma once
// The verdict on what one update left behind. Whatever the ending, the port must be closed, the
// buttons enabled and "Comm port closed" the last line of the list. Before it, one of three
// results:
// - finished: "Update finished" on green, and the flash equals the image's payload;
// - finished, unconfirmed: on amber, "Update finished" and then what is unconfirmed (the last
//   block's number, the count of tail bytes not sent, or both), and the flash holds every block
//   the lines do not name and nothing but the image;
// - failed: on red, "Update failed on position" and the blocks never acknowledged, with nothing
//   but the image in the flash; or "Connection failed", the colour untouched.
// Anything else went wrong.

#include "SoakVerdict.h"

#include "update/MemoryUpdateView.h"
#include "update/UpdateProcedure.h"

#include <QByteArray>

struct SoakRecord {
    UpdateOutcome outcome;
    const MemoryUpdateView &view;
    QByteArray flash;   // the decoder's
    QByteArray payload; // the image's, as it was when the update started
    int blockBytes;
    bool portOpen;
};

// The seed is left 0 for the caller to fill in.
SoakVerdict JudgeSoakRun(const SoakRecord &run);
