// One whole update of a 32 KiB image in 64-byte blocks, measured two ways:
//  (a) over the simulated back end with instant replies: the host's turnaround per block, from
//      the decoder's reply to the next block reaching it (median and 99th percentile);
//  (b) over a pseudo-terminal to tobrik-cli simulate --line-rate: how long the block transfer
//      takes against what the line itself needs, and the CPU time the program spends meanwhile.
// The calibration and preamble bursts spin by design; neither figure includes them.
#include "support/BenchSoftware.h"

#include "app/LanguageTexts.h"
#include "app/Log.h"
#include "app/Module_DU.h"
#include "port/PortMap.h"
#include "sim/SimDevice.h"
#include "sim/SimLineClock.h"
#include "sim/SimPortAddress.h"
#include "update/MemoryUpdateView.h"
#include "update/UpdateProcedure.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <sys/resource.h>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;

constexpr int DecoderId = 12;
constexpr int BlockBytes = 64;
constexpr int PayloadBytes = 32 * 1024;
constexpr int Blocks = PayloadBytes / BlockBytes;
constexpr int FrameBytes = BlockBytes + 2; // block number, payload, checksum
constexpr int ReplyBytes = 1;
constexpr int ImageType = 2; // 64-byte blocks
constexpr int DecoderCom = 3;
// Runs over the simulated back end, for enough turnarounds to read a 99th percentile from.
constexpr int InstantRuns = 5;
constexpr int SimulatorStartMs = 5000;

// The aims.
constexpr double MedianTurnaroundAimMs = 0.1;
constexpr double WorstTurnaroundAimMs = 1.0; // at the 99th percentile
constexpr double LineRatioAim = 1.02;
constexpr double CpuPercentAim = 5.0;

double Milliseconds(Clock::duration span)
{
    return std::chrono::duration<double, std::milli>(span).count();
}

// The process's CPU time, user and system, in milliseconds.
double CpuMilliseconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval &time) { return time.tv_sec * 1e3 + time.tv_usec / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// The transfer's own time on the line: each block and its one-byte reply, 11 bits a byte.
double LineBoundMs()
{
    const double byteMs = 1e3 * SimLineClock::BitsPerByte / SimLineClock::BaudRate;
    return Blocks * (FrameBytes + ReplyBytes) * byteMs;
}

double Percentile(std::vector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    const auto at = static_cast<size_t>(fraction * static_cast<double>(values.size() - 1));
    return values.at(at);
}

// A simulated port's model with a stopwatch in front of it: the moment of each reply it sends
// after a block, and the moment the next block reaches it. Everything else passes unchanged.
class TurnaroundWatch : public SimDevice {
public:
    explicit TurnaroundWatch(std::shared_ptr<SimDevice> model)
        : SimDevice(model->Description()), model_(std::move(model))
    {
        connect(model_.get(), &SimDevice::Sent, this, [this](const QByteArray &bytes) {
            if (inBlocks_)
                repliedAt_ = Clock::now();
            emit Sent(bytes);
        });
    }

    void Connect() override
    {
        SimDevice::Connect();
        model_->Connect();
    }
    void Disconnect() override
    {
        SimDevice::Disconnect();
        model_->Disconnect();
        inBlocks_ = false;
        repliedAt_.reset();
    }
    void Receive(const QByteArray &bytes) override
    {
        if (bytes.size() == FrameBytes) {
            if (repliedAt_)
                turnarounds.push_back(Milliseconds(Clock::now() - *repliedAt_));
            repliedAt_.reset();
            inBlocks_ = true;
        }
        model_->Receive(bytes);
    }
    void SetLines(bool line1, bool line2) override { model_->SetLines(line1, line2); }

    std::vector<double> turnarounds;

private:
    std::shared_ptr<SimDevice> model_;
    bool inBlocks_ = false;
    std::optional<Clock::time_point> repliedAt_;
};

void PinPorts(const QString &pins)
{
    qputenv("TOBRIK_PORTS", pins.toUtf8());
    PortMap::Instance().Reset();
    PortMap::Instance().Refresh();
}

QByteArray ReadFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const char *Verdict(bool met)
{
    return met ? "met" : "MISSED";
}

// (a) The program's share of each block's round trip, with a decoder that answers at once.
void MeasureTurnaround(MemoryUpdateView &view)
{
    PinPorts(QString());
    const auto model = SimPortAddress::Create(
        QStringLiteral("sim:box?decoder=%1&block=%2").arg(DecoderId).arg(BlockBytes));
    const auto watch = std::make_shared<TurnaroundWatch>(model);
    PortMap::Instance().Attach(DecoderCom, watch);
    Module_DU::State().AdapterActive = false;
    UpdateProcedure procedure(view);
    for (int run = 0; run < InstantRuns; ++run) {
        if (procedure.Run() != UpdateOutcome::Finished)
            qFatal("the update over the simulated back end did not finish");
    }
    const std::vector<double> &samples = watch->turnarounds;
    const double median = Percentile(samples, 0.5);
    const double p99 = Percentile(samples, 0.99);
    std::printf("(a) simulated back end, instant replies: %zu blocks\n", samples.size());
    std::printf("    host turnaround median %.4f ms (aim < %.1f: %s), 99th percentile %.4f ms "
                "(aim < %.0f: %s), longest %.4f ms\n",
                median, MedianTurnaroundAimMs, Verdict(median < MedianTurnaroundAimMs), p99,
                WorstTurnaroundAimMs, Verdict(p99 < WorstTurnaroundAimMs),
                Percentile(samples, 1.0));
}

// Where the log says the transfer is: the first block about to be sent, and the block beyond
// the last one, which is looked at only after the last reply has been taken.
struct TransferWatch {
    Clock::time_point startedAt;
    Clock::time_point endedAt;
    double cpuAtStart = 0;
    double cpuAtEnd = 0;

    void See(const QString &line)
    {
        static const QString first = QStringLiteral("Block=0");
        static const QString beyondLast = QStringLiteral("Block=%1").arg(Blocks);
        if (line == first) {
            startedAt = Clock::now();
            cpuAtStart = CpuMilliseconds();
        } else if (line == beyondLast) {
            endedAt = Clock::now();
            cpuAtEnd = CpuMilliseconds();
        }
    }
};

// (b) The whole transfer against a decoder whose replies keep to the line's pace.
bool MeasureOverPseudoTerminal(MemoryUpdateView &view, const QTemporaryDir &folder,
                               const QByteArray &payload)
{
    const QString flashPath = folder.filePath(QStringLiteral("flash.bin"));
    QProcess simulator;
    simulator.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    simulator.start(QDir(QCoreApplication::applicationDirPath()).filePath("tobrik-cli"),
                    {"simulate", "--adapter", "--decoder", QString::number(DecoderId), "--block",
                     QString::number(BlockBytes), "--line-rate", "--flash", flashPath});
    if (!simulator.waitForStarted(SimulatorStartMs)
        || !simulator.waitForReadyRead(SimulatorStartMs)) {
        std::printf("(b) tobrik-cli simulate did not start\n");
        return false;
    }
    const QString terminal = QString::fromLocal8Bit(simulator.readLine()).trimmed();
    PinPorts(QStringLiteral("%1=%2").arg(DecoderCom).arg(terminal));
    Module_DU::State().AdapterActive = true;

    TransferWatch watch;
    Log::SetSink([&watch](const QString &line) { watch.See(line); });
    UpdateProcedure procedure(view);
    const UpdateOutcome outcome = procedure.Run();
    Log::SetSink(nullptr);
    simulator.terminate();
    simulator.waitForFinished(SimulatorStartMs);
    if (outcome != UpdateOutcome::Finished) {
        std::printf("(b) the update over %s did not finish\n", qPrintable(terminal));
        return false;
    }

    const double elapsedMs = Milliseconds(watch.endedAt - watch.startedAt);
    const double ratio = elapsedMs / LineBoundMs();
    const double cpuPercent = 100.0 * (watch.cpuAtEnd - watch.cpuAtStart) / elapsedMs;
    std::printf("(b) pseudo-terminal to tobrik-cli simulate --line-rate: %d blocks\n", Blocks);
    std::printf("    transfer %.1f ms, line bound %.1f ms, ratio %.4f (aim < %.2f: %s)\n",
                elapsedMs, LineBoundMs(), ratio, LineRatioAim, Verdict(ratio < LineRatioAim));
    std::printf("    CPU %.2f %% of the transfer's time (aim < %.0f: %s)\n", cpuPercent,
                CpuPercentAim, Verdict(cpuPercent < CpuPercentAim));
    const bool flashRight = ReadFile(flashPath) == payload;
    std::printf("    flash %s the payload\n", flashRight ? "equals" : "DIFFERS FROM");
    return flashRight;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    LanguageTexts::FillBuiltInTexts();
    QTemporaryDir folder;
    const QString softwarePath = folder.filePath(QStringLiteral("DECODERSW.DAT"));
    const QByteArray payload =
        BenchSoftware::Write(softwarePath, DecoderId, ImageType, PayloadBytes).payload;
    auto &state = Module_DU::State();
    state.SelectedPort = QString::number(DecoderCom);
    state.SoftwareFilePath = softwarePath;
    state.ChosenDecoders = QStringList{QString::number(DecoderId)};

    // The calibrated loop count carries over from run to run, as on the page.
    MemoryUpdateView view;
    view.noQuery = true;
    std::printf("%d KiB in %d blocks of %d bytes\n", PayloadBytes / 1024, Blocks, BlockBytes);
    MeasureTurnaround(view);
    return MeasureOverPseudoTerminal(view, folder, payload) ? 0 : 1;
}
