// The COM number map: pins from TOBRIK_PORTS and the settings file, numbers for the devices the
// system lists, descriptions, and the simulated ports' own descriptions.
#include "TestFolders.h"

#include "app/Module_DU.h"
#include "port/PortMap.h"
#include "sim/SimDevice.h"

#include <QtTest>

namespace {
const ListedPort Usb0{"/dev/ttyUSB0", "FT232R USB UART", "FTDI"};
const ListedPort Acm0{"/dev/ttyACM0", "VARNO QXBRISK", "VARNO"};
const ListedPort Usb1{"/dev/ttyUSB1", "", ""};

QStringList PresentPorts()
{
    QStringList present;
    for (int com = 1; com <= PortMap::PortCount; ++com)
        if (PortMap::Instance().Present(com))
            present.append(QString::number(com));
    return present;
}

void WriteSettingsPins(const TestFolders &folders, const QByteArray &section)
{
    Module_DU::State().SettingsFile = TestFolders::WriteFile(folders.UserFolder() + "Inits.ini", section);
}
} // namespace

class PortMapTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void environmentIsWholeMap_data();
    void environmentIsWholeMap();
    void systemDevicesKeepTheirNumbers();
    void settingsPinsComeFirst();
    void descriptionsNameTheDevice_data();
    void descriptionsNameTheDevice();
    void simulatedDescriptions_data();
    void simulatedDescriptions();
};

void PortMapTest::init()
{
    Module_DU::ResetState();
    qunsetenv("TOBRIK_PORTS");
    PortMap::Instance().Reset();
}

void PortMapTest::cleanup()
{
    init();
}

void PortMapTest::environmentIsWholeMap_data()
{
    QTest::addColumn<QByteArray>("pins");
    QTest::addColumn<QStringList>("present");

    QTest::newRow("empty") << QByteArray("") << QStringList();
    QTest::newRow("two") << QByteArray("3=sim:box; 7=sim:adapter?decoder=12") << QStringList{"3", "7"};
    QTest::newRow("bad entries skipped")
        << QByteArray("0=sim:box;33=sim:box;x=sim:box;4=sim:unknown;5;6=sim:none;;") << QStringList{"6"};
    QTest::newRow("missing path") << QByteArray("2=/dev/no-such-tty") << QStringList();
}

void PortMapTest::environmentIsWholeMap()
{
    QFETCH(QByteArray, pins);
    QFETCH(QStringList, present);
    qputenv("TOBRIK_PORTS", pins);
    PortMap::Instance().Update({Usb0, Acm0});
    QCOMPARE(PresentPorts(), present);
}

void PortMapTest::systemDevicesKeepTheirNumbers()
{
    TestFolders folders;
    WriteSettingsPins(folders, "[Ports]\nCOM1=/dev/no-such-tty\n");
    PortMap &map = PortMap::Instance();
    map.Update({Usb0, Acm0});
    QCOMPARE(map.Device(2), QString("/dev/ttyUSB0"));
    QCOMPARE(map.Device(3), QString("/dev/ttyACM0"));
    QCOMPARE(PresentPorts(), (QStringList{"2", "3"}));

    // USB0 unplugged, USB1 plugged in: USB0's number stays reserved for it.
    map.Update({Acm0, Usb1});
    QCOMPARE(PresentPorts(), (QStringList{"3", "4"}));
    QCOMPARE(map.Device(4), QString("/dev/ttyUSB1"));
    map.Update({Usb1, Usb0, Acm0});
    QCOMPARE(PresentPorts(), (QStringList{"2", "3", "4"}));
}

void PortMapTest::settingsPinsComeFirst()
{
    TestFolders folders;
    WriteSettingsPins(folders, "[ports]\ncom5=/dev/ttyUSB0\nCOM2=sim:box\nCOM40=/dev/ttyACM0\n");
    PortMap &map = PortMap::Instance();
    map.Update({Acm0, Usb0});
    QCOMPARE(map.Device(5), QString("/dev/ttyUSB0"));
    QCOMPARE(map.Device(1), QString("/dev/ttyACM0"));
    QVERIFY(map.Simulated(2));
    QCOMPARE(PresentPorts(), (QStringList{"1", "2", "5"}));
}

void PortMapTest::descriptionsNameTheDevice_data()
{
    QTest::addColumn<ListedPort>("port");
    QTest::addColumn<QString>("description");

    QTest::newRow("product and maker") << Usb0 << "FT232R USB UART, FTDI (/dev/ttyUSB0)";
    QTest::newRow("nothing known") << Usb1 << "Serial port (/dev/ttyUSB1)";
    QTest::newRow("bluetooth link") << ListedPort{"/dev/rfcomm0", "", ""} << "Bluetooth link (/dev/rfcomm0)";
}

void PortMapTest::descriptionsNameTheDevice()
{
    QFETCH(ListedPort, port);
    QFETCH(QString, description);
    TestFolders folders;
    PortMap::Instance().Update({port});
    QCOMPARE(PortMap::Instance().Description(1), description);
}

void PortMapTest::simulatedDescriptions_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("box") << "box";
    QTest::newRow("adapter") << "adapter";
    QTest::newRow("none") << "none";
    QTest::newRow("busy") << "busy";
    QTest::newRow("noise") << "noise";
}

// The default texts never mark a port by themselves; a description key does, and an
// unplugged port has none.
void PortMapTest::simulatedDescriptions()
{
    QFETCH(QString, kind);
    qputenv("TOBRIK_PORTS", QString("1=sim:%1;2=sim:%1?description=VARNO%20Bluetooth%26Co").arg(kind).toUtf8());
    PortMap &map = PortMap::Instance();
    map.Refresh();
    const QString standard = map.Description(1);
    QVERIFY(standard.contains(kind == "none" ? "nothing attached" : "Simulated"));
    for (const char *mark : {"VARNO", "QXHALDA", "bluetooth"})
        QVERIFY(!standard.contains(mark, Qt::CaseInsensitive));
    QCOMPARE(map.Description(2), QString("VARNO Bluetooth&Co"));

    map.Simulated(1)->Unplug();
    QCOMPARE(map.Description(1), standard); // until the next scan looks
    map.Refresh();
    QVERIFY(map.Description(1).isEmpty());
}

Q_DECLARE_METATYPE(ListedPort)
QTEST_MAIN(PortMapTest)
#include "test_port_map.moc"
