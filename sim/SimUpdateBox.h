#pragma once
// The update box: it answers no command. A pulse on control line 1 wakes it, and at the end of
// the pulse it sends its status byte (0x40 when all is well). While line 1 is raised it is the
// way to the programming track: bytes the program sends then go to the decoder on the track, if
// one sits there, and its replies come back. Line 1 falling and the port closing make the
// decoder wait for a preamble again.

#include "port/Protocol.h"
#include "sim/SimDevice.h"

#include <memory>

class SimDecoder;
struct SimDecoderSettings;

class SimUpdateBox : public SimDevice {
    Q_OBJECT
public:
    explicit SimUpdateBox(const QString &description = QStringLiteral("Simulated update box"));
    ~SimUpdateBox() override;

    // The bytes sent at the end of each pulse; several bytes play a box that chatters.
    void SetStatus(const QByteArray &status);
    // Puts a decoder on the track, in place of any before it.
    void AttachDecoder(const SimDecoderSettings &settings);
    // The decoder on the track, nullptr when there is none.
    SimDecoder *Decoder() const;

    void Disconnect() override;
    void Receive(const QByteArray &bytes) override;
    void SetLines(bool line1, bool line2) override;
    bool Line1Raised() const;

protected:
    // Whether a pulse is answered now; the adapter answers only in its update-box mode.
    virtual bool AnswersPulse() const;
    // Whether bytes from the program go on to the track now.
    virtual bool TrackOpen() const;

private:
    QByteArray status_ = QByteArray(1, static_cast<char>(Protocol::BoxReadyStatus));
    bool line1_ = false;
    std::unique_ptr<SimDecoder> decoder_;
};
