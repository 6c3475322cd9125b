#include "history/HistoryListing.h"

#include "app/LanguageTexts.h"
#include "update/UpdateView.h"

#include <algorithm>
#include <map>

namespace {
const QString TimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");
} // namespace

void HistoryListing::SetRecords(std::vector<UpdateRecord> records)
{
    // Reversed first, so that the stable sort leaves the later of two equal times in front.
    std::reverse(records.begin(), records.end());
    std::stable_sort(records.begin(), records.end(),
                     [](const UpdateRecord &a, const UpdateRecord &b) { return a.time > b.time; });
    newestFirst_ = std::move(records);
}

void HistoryListing::SetDecoderFilter(std::optional<int32_t> id)
{
    decoderFilter_ = id;
}

std::vector<UpdateRecord> HistoryListing::Listed() const
{
    if (!decoderFilter_)
        return newestFirst_;
    std::vector<UpdateRecord> listed;
    std::copy_if(newestFirst_.begin(), newestFirst_.end(), std::back_inserter(listed),
                 [this](const UpdateRecord &record) { return record.decoderId == decoderFilter_; });
    return listed;
}

std::vector<HistoryListing::Decoder> HistoryListing::DecodersSeen() const
{
    std::map<int32_t, QString> names; // sorted by ID
    for (const UpdateRecord &record : newestFirst_) {
        if (record.decoderId)
            names.try_emplace(*record.decoderId, HistoryCells::Decoder(record.decoder, record.decoderId));
    }
    return {names.begin(), names.end()};
}

namespace HistoryCells {

QString Time(const UpdateRecord &record)
{
    return record.time.toLocalTime().toString(TimeFormat);
}

QString Decoder(const QString &name, std::optional<int32_t> id)
{
    if (!id)
        return name;
    return QStringLiteral("%1 (%2)").arg(name).arg(*id).trimmed();
}

QString Result(AttemptResult result)
{
    switch (result) {
    case AttemptResult::Finished:
        return Text(TextId::ResultFinished);
    case AttemptResult::Unconfirmed:
        return Text(TextId::ResultUnconfirmed);
    case AttemptResult::Failed:
        return Text(TextId::ResultFailed);
    case AttemptResult::Declined:
        return Text(TextId::ResultDeclined);
    case AttemptResult::Interrupted:
        return Text(TextId::ResultInterrupted);
    }
    return {};
}

std::optional<QColor> ResultColour(AttemptResult result)
{
    switch (result) {
    case AttemptResult::Finished:
        return InfoColour::Finished;
    case AttemptResult::Unconfirmed:
        return InfoColour::Unconfirmed;
    case AttemptResult::Failed:
        return InfoColour::Failed;
    case AttemptResult::Declined:
    case AttemptResult::Interrupted:
        break;
    }
    return std::nullopt;
}

} // namespace HistoryCells
