#include "update/AttemptRecorder.h"

#include "app/Module_DU.h"
#include "history/UpdateHistory.h"
#include "port/PortMap.h"
#include "update/TextNumber.h"
#include "update/UpdateError.h"
#include "update/UpdateView.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

namespace {
constexpr double MillisecondsPerSecond = 1000;

// The file's digest, so a record tells later which file of that name it was; empty when the file
// cannot be read (then the record says so with null rather than a digest of nothing).
QString Sha256Of(const QString &path)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file))
        return {};
    return QString::fromLatin1(hash.result().toHex());
}

// A number box's count as the update reads it; nothing when it does not fit.
std::optional<int32_t> CountIn(const QString &text)
{
    try {
        return TextNumber::Count(text);
    } catch (const UpdateError &) {
        return std::nullopt;
    }
}
} // namespace

AttemptRecorder::AttemptRecorder(const UpdateView &view, const QString &method)
{
    clock_.start();
    const auto &state = Module_DU::State();
    record_.time = QDateTime::currentDateTime();
    record_.file = state.SoftwareFilePath.isEmpty()
                       ? QString()
                       : QFileInfo(state.SoftwareFilePath).absoluteFilePath();
    record_.fileSha256 = Sha256Of(state.SoftwareFilePath);
    record_.port = state.SelectedPort.trimmed().toInt();
    record_.device = PortMap::Instance().Device(record_.port);
    record_.method = method;
    record_.noQuery = view.NoQuery();
    record_.blind = view.Blind();
    // Blind, the preamble box is not read.
    if (!record_.blind)
        record_.preamble = CountIn(view.PreambleText());
    record_.timingTargetMs = CountIn(view.TimingTargetText());
    record_.note = view.Note().trimmed();
}

void AttemptRecorder::DecoderAnswered(int32_t id)
{
    record_.decoderId = id;
}

void AttemptRecorder::ImageFound(const IndexEntry &entry, std::optional<int64_t> wholeBlocks)
{
    record_.decoder = entry.Name;
    record_.version = entry.Version;
    record_.blocks = wholeBlocks;
}

void AttemptRecorder::BlocksAcknowledged(int64_t blocks)
{
    record_.blocksAcknowledged = blocks;
}

void AttemptRecorder::QuestionDeclined()
{
    declined_ = true;
}

const UpdateRecord &AttemptRecorder::Finish(AttemptResult ended)
{
    // Only a signal answers the question for the user; a No while the window closes down is
    // still the user's own.
    const auto &state = Module_DU::State();
    if (ended == AttemptResult::Failed && declined_)
        ended = state.EndAfterUpdate ? AttemptResult::Interrupted : AttemptResult::Declined;
    else if (ended == AttemptResult::Failed && state.StopUpdate)
        ended = AttemptResult::Interrupted;
    record_.result = ended;
    record_.seconds = clock_.elapsed() / MillisecondsPerSecond;
    UpdateHistory::Append(record_);
    return record_;
}
