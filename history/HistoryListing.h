#pragma once
// What the History window lists: the records newest first, narrowed to one decoder or not, the
// decoders the history has seen for its filter, and how each record's cells read. No widgets,
// so the window's rules are tested without one.

#include "history/UpdateRecord.h"

#include <QColor>
#include <optional>
#include <utility>
#include <vector>

class HistoryListing {
public:
    // A decoder of the filter: its ID and how the window names it.
    using Decoder = std::pair<int32_t, QString>;

    // Takes the history as read, oldest first.
    void SetRecords(std::vector<UpdateRecord> records);

    // Lists only the attempts on decoder id; none lists every attempt.
    void SetDecoderFilter(std::optional<int32_t> id);

    // The records the filter lets through, newest first; attempts of the same moment keep the
    // order of the file, the later one first.
    std::vector<UpdateRecord> Listed() const;

    // Every decoder an attempt reached, by ID, each once, named as its latest attempt names it.
    std::vector<Decoder> DecodersSeen() const;

private:
    std::vector<UpdateRecord> newestFirst_;
    std::optional<int32_t> decoderFilter_;
};

namespace HistoryCells {

// The attempt's start in local time, to the second.
QString Time(const UpdateRecord &record);
// "TB12 (12)"; the name alone when no decoder answered.
QString Decoder(const QString &name, std::optional<int32_t> id);
// The result in the current language.
QString Result(AttemptResult result);
// The result cell's background, the colour the update page's info list had at that end; none
// for an attempt the user or the program stopped (declined, interrupted).
std::optional<QColor> ResultColour(AttemptResult result);

} // namespace HistoryCells
