#pragma once
// Finds out which programmer sits on which port, on the port page's serial component MSComm2.
// The adapter answers "FLINT_EIN" + CR with "OK" + CR; the update box answers the end of a
// 100 ms pulse on control line 1 with a status byte whose bit 0 is 0 and bit 6 is 1. All
// results land in the shared state (SelectedPort, AdapterActive), the page state and the log.

#include "port/ByteBits.h"
#include "port/PortPageState.h"

#include <QByteArray>
#include <QObject>
#include <cstdint>
class QTimer;
class SComm;

class PortDetection : public QObject {
    Q_OBJECT
public:
    PortDetection(PortPageState &page, QObject *parent = nullptr);

    // Lets window events run for timercntin ticks of 10 ms, or until the detection stops.
    void wait(int16_t timercntin);
    void LineOn();
    void LineOff();

    // Asks every existing port for an adapter; when none answers, for an update box; when
    // nothing answers, chooses the highest existing port.
    void DetectProgrammer();
    // Probes the port the user picked for an update box.
    void ProbeBox(int16_t port);
    // Switches an active adapter's update-box mode off and closes the port.
    void AdapterOff();

    // Leaving the page stops the detection until it is shown again: a running wait ends at once
    // and no probe opens a port, so the rest of a detection is abandoned. The close-down
    // (Exiting) stops it for good. Switching an adapter off is not a probe and still runs.
    void Halt();
    void Resume();
    bool Stopped() const;

    bool PortOpen() const;
    SComm &Comm();

    bool BoxFound = false;
    int16_t AdapterPort = 0;
    ByteBitArray ByteBits{};

private:
    void Timer1_Timer();
    void MSComm2_OnComm();
    void ProbeAdapterOn(int16_t port);
    void ProbeBoxOn(int16_t port);
    // The pulse on line 1 and the read of what came back; true when the box answered.
    bool PulseAndReadStatus();
    void ReadIntoReceiveBuffer();
    uint8_t LastReceivedByte() const;
    bool BoxAnswered();
    void MarkFound(int16_t port, PortKinds kind, const QString &logLine);
    bool SkipBluetooth(int16_t port);
    void OpenProbePort();
    void OpenForProbe();
    void ClosePort();

    PortPageState &page_;
    QTimer *Timer1;
    SComm *MSComm2;
    QByteArray receiveBuffer_;
    int16_t waitCountdown_ = 0;
    bool waitTimedOut_ = false;
    bool halted_ = false;
};
