// The COM number map: pins from TOBRIK_PORTS and the settings file, and numbers for the
// devices the system lists.
#include "TestFolders.h"

#include "app/Module_DU.h"
#include "port/PortMap.h"

#include <QtTest>

namespace {
const ListedPort Usb0{"/dev/ttyUSB0", "FT232R USB UART", "FTDI"};
const ListedPort Acm0{"/dev/ttyACM0", "VARNO QXBRISK", "VARNO"};
const ListedPort Usb1{"/dev/ttyUSB1", "", ""};

// The present ports as "2=/dev/ttyUSB0;3=sim:box".
QString PresentPorts()
{
    QStringList present;
    for (int com = 1; com <= PortMap::PortCount; ++com)
        if (PortMap::Instance().Present(com))
            present.append(QString("%1=%2").arg(com).arg(PortMap::Instance().Device(com)));
    return present.join(';');
}
} // namespace

class PortMapTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void pinsAndNumbers_data();
    void pinsAndNumbers();
    void systemDevicesKeepTheirNumbers();
    void savedPinMovesTheDevice();
    void comNumbersAsTyped_data();
    void comNumbersAsTyped();
};

void PortMapTest::init()
{
    Module_DU::ResetState();
    qunsetenv("TOBRIK_PORTS");
    PortMap::Instance().Reset();
}

// The system lists USB0 and ACM0 in every row.
void PortMapTest::pinsAndNumbers_data()
{
    QTest::addColumn<QByteArray>("environment"); // null: TOBRIK_PORTS not set
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<QString>("present");

    const QByteArray unset;
    QTest::newRow("no pins: lowest free numbers") << unset << QByteArray() << "1=/dev/ttyUSB0;2=/dev/ttyACM0";
    QTest::newRow("settings pins first") << unset
        << QByteArray("[ports]\ncom5=/dev/ttyUSB0\nCOM2=sim:box\nCOM40=/dev/ttyACM0\n")
        << "1=/dev/ttyACM0;2=sim:box;5=/dev/ttyUSB0";
    QTest::newRow("absent pinned device keeps its number") << unset << QByteArray("[Ports]\nCOM1=/dev/no-such-tty\n")
        << "2=/dev/ttyUSB0;3=/dev/ttyACM0";
    QTest::newRow("environment empty: no ports") << QByteArray("") << QByteArray() << "";
    QTest::newRow("environment is the whole map") << QByteArray("3=sim:box; 7=sim:adapter?reply=OK")
        << QByteArray("[Ports]\nCOM1=sim:box\n") << "3=sim:box;7=sim:adapter?reply=OK";
    QTest::newRow("bad entries skipped")
        << QByteArray("0=sim:box;33=sim:box;x=sim:box;4=sim:unknown;5;6=sim:none;2=/dev/no-such-tty;;")
        << QByteArray() << "6=sim:none";
}

void PortMapTest::pinsAndNumbers()
{
    QFETCH(QByteArray, environment);
    QFETCH(QByteArray, settings);
    QFETCH(QString, present);
    TestFolders folders;
    if (!settings.isEmpty())
        Module_DU::State().SettingsFile = TestFolders::WriteFile(folders.UserFolder() + "Inits.ini", settings);
    if (!environment.isNull())
        qputenv("TOBRIK_PORTS", environment);
    PortMap::Instance().Update({Usb0, Acm0});
    QCOMPARE(PresentPorts(), present);
}

void PortMapTest::systemDevicesKeepTheirNumbers()
{
    PortMap &map = PortMap::Instance();
    map.Update({Usb0, Acm0});
    // USB0 unplugged, USB1 plugged in: USB0's number stays reserved for it.
    map.Update({Acm0, Usb1});
    QCOMPARE(PresentPorts(), QString("2=/dev/ttyACM0;3=/dev/ttyUSB1"));
    map.Update({Usb1, Usb0, Acm0});
    QCOMPARE(PresentPorts(), QString("1=/dev/ttyUSB0;2=/dev/ttyACM0;3=/dev/ttyUSB1"));
}

// A device pinned anew loses its old number in the same write; other settings stay.
void PortMapTest::savedPinMovesTheDevice()
{
    TestFolders folders;
    Module_DU::State().SettingsFile = TestFolders::WriteFile(
        folders.UserFolder() + "Inits.ini", "[Config]\nLANGUAGE=EN\n[Ports]\nCOM2=/dev/ttyUSB0\n");
    QVERIFY(PortMap::SavePin(5, "/dev/ttyUSB0"));
    PortMap::Instance().Update({Usb0, Acm0});
    QCOMPARE(PresentPorts(), QString("1=/dev/ttyACM0;5=/dev/ttyUSB0"));
    QFile saved(Module_DU::State().SettingsFile);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QVERIFY(saved.readAll().contains("LANGUAGE=EN"));
}

void PortMapTest::comNumbersAsTyped_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("com"); // 0: not a COM number

    QTest::newRow("number") << "3" << 3;
    QTest::newRow("name in any case, blanks around") << " cOm12 " << 12;
    QTest::newRow("beyond the map") << "33" << 0;
    QTest::newRow("trailing text") << "3x" << 0;
}

void PortMapTest::comNumbersAsTyped()
{
    QFETCH(QString, typed);
    QFETCH(int, com);
    QCOMPARE(PortMap::ComNumber(typed), com);
}

QTEST_MAIN(PortMapTest)
#include "test_port_map.moc"
