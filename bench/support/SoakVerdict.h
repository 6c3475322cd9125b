#pragma once
// How one soak run ended, and its one-line form, in which a worker hands it to the soak.

#include <QString>
#include <cstddef>
#include <optional>

enum class SoakResult {
    FlashEqual,  // finished, and the decoder's flash equals the image's payload
    Unconfirmed, // finished, and said what at the end is unconfirmed; the flash holds the rest
    Failed,      // failed with its failure lines, or no decoder answered
    Wrong,       // anything else: a flash that differs unflagged, a hang, a crash, an open port
};
constexpr size_t SoakResultCount = 4;

struct SoakVerdict {
    quint32 seed = 0;
    SoakResult result = SoakResult::Wrong;
    QString detail; // how the run ended, or what went wrong

    // "RESULT SEED WORD DETAIL", WORD one of equal, unconfirmed, failed, wrong.
    QString ToLine() const;
    // Nothing when line is no such line.
    static std::optional<SoakVerdict> FromLine(const QString &line);
};
