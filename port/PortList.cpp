#include "port/PortList.h"

#include "app/Log.h"
#include "app/Module_DU.h"
#include "app/modFunctions.h"
#include "port/PortDetection.h"
#include "port/PortView.h"
#include "port/SComm.h"
#include "port/SerialError.h"

#include <QTimer>

namespace {
// The first scan soon after the start-up; later ones a second after the previous scan ended.
constexpr int FirstScanDelayMs = 100;
constexpr int ScanIntervalMs = 1000;

bool MarksAdapter(const QString &description)
{
    return description.contains(QLatin1String("VARNO"), Qt::CaseInsensitive)
        || description.contains(QLatin1String("QXHALDA"), Qt::CaseInsensitive);
}
} // namespace

PortList::PortList(PortView &view, QObject *parent)
    : QObject(parent),
      Timer2(new QTimer(this)),
      page_(view, *Timer2),
      detection_(new PortDetection(page_, this))
{
    Timer2->setObjectName(QStringLiteral("Timer2"));
    connect(Timer2, &QTimer::timeout, this, &PortList::Timer2_Timer);
}

void PortList::Start()
{
    ResetProgrammerState();
    FillPortList();
    StartScanning();
}

void PortList::ResetProgrammerState()
{
    page_.ClearProgrammaticSelection();
    Module_DU::State().AdapterActive = false;
    detection_->BoxFound = false;
}

void PortList::FillPortList()
{
    PortView &view = page_.View();
    view.ClearEntries();
    for (int port = 1; port <= PortMap::PortCount; ++port)
        view.AddEntry(PortPageState::AbsentEntryText(port));
    page_.SelectProgrammatically(0);
}

void PortList::StartScanning()
{
    portCount_ = 0;
    timerScan_ = false;
    page_.SuspendScanning(false);
    Timer2->setInterval(FirstScanDelayMs);
    Timer2->start();
}

void PortList::Timer2_Timer()
{
    if (Module_DU::State().Exiting) {
        Timer2->stop();
        emit UnloadRequested();
        return;
    }
    Timer2->setInterval(ScanIntervalMs);
    Timer2->stop();
    timerScan_ = true;
    ScanPorts();
    timerScan_ = false;
    emit TimerScanEnded();
    page_.EnableScanTimer();
}

void PortList::ScanPorts()
{
    auto &state = Module_DU::State();
    Log::Line(QStringLiteral("Search_Comm"));
    // The one question to the system per scan; each port's description comes from its answer.
    PortMap::Instance().Refresh();
    page_.ExistingPorts.clear();
    const int16_t previousCount = portCount_;
    portCount_ = 0;
    SComm &comm = detection_->Comm();
    for (int port = 1; port <= PortMap::PortCount; ++port) {
        try {
            comm.setPortnumber(port);
        } catch (const SerialError &) {
            continue; // the page's port is open; this port keeps its entry until the next scan
        }
        const QString description = comm.description();
        if (!PortPageState::Exists(description)) {
            page_.PortKind[port] = PortKinds::Nothing;
            UpdateEntry(port, PortPageState::AbsentEntryText(port), QString());
            continue;
        }
        Log::Line(QStringLiteral("Comm %1 exist").arg(port));
        page_.ExistingPorts.append(QString::number(port));
        if (MarksAdapter(description))
            page_.PortKind[port] = PortKinds::Adapter;
        UpdateEntry(port, PortPageState::EntryText(port, page_.PortKind[port]), description);
        ++portCount_;
    }
    if (portCount_ == previousCount)
        return;
    if (!state.SelectedPort.isEmpty())
        page_.SelectProgrammatically(state.SelectedPort.toInt() - 1);
    state.AdapterActive = false;
    detection_->DetectProgrammer();
    if (detection_->Stopped())
        portCount_ = UnknownPortCount;
}

// A device is logged when it appears behind its number, so the log says which one was probed.
void PortList::UpdateEntry(int port, const QString &text, const QString &device)
{
    PortView &view = page_.View();
    if (view.EntryDevice(port - 1) != device) {
        view.SetEntryDevice(port - 1, device);
        if (!device.isEmpty())
            Log::Line(QStringLiteral("Comm %1: %2").arg(port).arg(device));
    }
    if (view.Entry(port - 1) == text)
        return;
    page_.SetEntry(port, text);
    modFunctions::DoEvents();
}

void PortList::List1_Click(int index)
{
    if (timerScan_)
        return; // a timer scan or its detection is running
    page_.DisableScanTimer();
    Log::Line(QStringLiteral("Select %1").arg(index));
    if (page_.ProgrammaticSelection())
        return; // the code that selected enables the timer again itself
    // A click while an earlier click's probe waits would open a second port over the first.
    if (clickProbe_)
        return;
    clickProbe_ = true;
    ChoosePort(index + 1);
    clickProbe_ = false;
    page_.EnableScanTimer();
}

void PortList::ChoosePort(int port)
{
    if (page_.ExistingPorts.isEmpty())
        return;
    auto &state = Module_DU::State();
    const PortKinds kind = page_.PortKind.at(port);
    if (state.AdapterActive && kind != PortKinds::Adapter)
        detection_->AdapterOff();
    if (kind < PortKinds::Adapter)
        detection_->ProbeBox(static_cast<int16_t>(port));
    else
        state.SelectedPort = QString::number(port);
}

void PortList::LeavePage()
{
    StopTimers();
    detection_->Halt();
}

// Timer1 runs only inside a wait, which stops it when it ends; the close-down's Exiting and
// Next's halt end a running wait.
void PortList::StopTimers()
{
    page_.SuspendScanning(true);
}

void PortList::ResumeScan()
{
    detection_->Resume();
    page_.SuspendScanning(false);
    // A scan or a click that is still running starts the timer itself as it ends; a tick now
    // would run a scan inside it.
    if (!timerScan_ && !clickProbe_)
        Timer2->start();
}

PortDetection &PortList::Detection()
{
    return *detection_;
}

const PortPageState &PortList::State() const
{
    return page_;
}
