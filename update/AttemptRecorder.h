#pragma once
// What one run of an update learns as it goes (the decoder that answered, the image's blocks,
// the acknowledged ones, the user's answer); when the run ends, its one history record. Both
// update methods keep one from their first step to their last, so every way a run can end
// leaves exactly one record.

#include "history/UpdateRecord.h"
#include "software/IndexEntry.h"

#include <QElapsedTimer>
#include <cstdint>
#include <optional>

class UpdateView;

class AttemptRecorder {
public:
    // Starts the attempt now: the time, the software file, the selected port with its device,
    // the view's options and numbers, and the note.
    AttemptRecorder(const UpdateView &view, const QString &method);

    // The decoder on the track (blind: the one taken for it).
    void DecoderAnswered(int32_t id);
    // Its entry in the software file, and the whole blocks of its image when its type can be
    // sent.
    void ImageFound(const IndexEntry &entry, std::optional<int64_t> wholeBlocks);
    void BlocksAcknowledged(int64_t blocks);
    // The question was answered No: by the user, or by the program on its way to end.
    void QuestionDeclined();

    // Ends the attempt and appends its record to the history; returns the record. ended is
    // what the run saw: Finished, Unconfirmed, or Failed (also for any end before the
    // transfer). The recorder tells a declined question and a stop on request from a failure,
    // and a No said for the user after a termination signal from the user's own.
    const UpdateRecord &Finish(AttemptResult ended);

private:
    UpdateRecord record_;
    QElapsedTimer clock_;
    bool declined_ = false;
};
