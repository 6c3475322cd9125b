#pragma once
// A pseudo-terminal with a simulated device on its controlling side: a program opens the other
// side (Path) as a serial port and talks to the device, as tobrik-cli simulate offers it. A
// pseudo-terminal has no control lines, so the device never sees line 1 rise.
//
// The device is connected while a program holds the terminal open and disconnected when the
// program closes it; the link then waits for the next opening. When the device is unplugged,
// the pseudo-terminal goes away with it. Unix only.

#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

class QSocketNotifier;
class SimDevice;

class PtyLink : public QObject {
    Q_OBJECT
public:
    explicit PtyLink(std::shared_ptr<SimDevice> model, QObject *parent = nullptr);
    ~PtyLink() override;

    // Creates the pseudo-terminal, in raw mode; false with the reason in *error when the system
    // refuses.
    bool Open(QString *error);
    // The device a program opens, such as /dev/pts/5; empty before Open.
    QString Path() const;

private:
    void WatchForOpening();
    void ReadAvailable();
    void LinkOpened();
    void LinkClosed();
    void Send(const QByteArray &bytes);
    void Vanish();

    std::shared_ptr<SimDevice> model_;
    int controller_ = -1;
    QString path_;
    std::unique_ptr<QSocketNotifier> notifier_;
    QTimer openingWatch_;
    bool linkOpen_ = false;
};
