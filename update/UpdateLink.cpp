#include "update/UpdateLink.h"

#include "app/LanguageTexts.h"
#include "app/Log.h"
#include "app/Module_DU.h"
#include "port/EventWait.h"
#include "port/Protocol.h"
#include "port/SComm.h"
#include "update/UpdateError.h"
#include "update/UpdateView.h"

#include <QScopeGuard>
#include <QTimer>
#include <chrono>

namespace {
// The spacing between two burst bytes: loopCount + 1 rounds of an empty loop. The counter is
// volatile, so the build can neither remove the loop nor shorten it.
void CountEmptyLoop(int32_t loopCount)
{
    for (volatile int64_t round = 0; round <= loopCount; round = round + 1) {}
}

uint8_t FirstByte(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        throw UpdateError::SubscriptOutOfRange();
    return static_cast<uint8_t>(bytes.at(0));
}

QString ReceiveLogLine(uint8_t byte)
{
    const QString head = QStringLiteral("COM-Int Data Receive: ");
    switch (byte) {
    case Protocol::AckByte:
        return head + QStringLiteral("Ack");
    case Protocol::NackByte:
        return head + QStringLiteral("Nack");
    default:
        return head + QString::number(byte);
    }
}
} // namespace

int64_t MillisecondClock()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

int SelectedPortNumber()
{
    bool converted = false;
    const int number = Module_DU::State().SelectedPort.trimmed().toInt(&converted);
    if (!converted)
        throw UpdateError::NoPortChosen();
    return number;
}

QStringList PortNotOpenedLines(const QString &reason)
{
    return {Text(TextId::PortNotOpened) + QLatin1Char(' ') + reason,
            Text(TextId::ReplugProgrammer)};
}

UpdateLink::UpdateLink(const UpdateView &view, QObject *parent) : QObject(parent), view_(view)
{
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setTimerType(Qt::PreciseTimer);
    connect(Timer2, &QTimer::timeout, this, &UpdateLink::Timer2_Timer);
    MSComm2 = new SComm(this);
    MSComm2->setObjectName(QStringLiteral("MSComm2"));
    connect(MSComm2, &SComm::OnComm, this, &UpdateLink::MSComm2_OnComm);
}

SComm &UpdateLink::Comm()
{
    return *MSComm2;
}

void UpdateLink::send(int32_t sendin)
{
    if (sendin < 0 || sendin > UINT8_MAX)
        throw UpdateError::Overflow();
    bufferA_ = QByteArray(1, static_cast<char>(sendin));
    DataReceived = false;
    MSComm2->output(bufferA_);
}

// Timer2 is left to its tick handler: it stops itself when the count has run out.
void UpdateLink::wait(int32_t timercntin)
{
    StartTimer(timercntin, Protocol::TickMs);
    RunEventsUntil([this] { return timerflag || Module_DU::State().Exiting; });
}

bool UpdateLink::waitack()
{
    if (Blind())
        return true;
    AwaitReply(Protocol::Update::AckTicks, Protocol::TickMs);
    return DataReceived;
}

void UpdateLink::AwaitReply(int32_t ticks, int tickMs)
{
    StartTimer(ticks, tickMs);
    const auto stop = qScopeGuard([this] { Timer2->stop(); });
    if (DataReceived)
        return;
    RunEventsUntil([this] {
        if (MSComm2->incount() > 0)
            MSComm2_OnComm();
        return DataReceived || timerflag;
    });
}

void UpdateLink::DropWaiting()
{
    const int waiting = MSComm2->incount();
    if (waiting == 0)
        return;
    MSComm2->setIncount(0);
    Log::Line(QStringLiteral("Dropped %1 stale bytes").arg(waiting));
}

void UpdateLink::AwaitLateReply(int32_t ticks, int tickMs)
{
    StartTimer(ticks, tickMs);
    const auto stop = qScopeGuard([this] { Timer2->stop(); });
    RunEventsUntil([this] { return timerflag || MSComm2->incount() > 0; });
}

void UpdateLink::MSComm2_OnComm()
{
    switch (MSComm2->eventcode()) {
    case SComm::comEvReceive:
        do {
            RxValue = MSComm2->input();
            RxBytes = RxValue.toByteArray();
            if (Module_DU::State().LogActive)
                Log::Line(ReceiveLogLine(FirstByte(RxBytes)));
        } while (MSComm2->incount() != 0);
        DataReceived = true;
        break;
    case SComm::comEvFrame:
        Log::Line(QStringLiteral("COM-Int: Framing error"));
        break;
    default:
        break;
    }
}

void UpdateLink::bufferinbin()
{
    ByteBits = SplitIntoBits(FirstByte(RxBytes));
}

bool UpdateLink::Acknowledged() const
{
    return !ByteBits[0] && ByteBits[3] && !ByteBits[6];
}

void UpdateLink::LineOn()
{
    SwitchLine1(*MSComm2, true);
}

void UpdateLink::LineOff()
{
    SwitchLine1(*MSComm2, false);
}

bool UpdateLink::ClosePort()
{
    if (!MSComm2->portopen())
        return false;
    MSComm2->setPortopen(false);
    return true;
}

void UpdateLink::LoadBurstBytes()
{
    bufferA_ = QByteArray(1, static_cast<char>(Protocol::BurstByteA));
    bufferB_ = QByteArray(1, static_cast<char>(Protocol::BurstByteB));
}

void UpdateLink::SendBurstPairs(int32_t pairs, int32_t loopCount)
{
    for (int32_t pair = 0; pair < pairs; ++pair) {
        MSComm2->output(bufferA_);
        CountEmptyLoop(loopCount);
        MSComm2->output(bufferB_);
        CountEmptyLoop(loopCount);
    }
}

void UpdateLink::Timer2_Timer()
{
    timercnt = timercnt - 1;
    if (timercnt < 1) {
        Timer2->stop();
        timerflag = true;
    }
}

void UpdateLink::StopTimer()
{
    Timer2->stop();
}

void UpdateLink::StartTimer(int32_t ticks, int tickMs)
{
    timerflag = false;
    timercnt = ticks;
    Timer2->setInterval(tickMs);
    Timer2->start();
}

bool UpdateLink::Blind() const
{
    return view_.Blind();
}
