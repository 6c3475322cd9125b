#pragma once
// The update page's second, simpler way to update a decoder, the handler of its hidden
// "Alternative Updatemethode": it finds the decoder by probing the IDs 200 to 209, looks the
// answering ID up in a fixed-width index, asks once, and streams the image block by block with
// fixed pauses, never waiting for an answer. Its lines are fixed German texts.
//
// It neither measures the burst timing nor sends a preamble, and it does not switch an adapter
// into its update-box mode: an adapter serves only while the mode the port page's detection
// switched on is still on. Steps without a failure path of their own run guarded (GuardedStep.h):
// a run-time error there is logged and the run goes on.

#include "history/UpdateRecord.h"
#include "software/IndexEntry.h"
#include "update/AttemptRecorder.h"
#include "update/ImageFile.h"
#include "update/UpdateImage.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

class UpdateLink;
class UpdateView;

// How a run ended; tobrik-cli turns it into its exit status.
enum class AlternativeOutcome {
    Completed,      // "Übertragung abgeschlossen"
    PortNotOpened,  // "Fehler beim Öffnen der Com-Schnittstelle"
    NoAnswer,       // "Dekoder antwortet nicht"
    FileNotOpened,  // "Datei läßt sich nicht öffnen"
    FileInvalid,    // "Softwarefile ist ungültig"
    DecoderUnknown, // the answering ID is not in the index
    WrongImage,     // the image's ID byte names another decoder
    ImageUnusable,  // the image holds no whole block, or runs past the file's end
    Declined,       // the user answered No
    Stopped,        // the user asked to stop during the transfer
};

class AlternativeUpdate {
public:
    // Sends through link (the page's serial component and tick timer), shows itself in view.
    AlternativeUpdate(UpdateView &view, UpdateLink &link);

    // One whole run. The view's buttons are disabled from its start to its end; window events
    // run inside its waits and after each payload byte.
    AlternativeOutcome Run();

    // The history record of the last run; empty before the first.
    const std::optional<UpdateRecord> &LastRecord() const;

    // Payload bytes per block: 64 for TYPE 2, 32 for every other type.
    static int32_t BlockSizeOf(int32_t type);

private:
    AlternativeOutcome RunUntilCloseDown();
    QString OpenPort(); // why the port did not open; empty when it did
    bool FindDecoder();
    bool Probe(int32_t id);
    void SendWakeUp();
    std::optional<AlternativeOutcome> LookUpImage();
    bool ImageIsForDecoder();
    bool ImageUsable();
    AlternativeOutcome Transfer();
    void Handshake();
    bool SendBlocks(); // false when the user asked to stop
    QByteArray ReadPayload(int64_t position, int32_t blockSize) const;
    void SendFrame(const QByteArray &frame, bool withChecksum);
    void CloseDown();

    UpdateView &view_;
    UpdateLink &link_;
    ImageFile file_;
    UpdateImage image_;

    std::optional<AttemptRecorder> attempt_; // while a run lasts
    std::optional<UpdateRecord> lastRecord_;

    // This run's decoder and its index entry.
    int32_t probeId_ = 0;
    IndexEntry entry_;
};
