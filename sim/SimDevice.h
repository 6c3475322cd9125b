#pragma once
// What stands at the far end of a simulated serial port. This base is a port with nothing
// attached: it takes every byte and never answers. The programmers derive from it.
//
// A simulated port can be unplugged and plugged again between scans, and can be busy (it
// exists but refuses to open), so tests can play what a user does with real ports.

#include "port/SerialBackEnds.h"

#include <QByteArray>
#include <QObject>
#include <QString>

class SimDevice : public QObject, public PortStandIn {
    Q_OBJECT
public:
    explicit SimDevice(const QString &description);

    QString Description() const override;
    void SetDescription(const QString &description);

    bool Busy() const;
    void SetBusy(bool busy);
    bool Plugged() const override;
    void Plug();
    // Emits Unplugged.
    void Unplug();

    // A program has opened the port, or closed it.
    virtual void Connect();
    virtual void Disconnect();
    bool Connected() const;
    // How often a program has opened the port since the device was made, for checks.
    int Connections() const;

    // Bytes the program writes, and the levels of its two control lines.
    virtual void Receive(const QByteArray &bytes);
    virtual void SetLines(bool line1, bool line2);
    // Whether the link has control lines at all; a pseudo-terminal has none, and then SetLines is
    // never called. This base does not care.
    virtual void SetControlLinesWired(bool wired);

    // Everything the program has written since the device was made, for checks.
    const QByteArray &Received() const;

signals:
    // Bytes the device sends towards the program.
    void Sent(const QByteArray &bytes);
    // The device has vanished, as a pulled-out USB device does.
    void Unplugged();

private:
    QString description_;
    QByteArray received_;
    bool busy_ = false;
    bool plugged_ = true;
    bool connected_ = false;
    int connections_ = 0;
};
