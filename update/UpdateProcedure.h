#pragma once
// The update of one decoder, the handler of the update page's "Decoder updaten": open the port,
// wake an adapter, calibrate the burst timing, send the preamble, find which chosen decoder is
// on the track, look its image up and check it, ask the user, transfer the image, and close
// everything again. Every line the user sees goes to the view, the finer trace to the log.

#include "history/UpdateRecord.h"
#include "software/IndexEntry.h"
#include "update/AttemptRecorder.h"
#include "update/BlockTransfer.h"
#include "update/ImageFile.h"
#include "update/UpdateImage.h"
#include "update/UpdateLink.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

class UpdateView;

// How a run ended; tobrik-cli turns it into its exit status.
enum class UpdateOutcome {
    Finished,            // every block acknowledged (blind: sent)
    FinishedUnconfirmed, // the end reached, at most the last block or a short tail unconfirmed
    Failed,              // the transfer failed: more is missing
    EndedBeforeTransfer, // a failure before the transfer, or the user answered No
    WentBack,            // no software file is loaded: the page went back
};

class UpdateProcedure {
public:
    explicit UpdateProcedure(UpdateView &view);

    // One whole run. The view's buttons are disabled from the moment the port is opened until
    // everything is closed again; window events run inside its waits.
    UpdateOutcome Run();

    UpdateLink &Link();

    // The history record of the last run; empty before the first, and after a run that went
    // back for want of a software file (nothing was attempted).
    const std::optional<UpdateRecord> &LastRecord() const;

    // Sends 20 burst pairs with the given loop count and returns the milliseconds they took.
    // Tests put their own measurement here to play a PC of a given speed.
    using BurstTimer = std::function<int64_t(int32_t loopCount)>;
    void SetBurstTimer(BurstTimer timer);

private:
    UpdateOutcome RunAttempt();
    bool NumbersInRange();
    UpdateOutcome RunWithPortOpen();
    bool OpenPort();
    void WakeAdapter();
    void SwitchToBinaryInput();
    void ReadNumbers();
    void CalibrateTiming();
    void SendPreamble();
    bool SearchDecoder();
    bool ReplyAcknowledges(int index);
    bool LookUpImage();
    bool ImageIsForDecoder();
    bool ImageTypeSupported();
    bool ImageHoldsWholeBlock();
    bool ImageLiesInFile();
    bool UserAgrees();
    UpdateOutcome Transfer();
    void End();
    int64_t TimeBursts(int32_t loopCount);

    UpdateView &view_;
    UpdateLink link_;
    BlockTransfer transfer_;
    ImageFile file_;
    UpdateImage image_;
    BurstTimer timeBursts_;
    std::optional<AttemptRecorder> attempt_; // while a run lasts
    std::optional<UpdateRecord> lastRecord_;

    // Kept on the page from one run to the next.
    int32_t decoderId_ = 0;
    IndexEntry entry_;

    // This run's counts.
    int32_t preambleCount_ = 0;
    int32_t loopCount_ = 0;
    bool timingOk_ = false;
};
