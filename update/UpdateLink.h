#pragma once
// The update page's link to the programmer: its serial component MSComm2 and tick timer
// Timer2, and the small operations the update procedures are built on. Every wait lets window
// events run and sleeps until the next one; it never spins. Only the burst pairs spin, by
// design: their spacing is a counted empty loop.

#include "port/ByteBits.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <cstdint>

class QTimer;
class SComm;
class UpdateView;

// Milliseconds of a monotonic clock; only differences mean something.
int64_t MillisecondClock();

// The COM number SelectedPort names; throws UpdateError::NoPortChosen when it names none.
int SelectedPortNumber();

// The info lines that follow a procedure's own "port not opened" line: the device and why it
// did not open (reason, as the failure describes it), then what the user can try.
QStringList PortNotOpenedLines(const QString &reason);

class UpdateLink : public QObject {
    Q_OBJECT
public:
    // The options are read from view (waitack programs blind when Check2 is checked).
    explicit UpdateLink(const UpdateView &view, QObject *parent = nullptr);

    SComm &Comm();

    // Sends one byte (0..255; anything else throws UpdateError::Overflow before anything is
    // sent) and clears DataReceived.
    void send(int32_t sendin);
    // Lets window events run for timercntin ticks of 10 ms, or until the program is closing.
    void wait(int32_t timercntin);
    // Whether anything arrived within 10 ticks after the last send; true at once when blind.
    bool waitack();
    // Waits up to ticks ticks of tickMs for a reply, taking every byte that arrives; leaves as
    // soon as DataReceived is set. A reply that is already waiting is taken without a sleep.
    void AwaitReply(int32_t ticks, int tickMs);
    // Drops whatever waits on the port, so that no byte that answered an earlier write is taken
    // for the answer to the next one.
    void DropWaiting();
    // After a reply wait that ran out: waits up to ticks ticks of tickMs more for the late
    // reply, which stays waiting for the next DropWaiting. Returns as soon as a byte waits.
    void AwaitLateReply(int32_t ticks, int tickMs);
    // The receive handler: takes every waiting byte, one per read, and logs each.
    void MSComm2_OnComm();
    // Splits RxBytes(0) into ByteBits 0..7.
    void bufferinbin();
    // The acknowledge test on ByteBits: bit 0 clear, bit 3 set, bit 6 clear.
    bool Acknowledged() const;
    void LineOn();
    void LineOff();
    // Closes the port when it is open; whether it was.
    bool ClosePort();

    // Timer2 stops; the page does this when it is unloaded.
    void StopTimer();

    // Buffer A takes 0xEF and buffer B 0xBF for the bursts.
    void LoadBurstBytes();
    // pairs x (buffer A, the counted loop, buffer B, the counted loop). No events run meanwhile.
    void SendBurstPairs(int32_t pairs, int32_t loopCount);

    bool timerflag = false;
    int32_t timercnt = 0;
    bool DataReceived = false;
    QVariant RxValue;
    QByteArray RxBytes;
    ByteBitArray ByteBits{};

private:
    void Timer2_Timer();
    void StartTimer(int32_t ticks, int tickMs);
    bool Blind() const;

    const UpdateView &view_;
    QTimer *Timer2;
    SComm *MSComm2;
    QByteArray bufferA_; // one byte each: what send and the bursts write
    QByteArray bufferB_;
};
