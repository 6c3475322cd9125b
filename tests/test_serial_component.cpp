// The serial component MSComm2 as both pages use it: settings, text and byte input, failures,
// and both back ends (simulated and a real pseudo-terminal).
#include "SimPortRig.h"

#include "port/LineSettings.h"
#include "port/SComm.h"
#include "port/SerialError.h"

#include <QtTest>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

Q_DECLARE_METATYPE(LineSettings)

class SerialComponentTest : public QObject {
    Q_OBJECT

private slots:
    void settingsText_data();
    void settingsText();
    void textAndByteInput();
    void failuresThrow();
    void pseudoTerminalCarriesAdapterExchange();
};

void SerialComponentTest::settingsText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<LineSettings>("expected");

    using P = QSerialPort;
    QTest::newRow("update page") << "38400,N,8,2" << true << LineSettings{38400, P::NoParity, P::Data8, P::TwoStop};
    QTest::newRow("even, 7 bits") << "1200,E,7,1" << true << LineSettings{1200, P::EvenParity, P::Data7, P::OneStop};
    QTest::newRow("spaces, lower case, 1.5 stop")
        << "300, o, 5, 1.5" << true << LineSettings{300, P::OddParity, P::Data5, P::OneAndHalfStop};
    for (const char *bad : {"38400,N,8", "38400,X,8,1", "fast,N,8,1", "38400,N,9,1", "38400,N,8,3"})
        QTest::newRow(bad) << bad << false << LineSettings{};
}

void SerialComponentTest::settingsText()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(LineSettings, expected);
    if (valid)
        QVERIFY(LineSettings::Parse(text) == expected);
    else
        QVERIFY_THROWS_EXCEPTION(SerialError, SComm().setSettings(text));
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
    // A port that vanishes while open fails its next operation, and closes all the same.
    ports.Device(3)->Unplug();
    QVERIFY_THROWS_EXCEPTION(SerialError, comm.output(QString("FLINT_EIN\r")));
    comm.setPortopen(false);
    QVERIFY(!comm.portopen());
}

void SerialComponentTest::pseudoTerminalCarriesAdapterExchange()
{
    const int controller = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    QVERIFY(controller >= 0);
    QVERIFY(grantpt(controller) == 0 && unlockpt(controller) == 0);
    const QString path = QString::fromLatin1(ptsname(controller));
    SimPorts ports("3=" + path);
    SComm comm;
    comm.setPortnumber(3);
    QCOMPARE(comm.description(), "Serial port (" + path + ")");
    comm.setSettings("38400,N,8,1");
    comm.setCtrlline1(false); // a pseudo-terminal has no control lines; that is no failure
    comm.setPortopen(true);

    comm.output(QString("FLINT_EIN\r"));
    QByteArray command;
    char buffer[64];
    QTRY_COMPARE((command += QByteArray(buffer, std::max<ssize_t>(0, read(controller, buffer, sizeof buffer)))),
                 QByteArray("FLINT_EIN\r"));
    QCOMPARE(write(controller, "OK\r", 3), ssize_t(3));
    QTRY_COMPARE(comm.incount(), 3);
    QCOMPARE(comm.input().toString(), QString("OK\r"));
    comm.setPortopen(false);
    close(controller);
}

QTEST_MAIN(SerialComponentTest)
#include "test_serial_component.moc"
