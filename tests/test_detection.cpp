// Which answers the detection takes for an adapter or an update box, and what it leaves in the
// list, the shared state and the log, against simulated ports.
#include "SimPortRig.h"

#include "app/Module_DU.h"
#include "port/PortDetection.h"
#include "sim/SimAdapter.h"
#include "sim/SimUpdateBox.h"

#include <QtTest>

class DetectionTest : public QObject {
    Q_OBJECT

private slots:
    void adapterAnswer_data();
    void adapterAnswer();
    void boxStatus_data();
    void boxStatus();
    void severalAdaptersLastOneChosen();
    void adapterAnswerSkipsBoxProbe();
};

void DetectionTest::adapterAnswer_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<bool>("isAdapter");
    QTest::addColumn<QString>("loggedResponse");

    QTest::newRow("OK and CR") << "OK%0D" << true << "";
    QTest::newRow("lower case") << "ok%0D" << true << "";
    QTest::newRow("amid other text") << "FLINT%20OK%0D%0A" << true << "";
    QTest::newRow("without CR") << "OK" << false << "Response on Comm 2: OK";
    QTest::newRow("garbage") << "%FF%01K%0D" << false << QString("Response on Comm 2: ÿ\x01K\r");
}

// An adapter whose answer does not count has still switched its update-box mode on, so the
// box probe that follows finds it as an update box.
void DetectionTest::adapterAnswer()
{
    QFETCH(QString, reply);
    QFETCH(bool, isAdapter);
    QFETCH(QString, loggedResponse);
    SimPortRig rig("2=sim:adapter?reply=" + reply);
    QVERIFY(rig.StartAndScan());

    const auto &state = Module_DU::State();
    QCOMPARE(state.AdapterActive, isAdapter);
    QCOMPARE(rig.View().Entry(1), isAdapter ? QString("COM2 - QXBRISK/QXHALDA") : "COM2 - QXFLINT");
    QCOMPARE(state.SelectedPort, QString("2"));
    QCOMPARE(rig.View().SelectedEntry(), 1);
    QCOMPARE(rig.CountLog("QXBRISK/QXHALDA on Comm 2 found"), isAdapter ? 1 : 0);
    if (!loggedResponse.isEmpty())
        QVERIFY2(rig.LogLines().contains(loggedResponse), qPrintable(rig.LogLines().join('|')));
}

void DetectionTest::boxStatus_data()
{
    QTest::addColumn<QString>("status");
    QTest::addColumn<bool>("isBox");

    QTest::newRow("40") << "40" << true;
    QTest::newRow("42") << "42" << true;
    QTest::newRow("41: bit 0 set") << "41" << false;
    QTest::newRow("20: bit 6 clear") << "20" << false;
    QTest::newRow("00") << "00" << false;
    QTest::newRow("last of 40 41") << "4041" << false;
    QTest::newRow("last of 41 00 40") << "410040" << true;
}

void DetectionTest::boxStatus()
{
    QFETCH(QString, status);
    QFETCH(bool, isBox);
    SimPortRig rig("3=sim:box?status=" + status);
    QVERIFY(rig.StartAndScan());

    QCOMPARE(rig.Detection().BoxFound, isBox);
    QCOMPARE(rig.View().Entry(2), isBox ? QString("COM3 - QXFLINT") : "COM3 - exists");
    QCOMPARE(rig.CountLog("QXFLINT on Comm 3 found"), isBox ? 1 : 0);
    QCOMPARE(rig.CountLog("No Programmer, select 3"), isBox ? 0 : 1);
}

void DetectionTest::severalAdaptersLastOneChosen()
{
    SimPortRig rig("3=sim:adapter;5=sim:none;7=sim:adapter");
    QVERIFY(rig.StartAndScan());

    QCOMPARE(rig.View().Entry(2), QString("COM3 - QXBRISK/QXHALDA"));
    QCOMPARE(rig.View().Entry(6), QString("COM7 - QXBRISK/QXHALDA"));
    QCOMPARE(Module_DU::State().SelectedPort, QString("7"));
    QCOMPARE(rig.View().SelectedEntry(), 6);
    QVERIFY(Module_DU::State().AdapterActive);
    QCOMPARE(rig.Detection().AdapterPort, int16_t(7));
    // Both stay in update-box mode.
    QVERIFY(rig.Device<SimAdapter>(3)->BoxMode());
    QVERIFY(rig.Device<SimAdapter>(7)->BoxMode());
}

void DetectionTest::adapterAnswerSkipsBoxProbe()
{
    SimPortRig rig("1=sim:box;2=sim:adapter");
    QVERIFY(rig.StartAndScan());

    QCOMPARE(Module_DU::State().SelectedPort, QString("2"));
    QCOMPARE(rig.View().Entry(0), QString("COM1 - exists"));
    QCOMPARE(rig.CountLog("No QXBRISK/QXHALDA found, search QXFLINT"), 0);
    QVERIFY(!rig.Device<SimUpdateBox>(1)->Line1Raised());
    QCOMPARE(rig.Device<SimUpdateBox>(1)->Received(), QByteArray("\rFLINT_EIN\r"));
}

QTEST_MAIN(DetectionTest)
#include "test_detection.moc"
