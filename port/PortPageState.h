#pragma once
// What the port scan and the programmer detection share on the port page: the existing ports,
// what is known about each, the port list, its programmatic-selection flag and the scan timer.

#include "port/PortMap.h"

#include <QStringList>
#include <array>
#include <cstdint>

class PortView;
class QTimer;

// What is known of the programmer behind a port.
enum class PortKinds : int16_t {
    Nothing = 0, // nothing known
    Box = 1,     // the update box
    Adapter = 2, // the adapter (USB adapter or hand controller)
};

class PortPageState {
public:
    PortPageState(PortView &view, QTimer &scanTimer);

    PortView &View();

    // "COM3", "COM3 - exists", "COM3 - QXFLINT", "COM3 - QXBRISK/QXHALDA".
    static QString AbsentEntryText(int port);
    static QString EntryText(int port, PortKinds kind);
    // A port exists when it has a description that does not name a Bluetooth link.
    static bool Exists(const QString &description);
    static bool IsBluetooth(const QString &description);

    void SetEntry(int port, const QString &text);
    // The program's own selection; the click it raises does nothing.
    void SelectProgrammatically(int index);
    bool ProgrammaticSelection() const;
    void ClearProgrammaticSelection();

    // Timer2. It is not started again once the program is closing or the page has been left.
    void EnableScanTimer();
    void DisableScanTimer();
    void SuspendScanning(bool suspended);

    QStringList ExistingPorts;                         // decimal numbers, ascending
    std::array<PortKinds, PortMap::PortCount + 1> PortKind{}; // by port number, index 0 unused

private:
    PortView &view_;
    QTimer &scanTimer_;
    bool programmaticSelection_ = false;
    bool suspended_ = false;
};
