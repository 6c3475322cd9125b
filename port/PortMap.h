#pragma once
// The COM number map: which device stands behind COM1..COM32 for this run of the program.
//
// Numbers are pinned first: by the environment variable TOBRIK_PORTS ("3=/dev/pts/4;7=sim:adapter")
// or, when it is not set, by the settings file's section Ports ("COM3=/dev/ttyUSB0"). When
// TOBRIK_PORTS is set, even to the empty text, it is the whole map. Otherwise every serial
// device the system lists gets the lowest free number the first time it is seen and keeps it
// until the program ends, so a user can tell the ports apart by number. On Windows a system
// port COMn keeps its own number n. A simulated pin ("sim:...") whose kind or key the simulator
// does not know is refused with a log line, and its number stays free.

#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <memory>

class PortStandIn;

// One serial device as the system lists it.
struct ListedPort {
    QString path;
    QString product;
    QString maker;
};

class PortMap {
public:
    static constexpr int PortCount = 32;

    static PortMap &Instance();

    // The COM number a user typed: "3", "COM3" or "com3"; 0 for anything else or a number
    // outside 1..PortCount.
    static int ComNumber(const QString &text);
    // Pins com to device in the settings file's section Ports, the rest of the file kept; false
    // when the file could not be written.
    static bool SavePin(int com, const QString &device);
    // Whether TOBRIK_PORTS is set, and so replaces the settings file's pins.
    static bool PinnedByEnvironment();

    // Forgets every number; the next refresh reads the pins again. This also happens by itself
    // when TOBRIK_PORTS or the settings file changes.
    void Reset();

    // Asks the system once for its serial devices and notes which ports are present now.
    void Refresh();
    // The same from a given list; Refresh passes the system's.
    void Update(const QList<ListedPort> &listed);

    // Names the device behind port com as of the last refresh; empty when it is absent.
    QString Description(int com) const;
    bool Present(int com) const;
    // A path, a "sim:" text, or empty when com has no device.
    QString Device(int com) const;
    // The stand-in behind a simulated port, nullptr for any other.
    std::shared_ptr<PortStandIn> Simulated(int com) const;
    // The number device has (pinned or listed), else the lowest free one, pinned to it until
    // the map is reset; 0 when every number is taken or the device is a refused "sim:" text
    // (origin names where it was written, for the refusal).
    int NumberFor(const QString &device, const QString &origin);
    // Puts a model made elsewhere (a test's own stand-in) behind com until the map is reset.
    void Attach(int com, std::shared_ptr<PortStandIn> model);
    // The pins the last reading of TOBRIK_PORTS or the settings file refused, one message each
    // naming the pin and what was not understood; each was also written to the log.
    const QStringList &Refusals() const;

private:
    struct Entry {
        QString device;
        std::shared_ptr<PortStandIn> simulated;
        QString description;
    };

    static QString PinSource();
    void LoadPins();
    // origin names where the pin was written, for the message of a refusal.
    void Pin(int com, const QString &device, const QString &origin);
    void Number(const ListedPort &port);
    int FreeNumber() const;
    int NumberOf(const QString &device) const;
    QString PresentDescription(const Entry &entry, const QList<ListedPort> &listed) const;

    std::array<Entry, PortCount + 1> entries_; // index 0 unused
    bool loaded_ = false;
    QString pinSource_;
    bool closed_ = false; // TOBRIK_PORTS names every port there is
    QStringList refusals_;
};
