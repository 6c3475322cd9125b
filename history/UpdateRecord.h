#pragma once
// One line of the update history: what one update attempt did, as far as the program knows.
// Anything it never learnt (no decoder answered, the file could not be read) stays empty and is
// written as null, never guessed.

#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <cstdint>
#include <optional>

// How an attempt ended. Finished, Unconfirmed and Failed are the update's own results; Declined
// is the user's No to its question; Interrupted is the program being stopped by a signal (a
// No said for the user, or a second signal stopping the transfer) before the update could end
// by itself.
enum class AttemptResult { Finished, Unconfirmed, Failed, Declined, Interrupted };

// "finished", "unconfirmed", "failed", "declined", "interrupted": the record's words.
QString ResultName(AttemptResult result);
std::optional<AttemptResult> ResultFromName(const QString &name);

// The update's two methods, as the record names them.
namespace UpdateMethod {
inline const QString Main = QStringLiteral("main");
inline const QString Alternative = QStringLiteral("alternative");
} // namespace UpdateMethod

struct UpdateRecord {
    QDateTime time; // the attempt's start, local time with its offset
    std::optional<int32_t> decoderId;
    QString decoder; // the decoder's type name from the file
    QString version; // as the file page shows it
    QString file;    // full path of the decoder software file
    QString fileSha256;
    int32_t port = 0; // the COM number
    QString device;   // its device path
    QString method = UpdateMethod::Main;
    bool noQuery = false;
    bool blind = false;
    std::optional<int32_t> preamble;
    std::optional<int32_t> timingTargetMs;
    AttemptResult result = AttemptResult::Failed;
    std::optional<int64_t> blocks;
    std::optional<int64_t> blocksAcknowledged;
    double seconds = 0;
    QString note; // the user's name for the locomotive

    // One JSON object with every field, null where unknown (note only when given).
    QJsonObject ToJson() const;
    // The record an object holds; empty without a valid time and result. Another field that is
    // missing or of the wrong kind stays unknown, so a record of a later version still reads.
    static std::optional<UpdateRecord> FromJson(const QJsonObject &object);
};
