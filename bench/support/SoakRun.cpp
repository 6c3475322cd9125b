#include "SoakRun.h"

#include "BenchSoftware.h"
#include "SoakJudge.h"

#include "app/LanguageTexts.h"
#include "app/Log.h"
#include "app/Module_DU.h"
#include "port/PortMap.h"
#include "port/SComm.h"
#include "sim/SimDecoder.h"
#include "sim/SimUpdateBox.h"
#include "update/Calibration.h"
#include "update/MemoryUpdateView.h"
#include "update/UpdateProcedure.h"

#include <QRegularExpression>
#include <optional>

namespace {
constexpr int DecoderId = 12;
constexpr int DecoderCom = 3;
// A target of 0 ms is met by the smallest loop count, so the bursts take next to no time.
const QString QuickTimingTarget = QStringLiteral("0");

// The block that "Ende erreicht, Block N nicht bestätigt" names.
std::optional<int> UnconfirmedBlock(const QString &logLine)
{
    static const QRegularExpression flag(QStringLiteral("^Ende erreicht, Block (\\d+) nicht"));
    const QRegularExpressionMatch match = flag.match(logLine);
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1).toInt();
}
} // namespace

SoakRunner::SoakRunner()
    : softwarePath_(folder_.filePath(QStringLiteral("DECODERSW.DAT")))
{
    LanguageTexts::FillBuiltInTexts();
    // Only the soak's own simulated port exists: an empty pin list adds no device of the machine.
    qputenv("TOBRIK_PORTS", QByteArray());
    PortMap::Instance().Reset();
    PortMap::Instance().Refresh();
    auto &state = Module_DU::State();
    state.SelectedPort = QString::number(DecoderCom);
    state.SoftwareFilePath = softwarePath_;
    state.ChosenDecoders = QStringList{QString::number(DecoderId)};
    state.AdapterActive = false;
}

SoakRunner::~SoakRunner()
{
    PortMap::Instance().Reset();
}

SoakVerdict SoakRunner::Run(const SoakPlan &plan)
{
    const QByteArray payload =
        BenchSoftware::Write(softwarePath_, DecoderId, plan.type, plan.PayloadBytes());
    const auto box = std::make_shared<SimUpdateBox>();
    box->AttachDecoder(plan.Decoder(DecoderId));
    PortMap::Instance().Attach(DecoderCom, box);

    MemoryUpdateView view;
    view.noQuery = true;
    view.timing = QString::number(Calibration::MinimumLoopCount);
    view.timingTarget = QuickTimingTarget;
    std::optional<int> unconfirmedBlock;
    Log::SetSink([&unconfirmedBlock](const QString &line) {
        if (const auto block = UnconfirmedBlock(line))
            unconfirmedBlock = block;
    });
    UpdateProcedure procedure(view);
    const UpdateOutcome outcome = procedure.Run();
    Log::SetSink(nullptr);

    const bool portOpen = procedure.Link().Comm().portopen() || box->Connected();
    const SoakRecord record{outcome, view, unconfirmedBlock, box->Decoder()->Flash(),
                            payload, plan.BlockBytes(), portOpen};
    SoakVerdict verdict = JudgeSoakRun(record);
    verdict.seed = plan.seed;
    infoLines_ = view.infoLines;
    return verdict;
}
