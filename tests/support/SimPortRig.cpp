#include "SimPortRig.h"

#include "app/Log.h"
#include "app/Module_DU.h"
#include "port/PortDetection.h"
#include "port/PortMap.h"
#include "sim/SimDevice.h"

#include <QTest>
#include <utility>

SimPortRig::SimPortRig(const QString &ports)
{
    Module_DU::ResetState();
    qputenv("TOBRIK_PORTS", ports.toUtf8());
    PortMap::Instance().Reset();
    Log::SetSink([this](const QString &line) {
        log_.append(line);
        if (trigger_ && line == triggerLine_)
            std::exchange(trigger_, nullptr)();
    });
    ports_ = std::make_unique<PortList>(view_);
    QObject::connect(ports_.get(), &PortList::TimerScanEnded, [this] { ++scansEnded_; });
}

SimPortRig::~SimPortRig()
{
    ports_->Detection().AdapterOff();
    ports_.reset();
    Log::SetSink(nullptr);
    qunsetenv("TOBRIK_PORTS");
    PortMap::Instance().Reset();
    Module_DU::ResetState();
}

bool SimPortRig::StartAndScan(int scans)
{
    ports_->ResetProgrammerState();
    ports_->FillPortList();
    ports_->StartScanning();
    return WaitForScans(scans);
}

bool SimPortRig::WaitForScans(int scans)
{
    const int target = scansEnded_ + scans;
    return QTest::qWaitFor([&] { return scansEnded_ >= target; }, 20000);
}

PortList &SimPortRig::Ports()
{
    return *ports_;
}

PortDetection &SimPortRig::Detection()
{
    return ports_->Detection();
}

MemoryPortView &SimPortRig::View()
{
    return view_;
}

const QStringList &SimPortRig::LogLines() const
{
    return log_;
}

int SimPortRig::CountLog(const QString &line) const
{
    return static_cast<int>(log_.count(line));
}

void SimPortRig::OnLogLine(const QString &line, std::function<void()> action)
{
    triggerLine_ = line;
    trigger_ = std::move(action);
}

SimDevice *SimPortRig::DeviceAt(int com) const
{
    return PortMap::Instance().Simulated(com).get();
}
