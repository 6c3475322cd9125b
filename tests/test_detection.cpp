// The programmer detection against simulated ports: which answers count as an adapter or an
// update box, Bluetooth links, and what the detection leaves in the list, the shared state and
// the log.
#include "SimPortRig.h"

#include "app/Module_DU.h"

#include <QtTest>

class DetectionTest : public QObject {
    Q_OBJECT

private slots:
    void detection_data();
    void detection();
    void boxStatus_data();
    void boxStatus();
};

void DetectionTest::detection_data()
{
    QTest::addColumn<QString>("ports");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("selectedPort");
    QTest::addColumn<bool>("adapterActive");
    QTest::addColumn<QString>("logged"); // the start of a log line

    QTest::newRow("ok and CR amid other text") << "2=sim:adapter?reply=Flint%20ok%0D%0A"
        << QStringList{"COM2 - QXBRISK/QXHALDA"} << "2" << true << "QXBRISK/QXHALDA on Comm 2 found";
    // Its update-box mode is on all the same, so the box probe finds it as a box.
    QTest::newRow("OK without CR") << "2=sim:adapter?reply=OK"
        << QStringList{"COM2 - QXFLINT"} << "2" << false << "Response on Comm 2: OK";
    QTest::newRow("adapters on 3 and 7: the last, and no box probe")
        << "1=sim:box;3=sim:adapter;7=sim:adapter"
        << QStringList{"COM1 - exists", "COM3 - QXBRISK/QXHALDA", "COM7 - QXBRISK/QXHALDA"} << "7"
        << true << "QXBRISK/QXHALDA on Comm 7 found";
    // A name marking an adapter shows in the list but does not choose the port.
    QTest::newRow("nothing answers: the highest port") << "1=sim:none?description=VARNO%20USB;3=sim:box?status=41"
        << QStringList{"COM1 - QXBRISK/QXHALDA", "COM3 - exists"} << "3" << false << "No Programmer, select 3";
    // The scan leaves it out, so the probes after it still run.
    QTest::newRow("Bluetooth link not listed") << "2=sim:box?description=Serial%20over%20BlueTooth;4=sim:adapter"
        << QStringList{"COM4 - QXBRISK/QXHALDA"} << "4" << true << "QXBRISK/QXHALDA on Comm 4 found";
}

void DetectionTest::detection()
{
    QFETCH(QString, ports);
    QFETCH(QStringList, entries);
    QFETCH(QString, selectedPort);
    QFETCH(bool, adapterActive);
    QFETCH(QString, logged);
    SimPortRig rig(ports);
    QVERIFY(rig.StartAndScan());

    QCOMPARE(rig.FoundEntries(), entries);
    QCOMPARE(Module_DU::State().SelectedPort, selectedPort);
    QCOMPARE(rig.view.SelectedEntry(), selectedPort.toInt() - 1);
    QCOMPARE(Module_DU::State().AdapterActive, adapterActive);
    QCOMPARE(rig.CountLog("No QXBRISK/QXHALDA found, search QXFLINT"), adapterActive ? 0 : 1);
    const bool found = std::any_of(rig.log.begin(), rig.log.end(),
                                   [&](const QString &line) { return line.startsWith(logged); });
    QVERIFY2(found, qPrintable(rig.log.join('|')));
}

void DetectionTest::boxStatus_data()
{
    QTest::addColumn<QString>("keys"); // of the simulated box on COM3
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("selectedPort");
    // Other bits do not count; the last byte is the one examined.
    QTest::newRow("20: bit 6 clear") << "status=20" << "COM3 - exists" << "3";
    QTest::newRow("last of 40 41: bit 0 set") << "status=4041" << "COM3 - exists" << "3";
    QTest::newRow("last of 41 00 42") << "status=410042" << "COM3 - QXFLINT" << "3";
    QTest::newRow("a Bluetooth link is never opened")
        << "status=40&description=BlueTooth" << "COM3" << "";
}

// The probe a click starts, without a scan.
void DetectionTest::boxStatus()
{
    QFETCH(QString, keys);
    QFETCH(QString, entry);
    QFETCH(QString, selectedPort);
    SimPortRig rig("3=sim:box?" + keys);
    rig.ports.FillPortList();
    rig.ports.StopTimers();
    rig.Detection().ProbeBox(3);

    QCOMPARE(rig.view.Entries().at(2), entry);
    QCOMPARE(rig.Detection().BoxFound, entry.endsWith("QXFLINT"));
    QCOMPARE(Module_DU::State().SelectedPort, selectedPort);
    QCOMPARE(rig.Device(3)->Connections(), selectedPort.isEmpty() ? 0 : 1);
}

QTEST_MAIN(DetectionTest)
#include "test_detection.moc"
