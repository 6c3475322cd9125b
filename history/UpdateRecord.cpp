#include "history/UpdateRecord.h"

#include <QJsonValue>
#include <array>
#include <cmath>

namespace {
const std::array<std::pair<AttemptResult, const char *>, 5> ResultNames{{
    {AttemptResult::Finished, "finished"},
    {AttemptResult::Unconfirmed, "unconfirmed"},
    {AttemptResult::Failed, "failed"},
    {AttemptResult::Declined, "declined"},
    {AttemptResult::Interrupted, "interrupted"},
}};

// Tenths of a second: finer says nothing about an update that takes minutes.
constexpr double SecondsResolution = 10;

namespace Key {
const QString Time = QStringLiteral("time");
const QString DecoderId = QStringLiteral("decoder_id");
const QString Decoder = QStringLiteral("decoder");
const QString Version = QStringLiteral("version");
const QString File = QStringLiteral("file");
const QString FileSha256 = QStringLiteral("file_sha256");
const QString Port = QStringLiteral("port");
const QString Device = QStringLiteral("device");
const QString Method = QStringLiteral("method");
const QString NoQuery = QStringLiteral("no_query");
const QString Blind = QStringLiteral("blind");
const QString Preamble = QStringLiteral("preamble");
const QString TimingTarget = QStringLiteral("timing_target_ms");
const QString Result = QStringLiteral("result");
const QString Blocks = QStringLiteral("blocks");
const QString BlocksAcknowledged = QStringLiteral("blocks_acknowledged");
const QString Seconds = QStringLiteral("seconds");
const QString Note = QStringLiteral("note");
} // namespace Key

QJsonValue TextOrNull(const QString &text)
{
    return text.isEmpty() ? QJsonValue() : QJsonValue(text);
}

template <typename Number>
QJsonValue NumberOrNull(const std::optional<Number> &number)
{
    return number ? QJsonValue(static_cast<qint64>(*number)) : QJsonValue();
}

QString TextOf(const QJsonObject &object, const QString &key)
{
    return object.value(key).toString();
}

// JSON numbers are doubles: a whole number reads back exactly up to 2^53, far beyond any count
// here. A fraction or another kind is not one of ours.
template <typename Number>
std::optional<Number> NumberOf(const QJsonObject &object, const QString &key)
{
    const QJsonValue value = object.value(key);
    if (!value.isDouble() || value.toDouble() != std::floor(value.toDouble()))
        return std::nullopt;
    return static_cast<Number>(value.toInteger());
}
} // namespace

QString ResultName(AttemptResult result)
{
    for (const auto &[known, name] : ResultNames)
        if (known == result)
            return QLatin1String(name);
    return {};
}

std::optional<AttemptResult> ResultFromName(const QString &name)
{
    for (const auto &[result, known] : ResultNames)
        if (name == QLatin1String(known))
            return result;
    return std::nullopt;
}

QJsonObject UpdateRecord::ToJson() const
{
    QJsonObject object{
        {Key::Time, time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODate)},
        {Key::DecoderId, NumberOrNull(decoderId)},
        {Key::Decoder, TextOrNull(decoder)},
        {Key::Version, TextOrNull(version)},
        {Key::File, TextOrNull(file)},
        {Key::FileSha256, TextOrNull(fileSha256)},
        {Key::Port, port},
        {Key::Device, TextOrNull(device)},
        {Key::Method, method},
        {Key::NoQuery, noQuery},
        {Key::Blind, blind},
        {Key::Preamble, NumberOrNull(preamble)},
        {Key::TimingTarget, NumberOrNull(timingTargetMs)},
        {Key::Result, ResultName(result)},
        {Key::Blocks, NumberOrNull(blocks)},
        {Key::BlocksAcknowledged, NumberOrNull(blocksAcknowledged)},
        {Key::Seconds, std::round(seconds * SecondsResolution) / SecondsResolution},
    };
    if (!note.isEmpty())
        object.insert(Key::Note, note);
    return object;
}

std::optional<UpdateRecord> UpdateRecord::FromJson(const QJsonObject &object)
{
    UpdateRecord record;
    record.time = QDateTime::fromString(TextOf(object, Key::Time), Qt::ISODate);
    const std::optional<AttemptResult> result = ResultFromName(TextOf(object, Key::Result));
    if (!record.time.isValid() || !result)
        return std::nullopt;
    record.result = *result;
    record.decoderId = NumberOf<int32_t>(object, Key::DecoderId);
    record.decoder = TextOf(object, Key::Decoder);
    record.version = TextOf(object, Key::Version);
    record.file = TextOf(object, Key::File);
    record.fileSha256 = TextOf(object, Key::FileSha256);
    record.port = NumberOf<int32_t>(object, Key::Port).value_or(0);
    record.device = TextOf(object, Key::Device);
    record.method = object.value(Key::Method).toString(UpdateMethod::Main);
    record.noQuery = object.value(Key::NoQuery).toBool();
    record.blind = object.value(Key::Blind).toBool();
    record.preamble = NumberOf<int32_t>(object, Key::Preamble);
    record.timingTargetMs = NumberOf<int32_t>(object, Key::TimingTarget);
    record.blocks = NumberOf<int64_t>(object, Key::Blocks);
    record.blocksAcknowledged = NumberOf<int64_t>(object, Key::BlocksAcknowledged);
    record.seconds = object.value(Key::Seconds).toDouble();
    record.note = TextOf(object, Key::Note);
    return record;
}
