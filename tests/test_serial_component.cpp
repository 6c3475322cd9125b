// The serial component MSComm2 as both pages use it: settings, text and byte input, the
// data-received event, failures, and both back ends (simulated and a real pseudo-terminal).
#include "app/Module_DU.h"
#include "port/LineSettings.h"
#include "port/PortMap.h"
#include "port/SComm.h"
#include "port/SerialError.h"
#include "sim/SimAdapter.h"
#include "sim/SimUpdateBox.h"

#include <QSignalSpy>
#include <QtTest>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

Q_DECLARE_METATYPE(QSerialPort::Parity)
Q_DECLARE_METATYPE(QSerialPort::StopBits)

namespace {
// Maps the given ports for one test and opens nothing yet.
class MappedPorts {
public:
    explicit MappedPorts(const QByteArray &ports)
    {
        qputenv("TOBRIK_PORTS", ports);
        PortMap::Instance().Reset();
        PortMap::Instance().Refresh();
    }
    ~MappedPorts()
    {
        qunsetenv("TOBRIK_PORTS");
        PortMap::Instance().Reset();
    }
};

QByteArray ReadAvailable(int fd)
{
    char buffer[64];
    const ssize_t count = read(fd, buffer, sizeof buffer);
    return count > 0 ? QByteArray(buffer, count) : QByteArray();
}

// A box port opened at the port page's settings, its status bytes already waiting.
void OpenWithStatusWaiting(SComm &comm)
{
    comm.setPortnumber(1);
    comm.setSettings("38400,N,8,1");
    comm.setPortopen(true);
    comm.setCtrlline1(true);
    comm.setCtrlline1(false);
}
} // namespace

class SerialComponentTest : public QObject {
    Q_OBJECT

private slots:
    void settingsText_data();
    void settingsText();
    void badSettingsText_data();
    void badSettingsText();
    void textAndByteInput();
    void incountZeroDiscards();
    void noEventWhileOverlappedioFalse();
    void linesWrittenBeforeOpeningReachDevice();
    void failuresCarryTheirDescription();
    void pseudoTerminalCarriesAdapterExchange();
};

void SerialComponentTest::settingsText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("baud");
    QTest::addColumn<QSerialPort::Parity>("parity");
    QTest::addColumn<int>("dataBits");
    QTest::addColumn<QSerialPort::StopBits>("stopBits");

    QTest::newRow("port page") << "38400,N,8,1" << 38400 << QSerialPort::NoParity << 8 << QSerialPort::OneStop;
    QTest::newRow("update page") << "38400,N,8,2" << 38400 << QSerialPort::NoParity << 8 << QSerialPort::TwoStop;
    QTest::newRow("default") << "9600,n,8,1" << 9600 << QSerialPort::NoParity << 8 << QSerialPort::OneStop;
    QTest::newRow("even, 7 bits") << "1200,E,7,1" << 1200 << QSerialPort::EvenParity << 7 << QSerialPort::OneStop;
    QTest::newRow("odd, 1.5 stop") << "300, O, 5, 1.5" << 300 << QSerialPort::OddParity << 5 << QSerialPort::OneAndHalfStop;
}

void SerialComponentTest::settingsText()
{
    QFETCH(QString, text);
    QFETCH(int, baud);
    QFETCH(QSerialPort::Parity, parity);
    QFETCH(int, dataBits);
    QFETCH(QSerialPort::StopBits, stopBits);
    const LineSettings settings = LineSettings::Parse(text);
    QCOMPARE(settings.baudRate, baud);
    QCOMPARE(settings.parity, parity);
    QCOMPARE(int(settings.dataBits), dataBits);
    QCOMPARE(settings.stopBits, stopBits);
}

void SerialComponentTest::badSettingsText_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("three fields") << "38400,N,8";
    QTest::newRow("parity X") << "38400,X,8,1";
    QTest::newRow("baud not a number") << "fast,N,8,1";
    QTest::newRow("9 data bits") << "38400,N,9,1";
    QTest::newRow("3 stop bits") << "38400,N,8,3";
    QTest::newRow("empty") << "";
}

void SerialComponentTest::badSettingsText()
{
    QFETCH(QString, text);
    SComm comm;
    QVERIFY_THROWS_EXCEPTION(SerialError, comm.setSettings(text));
}

void SerialComponentTest::textAndByteInput()
{
    MappedPorts ports("1=sim:box?status=418042");
    SComm comm;
    OpenWithStatusWaiting(comm);
    QCOMPARE(comm.incount(), 3);

    // Text, one character a read; 0x80 is a character of code page 1252.
    comm.setReadlen(1);
    QCOMPARE(comm.input().toString(), QString("A"));
    QCOMPARE(comm.input().toString(), QString(QChar(0x20AC)));
    QCOMPARE(comm.incount(), 1);

    // The update page reads byte arrays, all that waits.
    comm.setCtrlline1(true);
    comm.setCtrlline1(false);
    comm.setInputmode(1);
    comm.setReadlen(0);
    QCOMPARE(comm.input().toByteArray(), QByteArray("\x42\x41\x80\x42"));
    QCOMPARE(comm.incount(), 0);
    QCOMPARE(comm.input().toByteArray(), QByteArray());
}

void SerialComponentTest::incountZeroDiscards()
{
    MappedPorts ports("1=sim:box");
    SComm comm;
    OpenWithStatusWaiting(comm);
    QCOMPARE(comm.incount(), 1);
    comm.setIncount(0);
    QCOMPARE(comm.incount(), 0);
}

void SerialComponentTest::noEventWhileOverlappedioFalse()
{
    MappedPorts ports("1=sim:box");
    SComm comm;
    QSignalSpy events(&comm, &SComm::OnComm);
    comm.setRxthreshold(1);
    comm.setOverlappedio(false);
    OpenWithStatusWaiting(comm);
    QCOMPARE(events.count(), 0);
    QCOMPARE(comm.incount(), 1); // the reply is still there for the caller

    comm.setOverlappedio(true);
    comm.setCtrlline1(true);
    comm.setCtrlline1(false);
    QCOMPARE(events.count(), 1);
    QCOMPARE(comm.eventcode(), SComm::comEvReceive);
}

void SerialComponentTest::linesWrittenBeforeOpeningReachDevice()
{
    MappedPorts ports("1=sim:box");
    auto *box = dynamic_cast<SimUpdateBox *>(PortMap::Instance().Simulated(1).get());
    SComm comm;
    comm.setPortnumber(1);
    comm.setCtrlline1(true);
    QVERIFY(!box->Line1Raised()); // nothing reaches a closed port
    comm.setPortopen(true);
    QVERIFY(box->Line1Raised());

    // While request-to-send flow control holds line 1, writing it changes nothing; handing it
    // back restores the level the program asked for.
    comm.setHandshake(2);
    comm.setCtrlline1(false);
    QVERIFY(box->Line1Raised());
    comm.setHandshake(0);
    QVERIFY(!box->Line1Raised());
    QCOMPARE(comm.incount(), 1);
}

void SerialComponentTest::failuresCarryTheirDescription()
{
    MappedPorts ports("1=sim:busy;2=sim:box;3=sim:adapter");
    SComm comm;
    QVERIFY_THROWS_EXCEPTION(SerialError, comm.incount());
    QVERIFY_THROWS_EXCEPTION(SerialError, comm.output(QString("x")));
    QVERIFY_THROWS_EXCEPTION(SerialError, comm.setPortnumber(33));

    comm.setPortnumber(1);
    try {
        comm.setPortopen(true);
        QFAIL("a busy port opened");
    } catch (const SerialError &error) {
        QVERIFY(error.Description().contains("busy"));
    }
    QVERIFY(!comm.portopen());

    comm.setPortnumber(4); // not mapped: never opened
    QVERIFY(comm.description().isEmpty());
    QVERIFY_THROWS_EXCEPTION(SerialError, comm.setPortopen(true));

    // A port that vanishes after the scan fails to open, and one that vanishes while open
    // fails its next operation.
    PortMap::Instance().Simulated(2)->Unplug();
    comm.setPortnumber(2);
    QVERIFY(!comm.description().isEmpty());
    QVERIFY_THROWS_EXCEPTION(SerialError, comm.setPortopen(true));

    comm.setPortnumber(3);
    comm.setPortopen(true);
    QVERIFY_THROWS_EXCEPTION(SerialError, comm.setPortnumber(2));
    PortMap::Instance().Simulated(3)->Unplug();
    QVERIFY_THROWS_EXCEPTION(SerialError, comm.output(QString("FLINT_EIN\r")));
    comm.setPortopen(false);
    QVERIFY(!comm.portopen());
}

void SerialComponentTest::pseudoTerminalCarriesAdapterExchange()
{
    const int controller = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    QVERIFY(controller >= 0);
    QVERIFY(grantpt(controller) == 0 && unlockpt(controller) == 0);
    const QByteArray path = ptsname(controller);
    MappedPorts ports("3=" + path);
    SComm comm;
    comm.setPortnumber(3);
    QCOMPARE(comm.description(), QString("Serial port (%1)").arg(QString::fromLatin1(path)));
    comm.setSettings("38400,N,8,1");
    comm.setCtrlline1(false); // a pseudo-terminal has no control lines; that is no failure
    comm.setPortopen(true);

    comm.output(QString("FLINT_EIN\r"));
    QByteArray command;
    QTRY_COMPARE((command += ReadAvailable(controller)), QByteArray("FLINT_EIN\r"));
    QCOMPARE(write(controller, "OK\r", 3), ssize_t(3));
    QTRY_COMPARE(comm.incount(), 3);
    QCOMPARE(comm.input().toString(), QString("OK\r"));
    comm.setPortopen(false);
    close(controller);
}

QTEST_MAIN(SerialComponentTest)
#include "test_serial_component.moc"
