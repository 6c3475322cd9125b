// The port page's clicks and close-down, and tobrik-cli ports, against simulated ports.
#include "SimPortRig.h"
#include "TestEnvironment.h"
#include "TestFolders.h"

#include "app/Module_DU.h"
#include "port/frm_Du_Com.h"
#include "sim/SimAdapter.h"

#include <QListWidget>
#include <QProcess>
#include <QTimer>
#include <QtTest>

namespace {
// One loaded port page on simulated ports. The folders come first: making them clears the
// shared state, the log listener with it.
class PageRig : private TestFolders, public SimPorts {
public:
    explicit PageRig(const QString &ports) : SimPorts(ports)
    {
        page.Form_Load();
        list = page.findChild<QListWidget *>("List1");
    }
    bool WaitForScans(int scans = 1) { return ::WaitForScans(page.Ports(), scans); }
    QString Entry(int index) const { return list->item(index)->text(); }
    QString SelectedPort() const { return Module_DU::State().SelectedPort; }

    frm_Du_Com page;
    QListWidget *list = nullptr;
};
} // namespace

class PortPageTest : public QObject {
    Q_OBJECT

private slots:
    void clicksDuringScanAreIgnored();
    void clickOnAnotherPortSwitchesAdapterOff();
    void closeDownSwitchesAdapterOff();
    void closeDuringProbeWaitOpensNoPort();
    void cliPrintsListAndHandOver();
};

void PortPageTest::clicksDuringScanAreIgnored()
{
    PageRig rig("2=sim:none;4=sim:adapter");
    rig.page.show();
    QTimer::singleShot(150, [&] { rig.list->setCurrentRow(1); }); // in the adapter probe
    QVERIFY(rig.WaitForScans());
    QVERIFY(!rig.log.contains("Select 1"));
    QCOMPARE(rig.SelectedPort(), QString("4"));
    QCOMPARE(rig.list->currentRow(), 3);

    // So is a click while an earlier click's probe runs.
    QTimer::singleShot(150, [&] { rig.list->setCurrentRow(4); });
    rig.list->setCurrentRow(1);
    QVERIFY(rig.log.contains("Select 4"));
    QCOMPARE(rig.CountLog("No QXHALDA/QXBRISK found, search QXFLINT"), 1); // one probe only
    QCOMPARE(rig.SelectedPort(), QString("2"));
}

void PortPageTest::clickOnAnotherPortSwitchesAdapterOff()
{
    PageRig rig("3=sim:adapter;5=sim:box");
    QVERIFY(rig.WaitForScans());
    auto *adapter = rig.Device<SimAdapter>(3);
    QVERIFY(adapter->BoxMode());

    rig.list->setCurrentRow(4);
    QVERIFY(!adapter->BoxMode());
    QVERIFY(!Module_DU::State().AdapterActive);
    QCOMPARE(rig.SelectedPort(), QString("5"));
    QCOMPARE(rig.Entry(4), QString("COM5 - QXFLINT"));

    // The adapter keeps its mark, so a click back takes it without a probe.
    rig.log.clear();
    rig.list->setCurrentRow(2);
    QCOMPARE(rig.log, QStringList{"Select 2"});
    QCOMPARE(rig.SelectedPort(), QString("3"));
}

void PortPageTest::closeDownSwitchesAdapterOff()
{
    PageRig rig("4=sim:adapter");
    QVERIFY(rig.WaitForScans());
    auto *adapter = rig.Device<SimAdapter>(4);
    QVERIFY(adapter->BoxMode());

    rig.page.close();
    QVERIFY(!adapter->BoxMode());
    QVERIFY(adapter->Received().endsWith("FLINT_AUS\r"));
    QVERIFY(!Module_DU::State().AdapterActive);
    QVERIFY(!rig.page.Ports().Detection().PortOpen());
}

// Closing the page while a click's probe waits, before it opens its port: nothing is opened
// once the close-down has begun.
void PortPageTest::closeDuringProbeWaitOpensNoPort()
{
    PageRig rig("3=sim:box;5=sim:none");
    rig.page.show();
    QVERIFY(rig.WaitForScans());
    const int opened = rig.Device(5)->Connections();
    rig.onLog = [&](const QString &line) {
        if (line == "No QXHALDA/QXBRISK found, search QXFLINT")
            QTimer::singleShot(0, &rig.page, &QWidget::close);
    };

    rig.list->setCurrentRow(4);
    QVERIFY(Module_DU::State().Exiting);
    QCOMPARE(rig.Device(5)->Connections(), opened);
    QVERIFY(!rig.page.Ports().Detection().PortOpen());
}

void PortPageTest::cliPrintsListAndHandOver()
{
    const TestFolders folders;
    QProcess cli;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("TOBRIK_PORTS", "3=sim:box;7=sim:adapter");
    cli.setProcessEnvironment(environment);
    cli.start(TestEnvironment::CliPath(), {"ports", "--log", "--scans", "1"});
    QVERIFY(cli.waitForFinished());
    QCOMPARE(cli.exitCode(), 0);
    const QStringList lines =
        QString::fromUtf8(cli.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 35);
    QCOMPARE(lines[2], QString("COM3 - exists\tSimulated update box"));
    QCOMPARE(lines[6], QString("COM7 - QXBRISK/QXHALDA\tSimulated adapter"));
    QCOMPARE(lines.mid(32), (QStringList{"Selected=6", "SelectedPort=7", "AdapterActive=1"}));
    QVERIFY(cli.readAllStandardError().contains("QXBRISK/QXHALDA on Comm 7 found\n"));
}

QTEST_MAIN(PortPageTest)
#include "test_port_page.moc"
