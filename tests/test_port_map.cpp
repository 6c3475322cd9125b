// The COM number map: pins from TOBRIK_PORTS and the settings file, numbers for the devices the
// system lists, and the descriptions.
#include "TestFolders.h"

#include "app/Log.h"
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
    void simulatedPinKeys_data();
    void simulatedPinKeys();
    void systemDevicesKeepTheirNumbers();
    void descriptionsNameTheDevice();
    void comNumbersAsTyped_data();
    void comNumbersAsTyped();
    void pathsGetNumbersOfTheirOwn();
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

// A key the kind does not take, or a value that does not parse, refuses the pin, in the log and
// in Refusals, naming it, and leaves its number free.
void PortMapTest::simulatedPinKeys_data()
{
    QTest::addColumn<bool>("fromSettings"); // otherwise from TOBRIK_PORTS
    QTest::addColumn<QString>("device");    // pinned to COM4
    QTest::addColumn<QString>("refusal");   // empty: accepted

    // Every decoder key at once; the kinds' other keys are pinned by the detection and update tests.
    QTest::newRow("box with a decoder") << false
        << "sim:box?decoder=5&block=64&lost-reply=0.1&bad-block=0&lost-block=1"
           "&slow-reply=0.5&garbage=0.25&unplug-at=3&refuse-block=2&reply-delay=60&seed=9"
           "&line-rate=1"
        << "";
    // A value that does not parse names key, value and what the key takes; the unknown kind and
    // key are named by tobrik-cli ports in test_port_page.
    QTest::newRow("decoder ID out of range") << false << "sim:box?decoder=256"
                                             << "box: decoder=256 is not a decoder ID from 0 to 255";
    QTest::newRow("probability not a number") << false << "sim:box?decoder=5&lost-reply=half"
                                              << "box: lost-reply=half is not a probability from 0 to 1";
    QTest::newRow("decoder key without decoder") << false << "sim:box?seed=4"
                                                 << "box: seed needs a decoder (decoder=ID)";
    QTest::newRow("from the settings file") << true << "sim:noise?patern=x"
                                            << "noise takes no key \"patern\"";
}

void PortMapTest::simulatedPinKeys()
{
    QFETCH(bool, fromSettings);
    QFETCH(QString, device);
    QFETCH(QString, refusal);
    TestFolders folders;
    QString origin = "TOBRIK_PORTS";
    if (fromSettings) {
        Module_DU::State().SettingsFile = TestFolders::WriteFile(
            folders.UserFolder() + "Inits.ini", "[Ports]\nCOM4=" + device.toUtf8() + "\n");
        origin = Module_DU::State().SettingsFile + " [Ports]";
    } else {
        qputenv("TOBRIK_PORTS", "4=" + device.toUtf8());
    }
    QStringList log;
    Log::SetSink([&log](const QString &line) { log << line; });
    PortMap::Instance().Update({Usb0});
    Log::SetSink({});

    const QStringList refusals = refusal.isEmpty() ? QStringList()
        : QStringList{QString("COM4=%1 from %2 refused: %3").arg(device, origin, refusal)};
    QCOMPARE(PortMap::Instance().Refusals(), refusals);
    QCOMPARE(log, refusals);
    QCOMPARE(PortMap::Instance().Present(4), refusal.isEmpty());
    // A refused settings pin leaves COM4 to the system's devices.
    if (fromSettings && !refusal.isEmpty())
        QCOMPARE(PresentPorts(), QString("1=/dev/ttyUSB0"));
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

void PortMapTest::descriptionsNameTheDevice()
{
    PortMap::Instance().Update({Usb0, Usb1, {"/dev/rfcomm0", "", ""}});
    const QStringList expected{"FT232R USB UART, FTDI (/dev/ttyUSB0)", "Serial port (/dev/ttyUSB1)",
                               "Bluetooth link (/dev/rfcomm0)"};
    for (int com = 1; com <= 3; ++com)
        QCOMPARE(PortMap::Instance().Description(com), expected[com - 1]);
}

void PortMapTest::comNumbersAsTyped_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("com"); // 0: not a COM number

    QTest::newRow("number") << "3" << 3;
    QTest::newRow("name in any case, blanks around") << " cOm12 " << 12;
    QTest::newRow("highest") << "COM32" << 32;
    QTest::newRow("beyond the map") << "33" << 0;
    QTest::newRow("zero") << "COM0" << 0;
    QTest::newRow("name without number") << "COM" << 0;
    QTest::newRow("trailing text") << "3x" << 0;
    QTest::newRow("device path") << "/dev/ttyS3" << 0;
}

void PortMapTest::comNumbersAsTyped()
{
    QFETCH(QString, typed);
    QFETCH(int, com);
    QCOMPARE(PortMap::ComNumber(typed), com);
}

// A device named on the command line keeps the number it has, or gets the lowest free one
// and keeps that while the system's devices come and go.
void PortMapTest::pathsGetNumbersOfTheirOwn()
{
    PortMap &map = PortMap::Instance();
    map.Update({Usb0, Acm0});
    QCOMPARE(map.NumberFor(Acm0.path, "--port"), 2);
    QCOMPARE(map.NumberFor("/dev/pts/9", "--port"), 3);
    map.Update({Usb0, Acm0, Usb1});
    QCOMPARE(map.Device(3), QString("/dev/pts/9"));
    QCOMPARE(map.Device(4), Usb1.path);
}

QTEST_MAIN(PortMapTest)
#include "test_port_map.moc"
