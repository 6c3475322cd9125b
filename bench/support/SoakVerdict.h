#pragma once
// How one soak run ended, and its one-line form, in which a worker hands it to the soak.

#include <QString>
#include <cstddef>
#include <optional>

enum class SoakResult {
    FlashEqual,    // finished, and the decoder's flash equals the image's payload
    Flagged,       // finished short at the end, and said so: the last block was not confirmed
    FailedCleanly, // failed with its failure line, the port closed and the buttons enabled
    Wrong,         // anything else: a flash that differs unflagged, a hang, a crash, an open port
};
constexpr size_t SoakResultCount = 4;

struct SoakVerdict {
    quint32 seed = 0;
    SoakResult result = SoakResult::Wrong;
    QString detail; // how the run ended, or what went wrong

    // "RESULT SEED WORD DETAIL", WORD one of equal, flagged, failed, wrong.
    QString ToLine() const;
    // Nothing when line is no such line.
    static std::optional<SoakVerdict> FromLine(const QString &line);
};
