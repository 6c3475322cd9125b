// The serial component MSComm2 as both pages use it: its settings text, and a real
// pseudo-terminal that stops taking bytes and is then unplugged.
#include "SimPortRig.h"

#include "port/LineSettings.h"
#include "port/SComm.h"
#include "port/SerialError.h"

#include <QtTest>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

namespace {
// No more bytes for this long: everything in flight has arrived.
constexpr int QuietMs = 100;
// Far more than a pseudo-terminal holds while nobody reads it.
constexpr int OverfullWriteBytes = 1 << 20;

// A pseudo-terminal: the component opens its device end as COM3, the test plays the device on
// the other end. Closing that end is what a pulled-out USB adapter does to the port.
class PseudoTerminal {
public:
    PseudoTerminal()
        : controller_(posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK)),
          path_(controller_ >= 0 && grantpt(controller_) == 0 && unlockpt(controller_) == 0
                    ? QString::fromLatin1(ptsname(controller_))
                    : QString()),
          ports_("3=" + path_)
    {
    }
    ~PseudoTerminal() { CloseController(); }

    bool Ready() const { return !path_.isEmpty(); }
    QString Path() const { return path_; }
    void CloseController()
    {
        if (controller_ >= 0)
            close(controller_);
        controller_ = -1;
    }
    bool Send(const QByteArray &bytes) { return write(controller_, bytes.data(), bytes.size()) == bytes.size(); }

    // Reads until nothing more comes for QuietMs.
    QByteArray Drain()
    {
        QByteArray received;
        pollfd readable{controller_, POLLIN, 0};
        char buffer[4096];
        while (poll(&readable, 1, QuietMs) > 0) {
            const ssize_t read = ::read(controller_, buffer, sizeof buffer);
            if (read <= 0)
                break;
            received.append(buffer, read);
        }
        return received;
    }

private:
    int controller_;
    QString path_;
    SimPorts ports_;
};
} // namespace

class SerialComponentTest : public QObject {
    Q_OBJECT

private slots:
    void settingsText();
    void pseudoTerminalCarriesExchangeUntilUnplugged();
};

// The two pages' line settings; a mistyped one is refused rather than opened at another speed.
void SerialComponentTest::settingsText()
{
    using P = QSerialPort;
    QVERIFY(LineSettings::Parse("38400,N,8,1")
            == (LineSettings{38400, P::NoParity, P::Data8, P::OneStop}));
    QVERIFY(LineSettings::Parse("38400,N,8,2")
            == (LineSettings{38400, P::NoParity, P::Data8, P::TwoStop}));
    for (const char *bad : {"38400,N,8", "38400,X,8,1", "fast,N,8,1", "38400,N,9,1", "38400,N,8,3"})
        QVERIFY_THROWS_EXCEPTION(SerialError, SComm().setSettings(bad));
}

// A write the device does not take fails after a bounded wait, and what did not leave does not
// go out later in front of the next write. Once the device reads again, the port works again,
// until the device is gone: then writes and reads fail, and the port still closes.
void SerialComponentTest::pseudoTerminalCarriesExchangeUntilUnplugged()
{
    PseudoTerminal pty;
    QVERIFY(pty.Ready());
    SComm comm;
    comm.setPortnumber(3);
    QCOMPARE(comm.description(), "Serial port (" + pty.Path() + ")");
    comm.setSettings("38400,N,8,1");
    comm.setCtrlline1(false); // a pseudo-terminal has no control lines; that is no failure
    comm.setPortopen(true);
    QVERIFY_THROWS_EXCEPTION(SerialError, comm.output(QByteArray(OverfullWriteBytes, 'x')));

    pty.Drain();
    // Sent at once: no event loop runs before the device reads it.
    comm.output(QString("FLINT_EIN\r"));
    QCOMPARE(pty.Drain(), QByteArray("FLINT_EIN\r"));
    QVERIFY(pty.Send("OK\r"));
    QTRY_COMPARE(comm.incount(), 3);
    QCOMPARE(comm.input().toString(), QString("OK\r"));

    pty.CloseController();
    QVERIFY_THROWS_EXCEPTION(SerialError, comm.output(QString("FLINT_AUS\r")));
    QVERIFY_THROWS_EXCEPTION(SerialError, comm.input());
    comm.setPortopen(false);
    QVERIFY(!comm.portopen());
}

QTEST_MAIN(SerialComponentTest)
#include "test_serial_component.moc"
