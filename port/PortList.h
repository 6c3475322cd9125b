#pragma once
// The port page's list of COM1..COM32 and its scan: Timer2 rescans the ports about once a
// second and, whenever the number of existing ports changes, runs the detection again. A click
// on an entry chooses that port, probing it first unless it is marked as an adapter port.

#include "port/PortPageState.h"

#include <QObject>

class PortDetection;
class QTimer;

class PortList : public QObject {
    Q_OBJECT
public:
    explicit PortList(PortView &view, QObject *parent = nullptr);

    // The port list's part of the start-up in one call, for tobrik-cli, tests and benchmarks:
    // ResetProgrammerState, FillPortList, StartScanning. The page runs the three apart, with
    // its texts and language menu between the first and the second.
    void Start();

    // Start-up: the programmer flags and the click suppression cleared.
    void ResetProgrammerState();
    // Start-up: COM1..COM32, COM1 selected by the program.
    void FillPortList();
    // Start-up: the scan flags cleared, the first scan in 100 ms.
    void StartScanning();

    void ScanPorts();
    void List1_Click(int index);

    // Next: no more scans, and a running detection is abandoned. Back starts scanning again.
    void LeavePage();
    void ResumeScan();
    // The close-down and tobrik-cli: no more scans.
    void StopTimers();

    PortDetection &Detection();
    const PortPageState &State() const;

signals:
    // A scan started by Timer2 has ended.
    void TimerScanEnded();
    // Timer2 found the program closing: the page is to unload.
    void UnloadRequested();

private:
    void Timer2_Timer();
    void UpdateEntry(int port, const QString &text, const QString &device);
    void ChoosePort(int port);

    QTimer *Timer2;
    PortPageState page_;
    PortDetection *detection_;
    // A detection cut short leaves the count unknown, so the next scan detects again.
    static constexpr int16_t UnknownPortCount = -1;
    int16_t portCount_ = 0;
    bool timerScan_ = false;
    bool clickProbe_ = false;
};
