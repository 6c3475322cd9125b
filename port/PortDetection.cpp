#include "port/PortDetection.h"

#include "app/Log.h"
#include "app/Module_DU.h"
#include "app/modFunctions.h"
#include "port/EventWait.h"
#include "port/PortPageState.h"
#include "port/PortView.h"
#include "port/Protocol.h"
#include "port/SComm.h"
#include "port/SerialError.h"

#include <QTimer>

namespace {
using Protocol::Detection::AdapterReplyTicks;
using Protocol::Detection::PauseTicks;

// A byte array taken from text keeps each character's 16-bit code, low byte first.
QByteArray BytesOfText(const QString &text)
{
    QByteArray bytes;
    for (const QChar character : text) {
        bytes.append(static_cast<char>(character.unicode() & 0xFF));
        bytes.append(static_cast<char>(character.unicode() >> 8));
    }
    return bytes;
}

void LogFailure(int16_t port, const SerialError &error)
{
    Log::Line(QStringLiteral("Comm %1: %2").arg(port).arg(error.Description()));
}
} // namespace

PortDetection::PortDetection(PortPageState &page, QObject *parent)
    : QObject(parent), page_(page)
{
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    connect(Timer1, &QTimer::timeout, this, &PortDetection::Timer1_Timer);
    MSComm2 = new SComm(this);
    MSComm2->setObjectName(QStringLiteral("MSComm2"));
    connect(MSComm2, &SComm::OnComm, this, &PortDetection::MSComm2_OnComm);
}

// Only the wait itself stops Timer1: stopped from outside, the loop would never see its time-out.
void PortDetection::wait(int16_t timercntin)
{
    waitCountdown_ = timercntin;
    waitTimedOut_ = false;
    Timer1->setInterval(Protocol::Detection::TickMs);
    Timer1->start();
    RunEventsUntil([this] { return waitTimedOut_ || Stopped(); });
    Timer1->stop();
}

void PortDetection::Timer1_Timer()
{
    if (--waitCountdown_ < 1) {
        Timer1->stop();
        waitTimedOut_ = true;
    }
}

void PortDetection::LineOn()
{
    SwitchLine1(*MSComm2, true);
}

void PortDetection::LineOff()
{
    SwitchLine1(*MSComm2, false);
}

void PortDetection::DetectProgrammer()
{
    auto &state = Module_DU::State();
    Log::Line(QStringLiteral("Search Programmer"));
    MSComm2->setSettings(Protocol::ProbeLineSettings);
    MSComm2->setRxthreshold(Protocol::ReceiveThresholdBytes);
    if (page_.ExistingPorts.isEmpty())
        return;
    state.AdapterActive = false;
    // Every adapter is switched on, so several answering leave the last one chosen.
    for (const QString &port : page_.ExistingPorts) {
        if (Stopped() || SkipBluetooth(port.toShort()))
            return;
        ProbeAdapterOn(port.toShort());
    }
    if (state.AdapterActive)
        return;

    Log::Line(QStringLiteral("No QXBRISK/QXHALDA found, search QXFLINT"));
    BoxFound = false;
    wait(PauseTicks);
    for (const QString &port : page_.ExistingPorts) {
        if (Stopped() || SkipBluetooth(port.toShort()))
            return;
        ProbeBoxOn(port.toShort());
        if (BoxFound)
            return;
    }

    state.SelectedPort = page_.ExistingPorts.last();
    page_.SelectProgrammatically(state.SelectedPort.toInt() - 1);
    Log::Line(QStringLiteral("No Programmer, select ") + state.SelectedPort);
}

void PortDetection::ProbeAdapterOn(int16_t port)
{
    QString answer;
    try {
        MSComm2->setOverlappedio(false);
        MSComm2->setHandshake(SComm::comNone);
        MSComm2->setCtrlline1(false);
        MSComm2->setCtrlline2(false);
        OpenProbePort();
        MSComm2->setReadlen(SComm::ReadAllWaiting);
        MSComm2->setIncount(0);
        MSComm2->output(QString(Protocol::CommandEnd));
        wait(PauseTicks);
        modFunctions::DoEvents();
        MSComm2->output(Protocol::AdapterOnCommand + Protocol::CommandEnd);
        wait(AdapterReplyTicks);
        while (MSComm2->incount() != 0)
            answer += MSComm2->input().toString();
    } catch (const SerialError &error) {
        LogFailure(port, error);
    }
    if (answer.contains(Protocol::AdapterOkReply, Qt::CaseInsensitive)) {
        Module_DU::State().AdapterActive = true;
        AdapterPort = port;
        MarkFound(port, PortKinds::Adapter,
                  QStringLiteral("QXBRISK/QXHALDA on Comm %1 found").arg(port));
    } else if (!answer.isEmpty()) {
        Log::Line(QStringLiteral("Response on Comm %1: ").arg(port) + answer);
    }
    ClosePort();
}

void PortDetection::ProbeBoxOn(int16_t port)
{
    try {
        OpenForProbe();
        if (PulseAndReadStatus() && BoxAnswered()) {
            BoxFound = true;
            MarkFound(port, PortKinds::Box, QStringLiteral("QXFLINT on Comm %1 found").arg(port));
        }
    } catch (const SerialError &error) {
        LogFailure(port, error);
    }
    ClosePort();
}

void PortDetection::ProbeBox(int16_t port)
{
    auto &state = Module_DU::State();
    page_.DisableScanTimer();
    Log::Line(QStringLiteral("No QXHALDA/QXBRISK found, search QXFLINT"));
    BoxFound = false;
    wait(PauseTicks);
    if (SkipBluetooth(port)) {
        page_.EnableScanTimer();
        return;
    }
    state.SelectedPort = QString::number(port);
    try {
        OpenForProbe();
        if (PulseAndReadStatus()) {
            page_.SetEntry(port, PortPageState::EntryText(port, PortKinds::Nothing));
            page_.PortKind[port] = PortKinds::Nothing;
            if (BoxAnswered()) {
                BoxFound = true;
                MarkFound(port, PortKinds::Box,
                          QStringLiteral("QXFLINT on Comm %1 found").arg(port));
            }
        }
    } catch (const SerialError &error) {
        // The list click that started the probe enables the scan timer again.
        LogFailure(port, error);
        ClosePort();
        return;
    }
    ClosePort();
    page_.EnableScanTimer();
}

void PortDetection::AdapterOff()
{
    auto &state = Module_DU::State();
    if (state.AdapterActive) {
        try {
            if (!MSComm2->portopen()) {
                MSComm2->setPortnumber(AdapterPort);
                MSComm2->setReadlen(SComm::ReadAllWaiting);
                MSComm2->setPortopen(true);
            }
            LineOff();
            MSComm2->setCtrlline2(false);
            MSComm2->output(Protocol::AdapterOffCommand + Protocol::CommandEnd);
        } catch (const SerialError &error) {
            LogFailure(AdapterPort, error);
        }
        state.AdapterActive = false;
    }
    modFunctions::DoEvents();
    ClosePort();
}

// A probe that goes on after its wait was cut short must not reach a device any more.
void PortDetection::OpenProbePort()
{
    if (Stopped())
        throw SerialError(QStringLiteral("Detection stopped"));
    MSComm2->setPortopen(true);
}

void PortDetection::OpenForProbe()
{
    MSComm2->setHandshake(SComm::comNone);
    MSComm2->setReadlen(SComm::ReadOneByte);
    LineOff();
    MSComm2->setCtrlline2(false);
    OpenProbePort();
}

// The 100 ms pulse on line 1 wakes the box; the status byte follows its end.
bool PortDetection::PulseAndReadStatus()
{
    wait(PauseTicks);
    LineOn();
    modFunctions::DoEvents();
    wait(PauseTicks);
    LineOff();
    modFunctions::DoEvents();
    wait(PauseTicks);
    if (MSComm2->incount() == 0)
        return false;
    ReadIntoReceiveBuffer();
    ByteBits = SplitIntoBits(LastReceivedByte());
    return true;
}

// One character per read; the last byte received is the one examined.
void PortDetection::ReadIntoReceiveBuffer()
{
    while (MSComm2->incount() != 0)
        receiveBuffer_ = BytesOfText(MSComm2->input().toString());
}

// Nothing kept reads as 0.
uint8_t PortDetection::LastReceivedByte() const
{
    return static_cast<uint8_t>(receiveBuffer_.isEmpty() ? 0 : receiveBuffer_.at(0));
}

bool PortDetection::BoxAnswered()
{
    return !ByteBits[0] && ByteBits[6];
}

void PortDetection::MarkFound(int16_t port, PortKinds kind, const QString &logLine)
{
    Log::Line(logLine);
    page_.PortKind[port] = kind;
    page_.SetEntry(port, PortPageState::EntryText(port, kind));
    page_.SelectProgrammatically(port - 1);
    Module_DU::State().SelectedPort = QString::number(port);
    modFunctions::DoEvents();
}

// A Bluetooth link is never opened: meeting one ends the probe at once.
bool PortDetection::SkipBluetooth(int16_t port)
{
    try {
        MSComm2->setPortnumber(port);
        if (!PortPageState::IsBluetooth(MSComm2->description()))
            return false;
        MSComm2->setPortnumber(1);
    } catch (const SerialError &error) {
        LogFailure(port, error);
    }
    return true;
}

void PortDetection::ClosePort()
{
    try {
        if (MSComm2->portopen())
            MSComm2->setPortopen(false);
    } catch (const SerialError &) {
        // A vanished device is closed all the same.
    }
}

void PortDetection::MSComm2_OnComm()
{
    if (MSComm2->eventcode() != SComm::comEvReceive)
        return;
    try {
        LineOff();
        ReadIntoReceiveBuffer();
    } catch (const SerialError &) {
        // The probe that opened the port meets the same failure and reports it.
    }
}

void PortDetection::Halt()
{
    halted_ = true;
}

void PortDetection::Resume()
{
    halted_ = false;
}

bool PortDetection::Stopped() const
{
    return halted_ || Module_DU::State().Exiting;
}

bool PortDetection::PortOpen() const
{
    return MSComm2->portopen();
}

SComm &PortDetection::Comm()
{
    return *MSComm2;
}
