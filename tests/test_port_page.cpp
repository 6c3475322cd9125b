// The port page with its list, clicks and close-down, and tobrik-cli ports, against
// simulated ports.
#include "SimPortRig.h"
#include "TestEnvironment.h"
#include "TestFolders.h"

#include "app/Module_DU.h"
#include "port/frm_Du_Com.h"
#include "sim/SimAdapter.h"
#include "sim/SimUpdateBox.h"

#include <QListWidget>
#include <QProcess>
#include <QPushButton>
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
    QPoint RowCentre(int index) const { return list->visualItemRect(list->item(index)).center(); }
    QString SelectedPort() const { return Module_DU::State().SelectedPort; }

    frm_Du_Com page;
    QListWidget *list = nullptr;
};

constexpr int CliTimeoutMs = 20000;

struct CliRun {
    int status = -1;
    QStringList lines; // of standard output
    QString errors;
};

// tobrik-cli ports with these pins, in the folders the caller made.
CliRun RunCliPortsIn(const TestFolders &, const QString &pins, const QStringList &arguments)
{
    QProcess cli;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("TOBRIK_PORTS", pins);
    cli.setProcessEnvironment(environment);
    cli.start(TestEnvironment::CliPath(), QStringList{"ports"} + arguments);
    if (!cli.waitForFinished(CliTimeoutMs))
        return {};
    return {cli.exitCode(), QString::fromUtf8(cli.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts),
            QString::fromUtf8(cli.readAllStandardError())};
}

// The same in temporary folders of its own.
CliRun RunCliPorts(const QString &pins, const QStringList &arguments)
{
    return RunCliPortsIn(TestFolders(), pins, arguments);
}

const QByteArray SettingsWithPins("[Config]\nLANGUAGE=en\n[Ports]\nCOM5=/dev/serial/by-id/usb-FTDI\n"
                                  "COM6=/dev/ttyS0\n");
} // namespace

class PortPageTest : public QObject {
    Q_OBJECT

private slots:
    void clicksDuringScanAreIgnored();
    void clickProbesPortForBox();
    void clickOnAnotherPortSwitchesAdapterOff();
    void dragSelectionActsOnReleaseRow();
    void closeDownSwitchesAdapterOff();
    void nextDuringDetectionWaitThenBack();
    void closeDuringProbeWaitOpensNoPort();
    void cliPrintsListAndHandOver();
    void cliNamesRefusedPins_data();
    void cliNamesRefusedPins();
    void cliPinWritesSettingsFile_data();
    void cliPinWritesSettingsFile();
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
    QCOMPARE(rig.SelectedPort(), QString("2"));
}

void PortPageTest::clickProbesPortForBox()
{
    PageRig rig("2=sim:box?description=BlueTooth;3=sim:box?status=41");
    rig.page.show();
    QVERIFY(rig.WaitForScans());
    QCOMPARE(rig.Entry(2), QString("COM3 - exists"));
    // Each present port names its device in its tooltip and once in the log.
    QCOMPARE(rig.list->item(2)->toolTip(), QString("Simulated update box"));
    QCOMPARE(rig.list->item(1)->toolTip(), QString());
    QCOMPARE(rig.CountLog("Comm 3: Simulated update box"), 1);

    // The box on COM3 now answers; a mouse click on its entry, already selected, probes it.
    rig.Device<SimUpdateBox>(3)->SetStatus(QByteArray(1, '\x40'));
    const QRect rect = rig.list->visualItemRect(rig.list->item(2));
    QTest::mouseClick(rig.list->viewport(), Qt::LeftButton, {}, rect.center());
    QCOMPARE(rig.Entry(2), QString("COM3 - QXFLINT"));

    // A click on an absent port chooses it although it cannot be opened, and the scan goes on.
    rig.list->setCurrentRow(9);
    QCOMPARE(rig.SelectedPort(), QString("10"));
    QVERIFY(rig.page.findChild<QTimer *>("Timer2")->isActive());

    // Neither the detection nor a click opens a Bluetooth link.
    rig.list->setCurrentRow(1);
    QVERIFY(rig.Device(2)->Received().isEmpty());
    QCOMPARE(rig.SelectedPort(), QString("10"));
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

// Pressed on one row and released on another: the row it ends on is the one chosen.
void PortPageTest::dragSelectionActsOnReleaseRow()
{
    PageRig rig("3=sim:none;6=sim:box");
    rig.page.show();
    QVERIFY(rig.WaitForScans());
    QCOMPARE(rig.SelectedPort(), QString("6"));

    rig.log.clear();
    QTest::mousePress(rig.list->viewport(), Qt::LeftButton, {}, rig.RowCentre(6));
    QTest::mouseMove(rig.list->viewport(), rig.RowCentre(2));
    QTest::mouseRelease(rig.list->viewport(), Qt::LeftButton, {}, rig.RowCentre(2));
    QCOMPARE(rig.list->currentRow(), 2);
    QCOMPARE(rig.log.filter("Select "), QStringList{"Select 2"});
    QCOMPARE(rig.SelectedPort(), QString("3"));
    QCOMPARE(rig.Entry(2), QString("COM3 - exists"));
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

// Next while the detection waits with its port closed, then Back: the detection is abandoned
// while the page is away, and the scans go on afterwards, one at a time.
void PortPageTest::nextDuringDetectionWaitThenBack()
{
    PageRig rig("2=sim:none;5=sim:box");
    rig.Device(2)->Unplug();
    rig.Device(5)->Unplug();
    rig.page.show();
    QVERIFY(rig.WaitForScans()); // no port yet; Next is usable from here on
    auto *next = rig.page.findChild<QPushButton *>("Command6");
    QVERIFY(next->isEnabled());

    int scanDepth = 0;
    int deepestScan = 0;
    QObject::connect(&rig.page.Ports(), &PortList::TimerScanEnded, [&] { --scanDepth; });
    int openedAtNext = -1;
    int openedAtBack = -1;
    rig.onLog = [&](const QString &line) {
        if (line == "Search_Comm")
            deepestScan = std::max(deepestScan, ++scanDepth);
        if (line != "No QXBRISK/QXHALDA found, search QXFLINT" || openedAtNext >= 0)
            return;
        QTimer::singleShot(0, [&] { // in the wait before the box probes
            openedAtNext = rig.Device(2)->Connections();
            next->click();
            QTimer::singleShot(300, [&] {
                openedAtBack = rig.Device(2)->Connections();
                rig.Device(5)->Plug();
                rig.page.ShowAndResumeScan();
            });
        });
    };
    rig.Device(2)->Plug();
    QTRY_VERIFY_WITH_TIMEOUT(openedAtBack >= 0, 20000);
    QVERIFY(openedAtNext >= 0);
    QCOMPARE(openedAtBack, openedAtNext);

    QTRY_COMPARE_WITH_TIMEOUT(rig.Entry(4), QString("COM5 - QXFLINT"), 20000);
    QCOMPARE(rig.SelectedPort(), QString("5"));
    QVERIFY(rig.WaitForScans());
    QCOMPARE(deepestScan, 1);
    QVERIFY(rig.page.findChild<QTimer *>("Timer2")->isActive());
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
    const CliRun run = RunCliPorts("3=sim:box;7=sim:adapter", {"--log", "--scans", "1"});
    QCOMPARE(run.status, 0);
    QCOMPARE(run.lines.size(), 35);
    QCOMPARE(run.lines[0], QString("COM1"));
    QCOMPARE(run.lines[2], QString("COM3 - exists\tSimulated update box"));
    QCOMPARE(run.lines[6], QString("COM7 - QXBRISK/QXHALDA\tSimulated adapter"));
    QCOMPARE(run.lines.mid(32), (QStringList{"Selected=6", "SelectedPort=7", "AdapterActive=1"}));
    QVERIFY(run.errors.contains("QXBRISK/QXHALDA on Comm 7 found\n"));
}

void PortPageTest::cliNamesRefusedPins_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("without the log") << QStringList{};
    QTest::newRow("with the log") << QStringList{"--log"};
}

// Pins the simulator does not understand are left out of the list, and standard error names
// each of them once, with or without the log there.
void PortPageTest::cliNamesRefusedPins()
{
    QFETCH(QStringList, arguments);
    const CliRun run = RunCliPorts("3=sim:box;5=sim:adapter?replay=OK;6=sim:bx", arguments);
    QCOMPARE(run.status, 0);
    QCOMPARE(run.lines.mid(2, 4),
             (QStringList{"COM3 - QXFLINT\tSimulated update box", "COM4", "COM5", "COM6"}));
    const QStringList refusals{
        "COM5=sim:adapter?replay=OK from TOBRIK_PORTS refused: adapter takes no key \"replay\"",
        "COM6=sim:bx from TOBRIK_PORTS refused: unknown kind \"bx\""};
    for (const QString &refused : refusals)
        QVERIFY2(run.errors.count(refused) == 1, qPrintable(run.errors));
}

void PortPageTest::cliPinWritesSettingsFile_data()
{
    QTest::addColumn<QString>("pin");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("settings"); // afterwards

    // The device leaves its old number, so the new pin is the one that counts.
    QTest::newRow("device moved to COM3")
        << "com3=/dev/serial/by-id/usb-FTDI" << 0
        << QByteArray("[Config]\nLANGUAGE=en\n[Ports]\nCOM5=\nCOM6=/dev/ttyS0\n"
                      "COM3=/dev/serial/by-id/usb-FTDI\n");
    QTest::newRow("number beyond COM32") << "33=/dev/ttyUSB0" << 64 << SettingsWithPins;
    QTest::newRow("misspelt simulated port") << "3=sim:bx" << 64 << SettingsWithPins;
}

// tobrik-cli ports --pin rewrites the settings file whole, its other sections kept.
void PortPageTest::cliPinWritesSettingsFile()
{
    QFETCH(QString, pin);
    QFETCH(int, status);
    QFETCH(QByteArray, settings);
    const TestFolders folders;
    const QString path = TestFolders::WriteFile(folders.UserFolder() + "Inits.ini", SettingsWithPins);
    const CliRun run = RunCliPortsIn(folders, QString(), {"--pin", pin});
    QVERIFY2(run.status == status, qPrintable(run.errors));
    QCOMPARE(TestFolders::ReadFile(path), settings);
}

QTEST_MAIN(PortPageTest)
#include "test_port_page.moc"
