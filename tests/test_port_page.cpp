// The port page with its list, clicks, Next and close-down, and tobrik-cli ports, against
// simulated ports.
#include "TestFolders.h"

#include "app/Log.h"
#include "app/Module_DU.h"
#include "port/PortDetection.h"
#include "port/PortList.h"
#include "port/PortMap.h"
#include "port/frm_Du_Com.h"
#include "sim/SimAdapter.h"
#include "sim/SimUpdateBox.h"

#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

namespace {
// One port page on simulated ports, its log captured.
class PageRig {
public:
    explicit PageRig(const QString &ports)
    {
        qputenv("TOBRIK_PORTS", ports.toUtf8());
        PortMap::Instance().Reset();
        Log::SetSink([this](const QString &line) { log.append(line); });
        page.Form_Load();
        list = page.findChild<QListWidget *>("List1");
        next = page.findChild<QPushButton *>("Command6");
    }
    ~PageRig()
    {
        Log::SetSink(nullptr);
        qunsetenv("TOBRIK_PORTS");
        PortMap::Instance().Reset();
    }

    bool WaitForScans(int scans)
    {
        QSignalSpy ended(&page.Ports(), &PortList::TimerScanEnded);
        return QTest::qWaitFor([&] { return ended.count() >= scans; }, 20000);
    }
    template <typename Model>
    Model *Device(int com) const
    {
        return dynamic_cast<Model *>(PortMap::Instance().Simulated(com).get());
    }
    QString Entry(int index) const { return list->item(index)->text(); }

    TestFolders folders;
    QStringList log;
    frm_Du_Com page;
    QListWidget *list = nullptr;
    QPushButton *next = nullptr;
};

QStringList RunCli(const QStringList &arguments, const QByteArray &ports, QString *errors = nullptr)
{
    TestFolders folders;
    QProcess cli;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("TOBRIK_PORTS", QString::fromUtf8(ports));
    cli.setProcessEnvironment(environment);
    cli.start(qEnvironmentVariable("TOBRIK_CLI"), QStringList{"ports"} + arguments);
    if (!cli.waitForFinished(20000) || cli.exitCode() != 0)
        return {};
    if (errors)
        *errors = QString::fromUtf8(cli.readAllStandardError());
    return QString::fromUtf8(cli.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}
} // namespace

class PortPageTest : public QObject {
    Q_OBJECT

private slots:
    void clicksDuringScanAreIgnored();
    void clickProbesPortForBox();
    void clickOnMarkedAdapterPortTakesItWithoutProbe();
    void clickOnAnotherPortSwitchesAdapterOff();
    void secondPortPluggedStartsNewDetection();
    void nextWaitsUntilPortIsClosed();
    void closeDownSwitchesAdapterOffFirst();
    void cliPrintsListAndHandOver();
};

void PortPageTest::clicksDuringScanAreIgnored()
{
    PageRig rig("2=sim:none;4=sim:box");
    rig.page.show();
    QTimer::singleShot(150, [&] { rig.list->setCurrentRow(1); }); // in the adapter probe
    QVERIFY(rig.WaitForScans(1));

    QVERIFY(!rig.log.contains("Select 1"));
    QCOMPARE(Module_DU::State().SelectedPort, QString("4"));
    QCOMPARE(rig.Entry(3), QString("COM4 - QXFLINT"));
    QCOMPARE(rig.list->currentRow(), 3);

    // So is a click while an earlier click's probe runs.
    QTimer::singleShot(150, [&] { rig.list->setCurrentRow(4); });
    rig.list->setCurrentRow(1);
    QVERIFY(rig.log.contains("Select 4"));
    QCOMPARE(Module_DU::State().SelectedPort, QString("2"));
}

void PortPageTest::clickProbesPortForBox()
{
    PageRig rig("2=sim:none;3=sim:box?status=41");
    rig.page.show();
    QVERIFY(rig.WaitForScans(1));
    QCOMPARE(Module_DU::State().SelectedPort, QString("3"));
    QCOMPARE(rig.Entry(2), QString("COM3 - exists"));

    // The box on COM3 now answers; a mouse click on its entry, already selected, probes it.
    rig.Device<SimUpdateBox>(3)->SetStatus(QByteArray(1, '\x40'));
    const QRect rect = rig.list->visualItemRect(rig.list->item(2));
    QTest::mouseClick(rig.list->viewport(), Qt::LeftButton, {}, rect.center());
    QCOMPARE(rig.Entry(2), QString("COM3 - QXFLINT"));
    QVERIFY(rig.log.contains("QXFLINT on Comm 3 found"));

    // A click on an absent port chooses it although it cannot be opened.
    rig.list->setCurrentRow(9);
    QCOMPARE(Module_DU::State().SelectedPort, QString("10"));
    QCOMPARE(rig.Entry(9), QString("COM10"));
    QVERIFY(rig.page.findChild<QTimer *>("Timer2")->isActive());
}

void PortPageTest::clickOnMarkedAdapterPortTakesItWithoutProbe()
{
    PageRig rig("1=sim:none;2=sim:none?description=VARNO%20USB%20adapter");
    QVERIFY(rig.WaitForScans(1));
    QCOMPARE(rig.Entry(1), QString("COM2 - QXBRISK/QXHALDA"));
    QCOMPARE(Module_DU::State().SelectedPort, QString("2"));

    rig.list->setCurrentRow(0);
    rig.log.clear();
    rig.list->setCurrentRow(1);
    QCOMPARE(rig.log, QStringList{"Select 1"});
    QCOMPARE(Module_DU::State().SelectedPort, QString("2"));
}

void PortPageTest::clickOnAnotherPortSwitchesAdapterOff()
{
    PageRig rig("3=sim:adapter;5=sim:box");
    QVERIFY(rig.WaitForScans(1));
    SimAdapter *adapter = rig.Device<SimAdapter>(3);
    QVERIFY(adapter->BoxMode());

    rig.list->setCurrentRow(4);
    QVERIFY(!adapter->BoxMode());
    QVERIFY(!Module_DU::State().AdapterActive);
    QCOMPARE(Module_DU::State().SelectedPort, QString("5"));
    QCOMPARE(rig.Entry(4), QString("COM5 - QXFLINT"));
    // The adapter keeps its mark, so a click back takes it without a probe.
    QCOMPARE(rig.Entry(2), QString("COM3 - QXBRISK/QXHALDA"));
}

void PortPageTest::secondPortPluggedStartsNewDetection()
{
    PageRig rig("2=sim:adapter;6=sim:box");
    PortMap::Instance().Refresh();
    rig.Device<SimUpdateBox>(6)->Unplug();
    QVERIFY(rig.WaitForScans(2));
    QCOMPARE(rig.log.count("Search Programmer"), 1);
    QVERIFY(Module_DU::State().AdapterActive);

    rig.Device<SimUpdateBox>(6)->Plug();
    QVERIFY(rig.WaitForScans(1));
    QCOMPARE(rig.log.count("Search Programmer"), 2);
    QCOMPARE(rig.Entry(5), QString("COM6 - exists"));
    // The adapter answered again, so the box was not probed.
    QCOMPARE(rig.log.count("No QXBRISK/QXHALDA found, search QXFLINT"), 0);
    QVERIFY(Module_DU::State().AdapterActive);
    QCOMPARE(Module_DU::State().SelectedPort, QString("2"));
}

void PortPageTest::nextWaitsUntilPortIsClosed()
{
    PageRig rig("1=sim:none");
    rig.page.show();
    QVERIFY(rig.WaitForScans(1));
    QVERIFY(rig.next->isEnabled());
    QSignalSpy nextRequested(&rig.page, &frm_Du_Com::NextRequested);

    // A click probes COM1, whose port opens after 100 ms; Next pressed while it is open does
    // nothing.
    rig.list->blockSignals(true);
    rig.list->setCurrentRow(3);
    rig.list->blockSignals(false);
    QTimer::singleShot(200, [&] {
        QVERIFY(rig.page.Ports().Detection().PortOpen());
        rig.next->click();
    });
    rig.list->setCurrentRow(0);
    QCOMPARE(nextRequested.count(), 0);
    QVERIFY(rig.page.isVisible());

    rig.next->click();
    QCOMPARE(nextRequested.count(), 1);
    QVERIFY(!rig.page.isVisible());
    QVERIFY(!rig.page.findChild<QTimer *>("Timer2")->isActive());
}

void PortPageTest::closeDownSwitchesAdapterOffFirst()
{
    PageRig rig("4=sim:adapter");
    QVERIFY(rig.WaitForScans(1));
    SimAdapter *adapter = rig.Device<SimAdapter>(4);
    QVERIFY(adapter->BoxMode());

    bool offBeforeOtherPages = false;
    connect(&rig.page, &frm_Du_Com::UnloadOtherPages, this,
            [&] { offBeforeOtherPages = !adapter->BoxMode(); });
    rig.page.close();
    QVERIFY(offBeforeOtherPages);
    QVERIFY(adapter->Received().endsWith("FLINT_AUS\r"));
    QVERIFY(!Module_DU::State().AdapterActive);
    QVERIFY(!rig.page.Ports().Detection().PortOpen());
}

void PortPageTest::cliPrintsListAndHandOver()
{
    QString errors;
    const QStringList lines = RunCli({"--log"}, "3=sim:box;7=sim:adapter?decoder=12", &errors);
    QCOMPARE(lines.size(), 35);
    QCOMPARE(lines[0], QString("COM1"));
    QCOMPARE(lines[2], QString("COM3 - exists"));
    QCOMPARE(lines[6], QString("COM7 - QXBRISK/QXHALDA"));
    QCOMPARE(lines[31], QString("COM32"));
    QCOMPARE(lines.mid(32), (QStringList{"Selected=6", "SelectedPort=7", "AdapterActive=1"}));
    QVERIFY(errors.contains("QXBRISK/QXHALDA on Comm 7 found\n"));

    const QStringList box = RunCli({"--scans", "2"}, "3=sim:box");
    QCOMPARE(box.mid(32), (QStringList{"Selected=2", "SelectedPort=3", "AdapterActive=0"}));
    QCOMPARE(box[2], QString("COM3 - QXFLINT"));

    const QStringList none = RunCli({}, "");
    QCOMPARE(none.mid(32), (QStringList{"Selected=0", "SelectedPort=", "AdapterActive=0"}));
}

QTEST_MAIN(PortPageTest)
#include "test_port_page.moc"
