// The detection when ports are missing, silent, busy, noisy, Bluetooth links or vanish in the
// middle of it, and the switch-off of an adapter, against simulated ports.
#include "SimPortRig.h"

#include "app/Module_DU.h"
#include "port/PortDetection.h"
#include "sim/SimAdapter.h"
#include "sim/SimUpdateBox.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QtTest>

class DetectionFaultsTest : public QObject {
    Q_OBJECT

private slots:
    void noPortsChangesNothing();
    void nothingAnsweringChoosesHighestPort();
    void bluetoothPortNeverOpened();
    void faultyPortsDoNotStopDetection_data();
    void faultyPortsDoNotStopDetection();
    void portVanishingBeforeItsProbe();
    void adapterOffSwitchesModeOff();
    void waitEndsWhenProgramCloses();
};

void DetectionFaultsTest::noPortsChangesNothing()
{
    SimPortRig rig("");
    QVERIFY(rig.StartAndScan(2));

    for (int index = 0; index < 32; ++index)
        QCOMPARE(rig.View().Entry(index), QString("COM%1").arg(index + 1));
    QCOMPARE(rig.View().SelectedEntry(), 0);
    QVERIFY(Module_DU::State().SelectedPort.isEmpty());
    QCOMPARE(rig.CountLog("Search Programmer"), 0);

    // The last port unplugged: the detection runs, finds no port and leaves the choice alone.
    Module_DU::State().SelectedPort = "4";
    rig.Detection().DetectProgrammer();
    QCOMPARE(rig.LogLines().last(), QString("Search Programmer"));
    QCOMPARE(Module_DU::State().SelectedPort, QString("4"));
    QCOMPARE(rig.View().SelectedEntry(), 0);
}

void DetectionFaultsTest::nothingAnsweringChoosesHighestPort()
{
    SimPortRig rig("1=sim:none;4=sim:none;9=sim:none");
    QVERIFY(rig.StartAndScan());

    QCOMPARE(Module_DU::State().SelectedPort, QString("9"));
    QCOMPARE(rig.View().SelectedEntry(), 8);
    QVERIFY(!Module_DU::State().AdapterActive);
    const QStringList expected{"Search Programmer", "No QXBRISK/QXHALDA found, search QXFLINT",
                               "No Programmer, select 9"};
    QCOMPARE(rig.LogLines().mid(rig.LogLines().indexOf("Search Programmer")), expected);
}

void DetectionFaultsTest::bluetoothPortNeverOpened()
{
    SimPortRig rig("2=sim:box?description=Serial%20over%20BlueTooth%20link;4=sim:none");
    QVERIFY(rig.StartAndScan());

    QCOMPARE(rig.View().Entry(1), QString("COM2"));
    QCOMPARE(rig.CountLog("Comm 2 exist"), 0);
    QVERIFY(rig.Device<SimUpdateBox>(2)->Received().isEmpty());
    QCOMPARE(Module_DU::State().SelectedPort, QString("4"));

    // A click on it probes nothing either.
    rig.Ports().List1_Click(1);
    QVERIFY(rig.Device<SimUpdateBox>(2)->Received().isEmpty());
    QCOMPARE(Module_DU::State().SelectedPort, QString("4"));
}

void DetectionFaultsTest::faultyPortsDoNotStopDetection_data()
{
    QTest::addColumn<QString>("faulty");
    QTest::addColumn<QString>("expectedLog");

    QTest::newRow("busy") << "sim:busy" << "Comm 1: Simulated port in use elsewhere: Device or resource busy";
    QTest::newRow("never stops sending") << "sim:noise?pattern=xy%FF"
                                         << "Response on Comm 1: xyÿxyÿ";
}

void DetectionFaultsTest::faultyPortsDoNotStopDetection()
{
    QFETCH(QString, faulty);
    QFETCH(QString, expectedLog);
    SimPortRig rig("1=" + faulty + ";3=sim:box");
    QVERIFY(rig.StartAndScan());

    QCOMPARE(rig.View().Entry(0), QString("COM1 - exists"));
    QCOMPARE(rig.View().Entry(2), QString("COM3 - QXFLINT"));
    QCOMPARE(Module_DU::State().SelectedPort, QString("3"));
    const auto logged = std::find_if(rig.LogLines().begin(), rig.LogLines().end(),
                                     [&](const QString &line) { return line.startsWith(expectedLog); });
    QVERIFY2(logged != rig.LogLines().end(), qPrintable(rig.LogLines().join('|')));
}

void DetectionFaultsTest::portVanishingBeforeItsProbe()
{
    SimPortRig rig("2=sim:box;5=sim:adapter");
    rig.OnLogLine("Search Programmer", [&] { rig.Device<SimAdapter>(5)->Unplug(); });
    QVERIFY(rig.StartAndScan());

    QVERIFY(rig.LogLines().contains("Comm 5: Simulated adapter: No such device"));
    QVERIFY(!Module_DU::State().AdapterActive);
    QCOMPARE(Module_DU::State().SelectedPort, QString("2"));

    // The next scan shows it gone and detects again.
    QVERIFY(rig.WaitForScans(1));
    QCOMPARE(rig.View().Entry(4), QString("COM5"));
    QCOMPARE(rig.CountLog("Search Programmer"), 2);
    QCOMPARE(rig.View().Entry(1), QString("COM2 - QXFLINT"));
}

void DetectionFaultsTest::adapterOffSwitchesModeOff()
{
    SimPortRig rig("3=sim:adapter");
    QVERIFY(rig.StartAndScan());
    SimAdapter *adapter = rig.Device<SimAdapter>(3);
    QVERIFY(adapter->BoxMode());

    rig.Detection().AdapterOff();
    QVERIFY(!adapter->BoxMode());
    QVERIFY(adapter->Received().endsWith("FLINT_AUS\r"));
    QVERIFY(!Module_DU::State().AdapterActive);
    QVERIFY(!rig.Detection().PortOpen());

    // Once off, a second call sends nothing.
    const QByteArray sent = adapter->Received();
    rig.Detection().AdapterOff();
    QCOMPARE(adapter->Received(), sent);
}

void DetectionFaultsTest::waitEndsWhenProgramCloses()
{
    SimPortRig rig("");
    QTimer::singleShot(50, [] { Module_DU::State().Exiting = true; });
    QElapsedTimer clock;
    clock.start();
    rig.Detection().wait(1000); // ten seconds unless the close ends it
    QVERIFY(clock.elapsed() < 5000);
}

QTEST_MAIN(DetectionFaultsTest)
#include "test_detection_faults.moc"
