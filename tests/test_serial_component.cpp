// The serial component MSComm2 as both pages use it: settings, text and byte input, the event
// code, failures, and both back ends (simulated and a real pseudo-terminal).
#include "SimPortRig.h"

#include "port/LineSettings.h"
#include "port/SComm.h"
#include "port/SerialError.h"

#include <QtTest>
#include <chrono>
#include <fcntl.h>
#include <limits>
#include <poll.h>
#include <stdlib.h>
#include <thread>
#include <unistd.h>

namespace {
// A reader that gets nothing for this long gives up.
constexpr int ReaderPatienceMs = 5000;
// No more bytes for this long: everything in flight has arrived.
constexpr int QuietMs = 100;
// Far more than a pseudo-terminal holds while nobody reads it.
constexpr int OverfullWriteBytes = 1 << 20;
// More than it holds, so the write has to wait for its reader.
constexpr int LongWriteBytes = 1 << 16;
constexpr std::chrono::milliseconds SlowReaderPause{1};

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

    // Reads until count bytes have come, or nothing comes for patienceMs; a slow reader pauses
    // after each read.
    QByteArray Receive(qsizetype count, int patienceMs = ReaderPatienceMs,
                       std::chrono::milliseconds pause = {})
    {
        QByteArray received;
        pollfd readable{controller_, POLLIN, 0};
        char buffer[4096];
        while (received.size() < count && poll(&readable, 1, patienceMs) > 0) {
            const ssize_t read = ::read(controller_, buffer, sizeof buffer);
            if (read <= 0)
                break;
            received.append(buffer, read);
            std::this_thread::sleep_for(pause);
        }
        return received;
    }
    QByteArray Drain() { return Receive(std::numeric_limits<qsizetype>::max(), QuietMs); }

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
    void textAndByteInput();
    void eventcodeTellsDataWaits_data();
    void eventcodeTellsDataWaits();
    void failuresThrow();
    void pseudoTerminalCarriesExchangeUntilUnplugged();
    void longWriteWaitsForSlowReader();
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

void SerialComponentTest::textAndByteInput()
{
    SimPorts ports("1=sim:box?status=418042");
    SComm comm;
    comm.setPortnumber(1);
    comm.setPortopen(true);
    comm.setCtrlline1(true);
    comm.setCtrlline1(false);
    QCOMPARE(comm.incount(), 3);

    // Text in code page 1252, one character a read; then bytes, all that waits.
    comm.setReadlen(1);
    QCOMPARE(comm.input().toString(), QString("A"));
    QCOMPARE(comm.input().toString(), QString(QChar(0x20AC)));
    comm.setInputmode(1);
    comm.setReadlen(0);
    QCOMPARE(comm.input().toByteArray(), QByteArray("\x42"));
    QCOMPARE(comm.incount(), 0);
    QCOMPARE(comm.input().toByteArray(), QByteArray());
}

void SerialComponentTest::eventcodeTellsDataWaits_data()
{
    QTest::addColumn<bool>("overlapped");
    // Polled: the caller runs its handler itself, which must still see the data-received code.
    QTest::newRow("polled") << false;
    QTest::newRow("event") << true;
}

void SerialComponentTest::eventcodeTellsDataWaits()
{
    QFETCH(bool, overlapped);
    SimPorts ports("1=sim:box");
    SComm comm;
    QSignalSpy events(&comm, &SComm::OnComm);
    comm.setPortnumber(1);
    comm.setOverlappedio(overlapped);
    comm.setRxthreshold(1);
    comm.setPortopen(true);
    QCOMPARE(comm.eventcode(), SComm::comEvNone);

    comm.setCtrlline1(true);
    comm.setCtrlline1(false); // the box answers the pulse with one status byte
    QCOMPARE(comm.eventcode(), SComm::comEvReceive);
    QCOMPARE(events.count(), overlapped ? 1 : 0);
    comm.input();
    QCOMPARE(comm.eventcode(), SComm::comEvNone);
}

void SerialComponentTest::failuresThrow()
{
    SimPorts ports("3=sim:adapter");
    SComm comm;
    QVERIFY_THROWS_EXCEPTION(SerialError, comm.incount()); // not open
    QVERIFY_THROWS_EXCEPTION(SerialError, comm.setPortnumber(33));
    comm.setPortnumber(4); // not mapped
    QVERIFY_THROWS_EXCEPTION(SerialError, comm.setPortopen(true));

    comm.setPortnumber(3);
    comm.setPortopen(true);
    QVERIFY_THROWS_EXCEPTION(SerialError, comm.setPortnumber(4));
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

void SerialComponentTest::longWriteWaitsForSlowReader()
{
    PseudoTerminal pty;
    QVERIFY(pty.Ready());
    SComm comm;
    comm.setPortnumber(3);
    comm.setPortopen(true);
    QByteArray sent(LongWriteBytes, 0);
    for (int i = 0; i < sent.size(); ++i)
        sent[i] = static_cast<char>(i * 7);

    QByteArray arrived;
    std::thread reader([&] { arrived = pty.Receive(sent.size(), ReaderPatienceMs, SlowReaderPause); });
    comm.output(sent);
    reader.join();
    QCOMPARE(arrived.size(), sent.size());
    QVERIFY(arrived == sent);
    comm.setPortopen(false);
}

QTEST_MAIN(SerialComponentTest)
#include "test_serial_component.moc"
