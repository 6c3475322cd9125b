#include "SoakRun.h"

#include "BenchSoftware.h"
#include "SoakJudge.h"

#include "app/LanguageTexts.h"
#include "app/Module_DU.h"
#include "port/PortMap.h"
#include "port/SComm.h"
#include "sim/SimDecoder.h"
#include "sim/SimUpdateBox.h"
#include "update/Calibration.h"
#include "update/MemoryUpdateView.h"
#include "update/UpdateProcedure.h"

#include <QFile>

namespace {
constexpr int DecoderId = 12;
constexpr int DecoderCom = 3;
// A target of 0 ms is met by the smallest loop count, so the bursts take next to no time.
const QString QuickTimingTarget = QStringLiteral("0");
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
    const BenchSoftware::Image image =
        BenchSoftware::Write(softwarePath_, DecoderId, plan.type, plan.PayloadBytes());
    const auto box = std::make_shared<SimUpdateBox>();
    box->AttachDecoder(plan.Decoder(DecoderId));
    TruncateFileAt(*box->Decoder(), plan.truncateAt, image);
    PortMap::Instance().Attach(DecoderCom, box);

    MemoryUpdateView view;
    view.noQuery = true;
    view.timing = QString::number(Calibration::MinimumLoopCount);
    view.timingTarget = QuickTimingTarget;
    UpdateProcedure procedure(view);
    const UpdateOutcome outcome = procedure.Run();

    const bool portOpen = procedure.Link().Comm().portopen() || box->Connected();
    const SoakRecord record{outcome,       view, box->Decoder()->Flash(), image.payload,
                            plan.BlockBytes(), portOpen};
    SoakVerdict verdict = JudgeSoakRun(record);
    verdict.seed = plan.seed;
    infoLines_ = view.infoLines;
    return verdict;
}

// The software file shrinks to half its image while the transfer runs; what was sent must still
// be the image as it was when the update started.
void SoakRunner::TruncateFileAt(SimDecoder &decoder, int block, const BenchSoftware::Image &image)
{
    if (block == SoakPlan::NeverTruncate)
        return;
    const qsizetype cutAt = image.payloadOffset + image.payload.size() / 2;
    QObject::connect(&decoder, &SimDecoder::BlockArrived, &decoder,
                     [path = softwarePath_, block, cutAt](int expected) {
                         if (expected == block && !QFile::resize(path, cutAt))
                             qFatal("cannot cut the software file %s", qPrintable(path));
                     });
}
