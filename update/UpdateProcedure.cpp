#include "update/UpdateProcedure.h"

#include "app/LanguageTexts.h"
#include "app/Log.h"
#include "app/Module_DU.h"
#include "port/Protocol.h"
#include "port/SComm.h"
#include "software/DecoderLookup.h"
#include "update/Calibration.h"
#include "update/FixedInfoLines.h"
#include "update/GuardedStep.h"
#include "update/InventedImage.h"
#include "update/TextNumber.h"
#include "update/UpdateView.h"

#include <QCoreApplication>
#include <chrono>
#include <thread>

namespace {
using namespace Protocol::Update;

// Entry index (counting from 1) of ChosenDecoders.
QString ChosenText(int index)
{
    const QStringList &chosen = Module_DU::State().ChosenDecoders;
    if (index < 1 || index > chosen.size())
        throw UpdateError::SubscriptOutOfRange();
    return chosen.at(index - 1);
}

int32_t ChosenId(int index)
{
    bool converted = false;
    const int32_t id = ChosenText(index).trimmed().toInt(&converted);
    if (!converted)
        throw UpdateError::TypeMismatch();
    return id;
}

QString BooleanText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

// A floating-point number as text: up to 15 significant digits, no trailing zeros.
QString FloatText(double value)
{
    constexpr int SignificantDigits = 15;
    return QString::number(value, 'g', SignificantDigits);
}

// Lets time pass without letting any window event run, and without spinning.
void SleepUntilElapsed(int64_t since, int64_t milliseconds)
{
    for (;;) {
        const int64_t elapsed = MillisecondClock() - since;
        if (elapsed >= milliseconds)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds - elapsed));
    }
}

// An image our generator invented goes to the simulator only, never to a real decoder.
bool ImageMayGoToPort(UpdateView &view, const UpdateImage &image, const IndexEntry &entry, int com)
{
    if (!InventedImage::HeldBackFrom(image, com))
        return true;
    view.AddInfoLine(Text(TextId::InventedImageRefused));
    Log::Line(QStringLiteral("Invented image of %1 held back from COM%2").arg(entry.Name).arg(com));
    return false;
}

// Every end before the transfer reads as failed here; the recorder tells a declined question.
AttemptResult AttemptResultOf(UpdateOutcome outcome)
{
    switch (outcome) {
    case UpdateOutcome::Finished:
        return AttemptResult::Finished;
    case UpdateOutcome::FinishedUnconfirmed:
        return AttemptResult::Unconfirmed;
    default:
        return AttemptResult::Failed;
    }
}
} // namespace

UpdateProcedure::UpdateProcedure(UpdateView &view)
    : view_(view), link_(view), transfer_(link_, view),
      timeBursts_([this](int32_t loopCount) { return TimeBursts(loopCount); })
{
}

UpdateLink &UpdateProcedure::Link()
{
    return link_;
}

void UpdateProcedure::SetBurstTimer(BurstTimer timer)
{
    timeBursts_ = std::move(timer);
}

UpdateOutcome UpdateProcedure::Run()
{
    const auto &state = Module_DU::State();
    Log::Line(QString());
    Log::Line(QStringLiteral("--- Update Start ---"));
    if (state.SoftwareFilePath.isEmpty()) {
        view_.GoBack();
        return UpdateOutcome::WentBack;
    }
    attempt_.emplace(view_, UpdateMethod::Main);
    const UpdateOutcome outcome = RunAttempt();
    lastRecord_ = attempt_->Finish(AttemptResultOf(outcome));
    attempt_.reset();
    return outcome;
}

const std::optional<UpdateRecord> &UpdateProcedure::LastRecord() const
{
    return lastRecord_;
}

// From the first check to the end step.
UpdateOutcome UpdateProcedure::RunAttempt()
{
    const auto &state = Module_DU::State();
    view_.SetButtonsEnabled(false);
    view_.ClearInfoLines();
    if (!NumbersInRange()) {
        view_.SetButtonsEnabled(true);
        return UpdateOutcome::EndedBeforeTransfer;
    }
    Log::Line(QStringLiteral("Öffne Port ") + state.SelectedPort);
    const UpdateOutcome outcome = RunWithPortOpen();
    End();
    return outcome;
}

namespace {
// What the number boxes may hold. A preamble needs its 4 pairs (the box's label says so), and
// its bursts run without any window event, so its length is capped at a few seconds; a timing
// target beyond a second makes each of the calibration's 21 tries take that long or longer.
// A target of 0 asks for the fastest bursts the PC makes.
constexpr int32_t FewestPreamblePairs = 4;
constexpr int32_t MostPreamblePairs = 10000;
constexpr double ShortestTimingTargetMs = 0;
constexpr double LongestTimingTargetMs = 1000;

// The count as the procedure reads it; one beyond 32 bits is out of any range.
bool CountInRange(const QString &text, int32_t lowest, int32_t highest)
{
    try {
        const int32_t count = TextNumber::Count(text);
        return count >= lowest && count <= highest;
    } catch (const UpdateError &) {
        return false;
    }
}

// The line that refuses a box's value: the box's text and the range it takes.
QString RangeLine(TextId box, double lowest, double highest)
{
    return Text(box) + QStringLiteral(" %1-%2").arg(lowest).arg(highest);
}
} // namespace

// Refuses, with a line for each, numbers that would keep the window from its events for long.
// The preamble count is the box's only where it is read: blind, it is fixed.
bool UpdateProcedure::NumbersInRange()
{
    bool inRange = true;
    if (!view_.Blind()
        && !CountInRange(view_.PreambleText(), FewestPreamblePairs, MostPreamblePairs)) {
        view_.AddInfoLine(RangeLine(TextId::PreambleOutOfRange, FewestPreamblePairs,
                                    MostPreamblePairs));
        inRange = false;
    }
    const double targetMs = TextNumber::LeadingNumber(view_.TimingTargetText());
    if (!(targetMs >= ShortestTimingTargetMs && targetMs <= LongestTimingTargetMs)) {
        view_.AddInfoLine(RangeLine(TextId::TimingOutOfRange, ShortestTimingTargetMs,
                                    LongestTimingTargetMs));
        inRange = false;
    }
    return inRange;
}

// From opening the port to the end of the transfer; every way out leads to End.
UpdateOutcome UpdateProcedure::RunWithPortOpen()
{
    if (!OpenPort())
        return UpdateOutcome::EndedBeforeTransfer;
    if (Module_DU::State().AdapterActive)
        WakeAdapter();
    SwitchToBinaryInput();
    ReadNumbers();
    link_.LoadBurstBytes();
    Log::Line(QStringLiteral("Timing messen. Soll=") + view_.TimingTargetText());
    CalibrateTiming();
    Log::Line(QStringLiteral("Timing ok = ") + BooleanText(timingOk_));
    Log::Line(QStringLiteral("Timing    = %1").arg(loopCount_));
    Guarded([this] { link_.LineOn(); });
    link_.wait(LineSettleTicks);
    SendPreamble();
    if (!view_.Blind())
        view_.AddInfoLine(Text(TextId::ConnectingToDecoder));
    if (!SearchDecoder() || !LookUpImage() || !ImageIsForDecoder() || !ImageTypeSupported()
        || !ImageHoldsWholeBlock() || !ImageLiesInFile()
        || !ImageMayGoToPort(view_, image_, entry_, link_.Comm().portnumber()) || !UserAgrees())
        return UpdateOutcome::EndedBeforeTransfer;
    return Transfer();
}

bool UpdateProcedure::OpenPort()
{
    const QString &port = Module_DU::State().SelectedPort;
    SComm &comm = link_.Comm();
    const QString failure = FailureOf([&] {
        comm.setOverlappedio(false);
        comm.setSettings(Protocol::UpdateLineSettings);
        comm.setHandshake(SComm::comNone);
        comm.setRxthreshold(Protocol::ReceiveThresholdBytes);
        comm.setReadlen(SComm::ReadAllWaiting);
        comm.setCtrlline1(false);
        comm.setCtrlline2(false);
        comm.setPortnumber(SelectedPortNumber());
        comm.setInputmode(SComm::comInputModeText);
        comm.setPortopen(true);
    });
    if (!failure.isEmpty()) {
        view_.AddInfoLine(Text(TextId::ErrorOpeningPort));
        for (const QString &line : PortNotOpenedLines(failure))
            view_.AddInfoLine(line);
        Log::Line(QStringLiteral("Error open Port"));
        return false;
    }
    Log::Line(QStringLiteral("Port ") + port + QStringLiteral(" geöffnet"));
    return true;
}

// The adapter's update-box mode: the command, with a pause on either side.
void UpdateProcedure::WakeAdapter()
{
    link_.wait(AdapterPauseTicks);
    Guarded([this] { link_.Comm().output(Protocol::AdapterOnCommand + Protocol::CommandEnd); });
    link_.wait(AdapterPauseTicks);
}

// Whatever waits is dropped; from now on every reply is read as bytes, one byte per read.
// Each write is a step of its own: one that fails does not keep the others from running.
void UpdateProcedure::SwitchToBinaryInput()
{
    SComm &comm = link_.Comm();
    Guarded([&] { comm.input(); });
    Guarded([&] { comm.setReadlen(SComm::ReadOneByte); });
    view_.AddInfoLine(Text(TextId::PortOpened));
    Guarded([&] { comm.setInputmode(SComm::comInputModeBinary); });
}

void UpdateProcedure::ReadNumbers()
{
    // The preamble's box was checked before the port was opened, and is locked since.
    preambleCount_ = 0;
    loopCount_ = 0;
    Guarded([this] {
        preambleCount_ = view_.Blind() ? BlindPreambleCount : TextNumber::Count(view_.PreambleText());
    });
    Guarded([this] { loopCount_ = TextNumber::Count(view_.TimingText()); });
    if (loopCount_ == 0)
        loopCount_ = 1;
}

// Adjusts the loop count until 20 burst pairs take between the target and 1.5 x the target,
// 21 measurements at most; the last count is used either way.
void UpdateProcedure::CalibrateTiming()
{
    timingOk_ = false;
    for (int32_t tryCounter = 0;; ++tryCounter) {
        int64_t measured = timeBursts_(loopCount_);
        Log::Line(QStringLiteral("Try=%1 : Counter=%2 : Zeit=%3")
                      .arg(tryCounter)
                      .arg(loopCount_)
                      .arg(measured));
        const double target = TextNumber::LeadingNumber(view_.TimingTargetText());
        timingOk_ = Calibration::TimingOk(measured, target);
        Guarded([&] { measured = Calibration::RaisedMeasurement(measured, target); });
        if (!timingOk_) {
            Guarded([&] {
                loopCount_ = Calibration::NewLoopCount(loopCount_, target, measured);
                view_.SetTimingText(QString::number(loopCount_));
                QCoreApplication::processEvents();
            });
        }
        if (timingOk_ || tryCounter >= Calibration::LastTry)
            return;
    }
}

int64_t UpdateProcedure::TimeBursts(int32_t loopCount)
{
    const int64_t start = MillisecondClock();
    Guarded([&] { link_.SendBurstPairs(Calibration::MeasuredPairs, loopCount); });
    return MillisecondClock() - start;
}

// The time logged is that of 20 pairs, for comparison with the calibration's target.
void UpdateProcedure::SendPreamble()
{
    const int64_t start = MillisecondClock();
    SleepUntilElapsed(start, PreambleLeadMs);
    Guarded([this] { link_.SendBurstPairs(preambleCount_, loopCount_); });
    const int64_t end = MillisecondClock();
    const double perMeasuredPairs =
        static_cast<double>(end - start) * Calibration::MeasuredPairs / preambleCount_;
    Log::Line(QStringLiteral("Preamble gesendet. Anz.=%1 Zeit=").arg(preambleCount_)
              + FloatText(perMeasuredPairs) + QStringLiteral("ms"));
}

// Sends each chosen ID and takes the first that is acknowledged; blind, the first ID is taken
// without waiting for an answer.
bool UpdateProcedure::SearchDecoder()
{
    int32_t rounds = SearchRounds;
    int index = 1;
    for (;;) {
        Guarded([&] { decoderId_ = ChosenId(index); });
        Guarded([this] { link_.DropWaiting(); });
        link_.DataReceived = false;
        Guarded([&] { Log::Line(QStringLiteral("Suche Decoder ID: ") + ChosenText(index)); });
        Guarded([&] { link_.send(ChosenId(index)); });
        if (view_.Blind())
            return true;
        Guarded([this] { link_.AwaitReply(SearchReplyTicks, Protocol::SearchTickMs); });
        if (GuardedOr(false, [&] { return ReplyAcknowledges(index); }))
            return true;
        // A reply that comes after the wait must not be taken for the next ID's.
        if (!link_.DataReceived)
            Guarded([this] { link_.AwaitLateReply(SearchReplyTicks, Protocol::SearchTickMs); });
        if (index < Module_DU::State().ChosenDecoders.size()) {
            ++index;
            continue;
        }
        index = 1;
        if (--rounds == 0) {
            view_.AddInfoLine(Text(TextId::ConnectionFailed));
            return false;
        }
    }
}

bool UpdateProcedure::ReplyAcknowledges(int index)
{
    if (!link_.DataReceived) {
        Log::Line(QStringLiteral("Keine Antwort von ID:") + ChosenText(index));
        return false;
    }
    Log::Line(QStringLiteral("Antwort von ID ") + ChosenText(index));
    link_.bufferinbin();
    if (link_.Acknowledged())
        return true;
    view_.AddInfoLine(Text(TextId::CorruptAck));
    return false;
}

// Opens the software file, finds the entry of the decoder that answered in its index, lists
// what was found and reads the image: from here on the file is not read again.
bool UpdateProcedure::LookUpImage()
{
    attempt_->DecoderAnswered(decoderId_);
    if (!file_.Open(Module_DU::State().SoftwareFilePath)) {
        view_.AddInfoLine(Text(TextId::FileCannotBeOpened));
        Log::Line(QStringLiteral("File open error"));
        return false;
    }
    const LookupResult lookup = LookupDecoder(file_.Device(), decoderId_);
    switch (lookup.Outcome) {
    case LookupOutcome::Malformed:
        view_.AddInfoLine(Text(TextId::SoftwareFileCorrupt));
        return false;
    case LookupOutcome::Absent:
        for (const QString &line : FixedInfoLines::UnknownDecoder())
            view_.AddInfoLine(line);
        return false;
    case LookupOutcome::Found:
        break;
    }
    entry_ = lookup.Entry;
    image_ = UpdateImage::Read(file_, entry_);
    const std::optional<int32_t> blockSize = BlockTransfer::BlockSizeOf(entry_.Type);
    attempt_->ImageFound(entry_, blockSize ? std::optional<int64_t>(image_.WholeBlocks(*blockSize))
                                           : std::nullopt);
    if (view_.Blind()) {
        view_.AddInfoLine(entry_.Name + QLatin1Char(' ') + Text(TextId::ProgrammedWithoutAck));
    } else {
        view_.AddInfoLine(entry_.Name + QLatin1Char(' ') + Text(TextId::Found));
        Log::Line(entry_.Name + QStringLiteral(" gefunden"));
    }
    return true;
}

// The image's second byte names the decoder it is made for. One that cannot be read (its
// description is logged) is no proof either, so nothing is sent then.
bool UpdateProcedure::ImageIsForDecoder()
{
    int32_t imageId = -1; // no byte reads as this
    Guarded([&] { imageId = image_.ByteAt(entry_.Start + 1); });
    if (imageId == decoderId_)
        return true;
    for (const QString &line : FixedInfoLines::WrongImage())
        view_.AddInfoLine(line);
    return false;
}

// Only images of the two block sizes can be sent; a KT decoder's image (TYPE 3) is not.
bool UpdateProcedure::ImageTypeSupported()
{
    if (BlockTransfer::BlockSizeOf(entry_.Type))
        return true;
    view_.AddInfoLine(QStringLiteral("Bildtyp %1 wird nicht unterstützt").arg(entry_.Type));
    return false;
}

// The handshake erases the decoder: an image without one whole block to send is refused before.
bool UpdateProcedure::ImageHoldsWholeBlock()
{
    if (image_.WholeBlocks(*BlockTransfer::BlockSizeOf(entry_.Type)) > 0)
        return true;
    view_.AddInfoLine(Text(TextId::NoWholeBlock));
    Log::Line(QStringLiteral("The image of %1 is %2 bytes long").arg(entry_.Name).arg(entry_.Length));
    return false;
}

// A file that ends inside the image would have the transfer send what it never read and report
// it finished; it is refused as corrupt before anything is sent.
bool UpdateProcedure::ImageLiesInFile()
{
    if (image_.Complete())
        return true;
    view_.AddInfoLine(Text(TextId::SoftwareFileCorrupt));
    Log::Line(QStringLiteral("Software file ends inside the image of %1").arg(entry_.Name));
    return false;
}

// Asked unless one of the two options is set.
bool UpdateProcedure::UserAgrees()
{
    if (view_.NoQuery() || view_.Blind())
        return true;
    if (view_.AskYesNo(Text(TextId::DecoderFound),
                       entry_.Name + QLatin1Char(' ') + Text(TextId::FoundWouldYouUpdate)))
        return true;
    attempt_->QuestionDeclined();
    return false;
}

UpdateOutcome UpdateProcedure::Transfer()
{
    if (!view_.Blind())
        view_.AddInfoLine(Text(TextId::UpdateInProgress));
    view_.SetInfoColour(InfoColour::Sending);
    const TransferEnd end = transfer_.Run(image_, *BlockTransfer::BlockSizeOf(entry_.Type));
    // Blind, nothing is awaited, so nothing is confirmed.
    attempt_->BlocksAcknowledged(view_.Blind() ? 0 : transfer_.BlocksAcknowledged());
    switch (end) {
    case TransferEnd::Finished:
        return UpdateOutcome::Finished;
    case TransferEnd::FinishedUnconfirmed:
        return UpdateOutcome::FinishedUnconfirmed;
    case TransferEnd::Failed:
        break;
    }
    return UpdateOutcome::Failed;
}

// Every failure here is ignored: whatever can still be closed is closed.
void UpdateProcedure::End()
{
    file_.Close();
    Guarded([this] { link_.LineOff(); });
    if (GuardedOr(false, [this] { return link_.ClosePort(); }))
        view_.AddInfoLine(Text(TextId::PortClosed));
    view_.SetButtonsEnabled(true);
}
