#pragma once
// A device that never stops sending: while the port is open it sends its pattern every 10 ms,
// as a broken device or one at the wrong baud rate would.

#include "sim/SimDevice.h"

#include <QTimer>

class SimNoise : public SimDevice {
    Q_OBJECT
public:
    explicit SimNoise(const QString &description = QStringLiteral("Simulated noisy port"));

    void SetPattern(const QByteArray &pattern);

    void Connect() override;
    void Disconnect() override;

private:
    QByteArray pattern_ = QByteArrayLiteral("\xA5\x13garbage\xFF");
    QTimer timer_;
};
