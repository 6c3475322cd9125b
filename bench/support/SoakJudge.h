#pragma once
// The verdict on what one update left behind. Whatever the ending, the port must be closed,
// the buttons enabled and "Comm port closed" the last line of the list. Before it: "Update
// finished" on green with the flash equal to the image, or, when the log says the last block
// was not confirmed, a flash that holds every block before that one; or a failure line ("Update
// failed on position" on red, "Connection failed" with the colour untouched). Anything else
// went wrong.

#include "SoakVerdict.h"

#include "update/MemoryUpdateView.h"
#include "update/UpdateProcedure.h"

#include <QByteArray>
#include <optional>

struct SoakRecord {
    UpdateOutcome outcome;
    const MemoryUpdateView &view;
    std::optional<int> unconfirmedBlock; // the block "Ende erreicht, Block N nicht bestätigt" names
    QByteArray flash;                    // the decoder's
    QByteArray payload;                  // the image's
    int blockBytes;
    bool portOpen;
};

// The seed is left 0 for the caller to fill in.
SoakVerdict JudgeSoakRun(const SoakRecord &run);
