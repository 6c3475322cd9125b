#pragma once
// The serial back end of a simulated port: the program's writes and line changes go to the
// model, the model's answers wait in a receive buffer until the program reads them. Answers
// arrive at once, without the delays of a real line.

#include "port/SerialDevice.h"

#include <memory>

class SimDevice;

class SimSerialDevice : public SerialDevice {
    Q_OBJECT
public:
    explicit SimSerialDevice(std::shared_ptr<SimDevice> model);
    ~SimSerialDevice() override;

    void Open(int bufferSize) override;
    void Close() override;
    void Configure(const LineSettings &settings) override;
    void SetLines(bool line1, bool line2) override;
    void SetFlowControl(bool requestToSend) override;
    qint64 BytesWaiting() const override;
    QByteArray Read(qint64 maxBytes) override;
    void Write(const QByteArray &bytes) override;
    void DiscardInput() override;

private:
    // A model unplugged while open fails every operation, as a vanished USB device does.
    void CheckPlugged() const;
    void Arrive(const QByteArray &bytes);

    std::shared_ptr<SimDevice> model_;
    QByteArray received_;
    int bufferSize_ = 0;
    bool open_ = false;
};
