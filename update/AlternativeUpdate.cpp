#include "update/AlternativeUpdate.h"

#include "app/Log.h"
#include "app/Module_DU.h"
#include "port/Protocol.h"
#include "port/SComm.h"
#include "software/DecoderLookup.h"
#include "update/BlockFrame.h"
#include "update/FixedInfoLines.h"
#include "update/GuardedStep.h"
#include "update/InventedImage.h"
#include "update/UpdateLink.h"
#include "update/UpdateView.h"

#include <QCoreApplication>
#include <algorithm>

namespace {
using namespace Protocol::Alternative;

constexpr float PercentScale = 100;

const QString PortOpened = QStringLiteral("Comm Port geöffnet");
const QString Connecting = QStringLiteral("Versuche Verbindung aufzubauen");
const QString PortFailed = QStringLiteral("Fehler beim Öffnen der Com-Schnittstelle");
const QString NoAnswer = QStringLiteral("Dekoder antwortet nicht");
const QString FileFailed = QStringLiteral("Datei läßt sich nicht öffnen");
const QString FileInvalid = QStringLiteral("Softwarefile ist ungültig");
const QString NoWholeBlock = QStringLiteral("Kein ganzer Block im Abbild, nichts gesendet");
const QString InventedImageRefused = QStringLiteral(
    "Erfundene Software (nur für den Simulator): wird an keinen echten Decoder gesendet");
const QString Found = QStringLiteral(" gefunden");
const QString QuestionTitle = QStringLiteral("Decoder gefunden");
const QString Question = QStringLiteral(" gefunden, wollen Sie das Update durchführen?");
const QString InProgress = QStringLiteral("Update wird durchgeführt");
const QString Completed = QStringLiteral("Übertragung abgeschlossen");
const QString CompletedTitle = QStringLiteral("Übertragung beendet");
const QString CompletedText =
    QStringLiteral("Übertragung beendet, bitte kontrollieren Sie die Funktion des Decoders und "
                   "führen Sie bei einem Mißerfolg das Update noch einmal durch.");
const QString PortClosed = QStringLiteral("Comm Port geschlossen");
const QString Stopped = QStringLiteral("Übertragung auf Wunsch abgebrochen");

// An image our generator invented goes to the simulator only, never to a real decoder.
bool ImageMayGoToPort(UpdateView &view, const UpdateImage &image, int com)
{
    if (!InventedImage::HeldBackFrom(image, com))
        return true;
    view.AddInfoLine(InventedImageRefused);
    return false;
}
// Every other end reads as failed here; the recorder tells a declined question and a stop on
// request.
AttemptResult AttemptResultOf(AlternativeOutcome outcome)
{
    return outcome == AlternativeOutcome::Completed ? AttemptResult::Finished : AttemptResult::Failed;
}
} // namespace

AlternativeUpdate::AlternativeUpdate(UpdateView &view, UpdateLink &link) : view_(view), link_(link)
{
}

int32_t AlternativeUpdate::BlockSizeOf(int32_t type)
{
    return type == Protocol::LargeBlockType ? Protocol::LargeBlockBytes : Protocol::SmallBlockBytes;
}

AlternativeOutcome AlternativeUpdate::Run()
{
    attempt_.emplace(view_, UpdateMethod::Alternative);
    view_.ClearInfoLines();
    view_.SetButtonsEnabled(false);
    const AlternativeOutcome outcome = RunUntilCloseDown();
    CloseDown();
    lastRecord_ = attempt_->Finish(AttemptResultOf(outcome));
    attempt_.reset();
    return outcome;
}

const std::optional<UpdateRecord> &AlternativeUpdate::LastRecord() const
{
    return lastRecord_;
}

// From opening the port to the end of the transfer; every way out leads to CloseDown.
AlternativeOutcome AlternativeUpdate::RunUntilCloseDown()
{
    if (const QString failure = OpenPort(); !failure.isEmpty()) {
        view_.AddInfoLine(PortFailed);
        for (const QString &line : PortNotOpenedLines(failure))
            view_.AddInfoLine(line);
        return AlternativeOutcome::PortNotOpened;
    }
    view_.AddInfoLine(PortOpened);
    link_.wait(OpenedPauseTicks);
    view_.AddInfoLine(Connecting);
    if (!FindDecoder()) {
        view_.AddInfoLine(NoAnswer);
        return AlternativeOutcome::NoAnswer;
    }
    if (const auto stopped = LookUpImage())
        return *stopped;
    if (!ImageIsForDecoder())
        return AlternativeOutcome::WrongImage;
    if (!ImageUsable() || !ImageMayGoToPort(view_, image_, link_.Comm().portnumber()))
        return AlternativeOutcome::ImageUnusable;
    if (!view_.AskYesNo(QuestionTitle, entry_.Name + Question)) {
        attempt_->QuestionDeclined();
        Guarded([this] { link_.LineOff(); });
        return AlternativeOutcome::Declined;
    }
    return Transfer();
}

// Line 1 is raised directly, without the handshake edge that LineOn adds; a port whose line
// cannot be raised counts as not opened. Returns why it did not open; empty when it did.
QString AlternativeUpdate::OpenPort()
{
    SComm &comm = link_.Comm();
    return FailureOf([&] {
        comm.setSettings(Protocol::UpdateLineSettings);
        comm.setHandshake(SComm::comNone);
        comm.setRxthreshold(Protocol::ReceiveThresholdBytes);
        comm.setReadlen(SComm::ReadOneByte);
        comm.setPortnumber(SelectedPortNumber());
        comm.setPortopen(true);
        comm.setCtrlline2(false);
        comm.setCtrlline1(true);
    });
}

// Probes the IDs in rounds; the first that gets any answer at all is the decoder's.
bool AlternativeUpdate::FindDecoder()
{
    for (int32_t round = 0; round <= RetryRounds; ++round) {
        for (int32_t id = FirstProbeId; id <= LastProbeId; ++id) {
            if (Probe(id)) {
                probeId_ = id;
                return true;
            }
        }
    }
    return false;
}

// Wakes the decoder, drops whatever came before and sends id; whatever answers is read and
// dropped too, its value does not matter.
bool AlternativeUpdate::Probe(int32_t id)
{
    SComm &comm = link_.Comm();
    SendWakeUp();
    Guarded([&] { comm.setIncount(0); });
    link_.wait(ProbeLeadTicks);
    Guarded([&] { link_.send(id); });
    link_.wait(ProbeReplyTicks);
    if (GuardedOr(0, [&] { return comm.incount(); }) == 0)
        return false;
    Guarded([&] {
        while (comm.incount() != 0)
            comm.input();
    });
    return true;
}

void AlternativeUpdate::SendWakeUp()
{
    for (int32_t pair = 0; pair < WakeUpPairs; ++pair) {
        for (const int32_t byte : {Protocol::BurstByteA, Protocol::BurstByteB}) {
            Guarded([&] { link_.send(byte); });
            link_.wait(WakeUpByteTicks);
        }
    }
}

// Opens the software file and finds the answering ID in its index, which must have the
// fixed-width layout. The outcome when the run ends here, with its lines listed.
std::optional<AlternativeOutcome> AlternativeUpdate::LookUpImage()
{
    attempt_->DecoderAnswered(probeId_);
    if (!file_.Open(Module_DU::State().SoftwareFilePath)) {
        view_.AddInfoLine(FileFailed);
        return AlternativeOutcome::FileNotOpened;
    }
    const LookupResult lookup = LookupDecoderInFixedIndex(file_.Device(), probeId_);
    switch (lookup.Outcome) {
    case LookupOutcome::Malformed:
        view_.AddInfoLine(FileInvalid);
        return AlternativeOutcome::FileInvalid;
    case LookupOutcome::Absent:
        for (const QString &line : FixedInfoLines::UnknownDecoder())
            view_.AddInfoLine(line);
        return AlternativeOutcome::DecoderUnknown;
    case LookupOutcome::Found:
        break;
    }
    entry_ = lookup.Entry;
    image_ = UpdateImage::Read(file_, entry_);
    attempt_->ImageFound(entry_, image_.WholeBlocks(BlockSizeOf(entry_.Type)));
    view_.AddInfoLine(entry_.Name + Found);
    Log::Line(entry_.Name + Found);
    return std::nullopt;
}

// An ID byte that cannot be read names no decoder.
bool AlternativeUpdate::ImageIsForDecoder()
{
    const int32_t imageId =
        GuardedOr<int32_t>(-1, [this] { return image_.ByteAt(entry_.Start + 1); });
    if (imageId == probeId_)
        return true;
    for (const QString &line : FixedInfoLines::WrongImage())
        view_.AddInfoLine(line);
    return false;
}

// Nothing is sent unless there is a whole block to send, read whole from the file: the
// handshake alone erases the decoder.
bool AlternativeUpdate::ImageUsable()
{
    if (image_.WholeBlocks(BlockSizeOf(entry_.Type)) == 0) {
        view_.AddInfoLine(NoWholeBlock);
        return false;
    }
    if (image_.Complete())
        return true;
    view_.AddInfoLine(FileInvalid);
    Log::Line(QStringLiteral("Software file ends inside the image of %1").arg(entry_.Name));
    return false;
}

AlternativeOutcome AlternativeUpdate::Transfer()
{
    view_.AddInfoLine(InProgress);
    // This method streams its blocks without awaiting any reply: none is ever confirmed.
    attempt_->BlocksAcknowledged(0);
    Handshake();
    if (!SendBlocks()) {
        view_.AddInfoLine(Stopped);
        return AlternativeOutcome::Stopped;
    }
    Guarded([this] { link_.LineOff(); });
    view_.AddInfoLine(Completed);
    view_.ShowInformation(CompletedTitle, CompletedText);
    return AlternativeOutcome::Completed;
}

// A lead byte that cannot be read leaves 0, whose predecessor is no byte: that send fails and
// is skipped.
void AlternativeUpdate::Handshake()
{
    const int32_t leadByte = GuardedOr<int32_t>(0, [this] { return image_.ByteAt(entry_.Start); });
    for (const int32_t byte : {leadByte - 1, int32_t{Protocol::HandshakeSecond},
                               int32_t{Protocol::HandshakeThird}}) {
        link_.wait(HandshakePauseTicks);
        Guarded([&] { link_.send(byte); });
    }
    link_.wait(HandshakeEndTicks);
}

// Streams the payload without waiting for any answer. The stream stops at the first position
// past the image, wherever that falls: a last block that is not full goes without its checksum,
// and after a full last block its successor's number still goes out.
bool AlternativeUpdate::SendBlocks()
{
    const int32_t blockSize = BlockSizeOf(entry_.Type);
    int64_t position = entry_.Start + 1;
    for (int32_t blockNumber = 0;; blockNumber = (blockNumber + 1) & Protocol::BlockNumberMask) {
        if (Module_DU::State().StopUpdate)
            return false;
        const QByteArray payload = ReadPayload(position, blockSize);
        position += payload.size();
        const bool full = payload.size() == blockSize;
        SendFrame(BlockFrame(blockNumber, payload), full);
        if (!full)
            return true;
        view_.SetProgress(static_cast<float>(position - entry_.Start) * PercentScale
                          / static_cast<float>(entry_.Length));
        link_.wait(BlockPauseTicks);
    }
}

// Up to blockSize bytes after position, none past the image. A byte that cannot be read goes
// as 0, so the blocks after it keep their framing.
QByteArray AlternativeUpdate::ReadPayload(int64_t position, int32_t blockSize) const
{
    const int64_t last = std::min(position + blockSize, entry_.Start + entry_.Length - 1);
    QByteArray payload;
    for (int64_t at = position + 1; at <= last; ++at)
        payload.append(static_cast<char>(GuardedOr<uint8_t>(0, [&] { return image_.ByteAt(at); })));
    return payload;
}

// Byte by byte; window events run after each payload byte.
void AlternativeUpdate::SendFrame(const QByteArray &frame, bool withChecksum)
{
    const qsizetype checksumIndex = frame.size() - 1;
    for (qsizetype i = 0; i < checksumIndex; ++i) {
        const auto byte = static_cast<uint8_t>(frame.at(i));
        Guarded([&] { link_.send(byte); });
        if (i > 0)
            QCoreApplication::processEvents();
    }
    if (withChecksum)
        Guarded([&] { link_.send(static_cast<uint8_t>(frame.back())); });
}

// Every failure here is ignored: whatever can still be closed is closed.
void AlternativeUpdate::CloseDown()
{
    file_.Close();
    Guarded([this] { link_.LineOff(); });
    if (GuardedOr(false, [this] { return link_.ClosePort(); }))
        view_.AddInfoLine(PortClosed);
    view_.SetButtonsEnabled(true);
}
