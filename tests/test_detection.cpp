// The programmer detection against simulated ports: which answers count as an adapter or an
// update box, ports that are missing, busy, noisy, Bluetooth links or vanish in the middle of
// it, and what the detection leaves in the list, the shared state and the log.
#include "SimPortRig.h"

#include "app/Module_DU.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QtTest>

class DetectionTest : public QObject {
    Q_OBJECT

private slots:
    void detection_data();
    void detection();
    void boxStatus_data();
    void boxStatus();
    void noPortsChangesNothing();
    void waitEndsWhenProgramCloses();
};

void DetectionTest::detection_data()
{
    QTest::addColumn<QString>("ports");
    QTest::addColumn<int>("vanishing"); // a port unplugged once the detection has started
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("selectedPort");
    QTest::addColumn<bool>("adapterActive");
    QTest::addColumn<QString>("logged"); // the start of a log line

    QTest::newRow("ok and CR amid other text") << "2=sim:adapter?reply=Flint%20ok%0D%0A" << 0
        << QStringList{"COM2 - QXBRISK/QXHALDA"} << "2" << true << "QXBRISK/QXHALDA on Comm 2 found";
    // Its update-box mode is on all the same, so the box probe finds it as a box.
    QTest::newRow("OK without CR") << "2=sim:adapter?reply=OK" << 0
        << QStringList{"COM2 - QXFLINT"} << "2" << false << "Response on Comm 2: OK";
    QTest::newRow("adapters on 3 and 7: the last, and no box probe")
        << "1=sim:box;3=sim:adapter;7=sim:adapter" << 0
        << QStringList{"COM1 - exists", "COM3 - QXBRISK/QXHALDA", "COM7 - QXBRISK/QXHALDA"} << "7"
        << true << "QXBRISK/QXHALDA on Comm 7 found";
    // A name marking an adapter shows in the list but does not choose the port.
    QTest::newRow("nothing answers: the highest port") << "1=sim:none?description=VARNO%20USB;3=sim:box?status=41"
        << 0 << QStringList{"COM1 - QXBRISK/QXHALDA", "COM3 - exists"} << "3" << false << "No Programmer, select 3";
    // The scan leaves it out, so the probes after it still run.
    QTest::newRow("Bluetooth link not listed") << "2=sim:box?description=Serial%20over%20BlueTooth;4=sim:adapter"
        << 0 << QStringList{"COM4 - QXBRISK/QXHALDA"} << "4" << true << "QXBRISK/QXHALDA on Comm 4 found";
    QTest::newRow("vanishes after the scan") << "1=sim:adapter;3=sim:adapter" << 1
        << QStringList{"COM1 - exists", "COM3 - QXBRISK/QXHALDA"} << "3" << true
        << "Comm 1: Simulated adapter: No such device";
    // Both probes meet the noise.
    QTest::newRow("never stops sending") << "1=sim:noise?pattern=xy%FF;3=sim:box" << 0
        << QStringList{"COM1 - exists", "COM3 - QXFLINT"} << "3" << false << "Response on Comm 1: xyÿxyÿ";
}

void DetectionTest::detection()
{
    QFETCH(QString, ports);
    QFETCH(int, vanishing);
    QFETCH(QStringList, entries);
    QFETCH(QString, selectedPort);
    QFETCH(bool, adapterActive);
    QFETCH(QString, logged);
    SimPortRig rig(ports);
    rig.onLog = [&](const QString &line) {
        if (vanishing && line == "Search Programmer")
            rig.Device(vanishing)->Unplug();
    };
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
    QTest::addColumn<QString>("status");
    QTest::addColumn<bool>("isBox");

    // Other bits do not count; a click on a box answering 41 or 40 is a port page case.
    QTest::newRow("20: bit 6 clear") << "20" << false;
    QTest::newRow("last of 40 41: bit 0 set") << "4041" << false;
    QTest::newRow("last of 41 00 42") << "410042" << true;
}

// The probe a click starts, without a scan.
void DetectionTest::boxStatus()
{
    QFETCH(QString, status);
    QFETCH(bool, isBox);
    SimPortRig rig("3=sim:box?status=" + status);
    rig.ports.FillPortList();
    rig.ports.StopTimers();
    rig.Detection().ProbeBox(3);

    QCOMPARE(rig.Detection().BoxFound, isBox);
    QCOMPARE(rig.FoundEntries(), QStringList{isBox ? "COM3 - QXFLINT" : "COM3 - exists"});
    QCOMPARE(rig.CountLog("QXFLINT on Comm 3 found"), isBox ? 1 : 0);
    QCOMPARE(Module_DU::State().SelectedPort, QString("3"));
}

void DetectionTest::noPortsChangesNothing()
{
    SimPortRig rig("");
    QVERIFY(rig.StartAndScan());
    QVERIFY(Module_DU::State().SelectedPort.isEmpty());
    QCOMPARE(rig.CountLog("Search Programmer"), 0);

    // The last port unplugged: the detection runs, finds no port and leaves the choice alone.
    Module_DU::State().SelectedPort = "4";
    rig.Detection().DetectProgrammer();
    QCOMPARE(rig.log.last(), QString("Search Programmer"));
    QCOMPARE(Module_DU::State().SelectedPort, QString("4"));
    QCOMPARE(rig.view.SelectedEntry(), 0);
}

void DetectionTest::waitEndsWhenProgramCloses()
{
    SimPortRig rig("");
    QTimer::singleShot(50, [] { Module_DU::State().Exiting = true; });
    QElapsedTimer clock;
    clock.start();
    rig.Detection().wait(1000); // ten seconds unless the close ends it
    QVERIFY(clock.elapsed() < 5000);
}

QTEST_MAIN(DetectionTest)
#include "test_detection.moc"
