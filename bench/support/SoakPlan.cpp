#include "SoakPlan.h"

#include "port/Protocol.h"

#include <QStringList>
#include <random>

namespace {
constexpr int MaxBlocks = 24;
// One run in ten sends a long image, whose block numbers pass 255 and so wrap in the byte
// that carries them.
constexpr double LongImageOdds = 0.1;
constexpr int MinLongBlocks = 250;
constexpr int MaxLongBlocks = 300;
// Half the runs leave a fault out altogether, so single faults and mixes both occur.
constexpr double FaultLeftOutOdds = 0.5;
// One run in five unplugs the port at one of its blocks.
constexpr double UnplugOdds = 0.2;
// One run in ten has a payload of no whole number of blocks.
constexpr double TailOdds = 0.1;
// One run in five plays a steady fault, one of SteadyFault's kinds.
constexpr double SteadyFaultOdds = 0.2;
enum class SteadyFault { RefusedBlock, LateReplies, TruncatedFile };
constexpr int SteadyFaultKinds = 3;
// Every reply later than a block's reply window of 50 ms; in some runs later than a handshake
// byte's 100 ms too.
constexpr int MinReplyDelayMs = 55;
constexpr int MaxReplyDelayMs = 150;

// The highest odds of each fault. Every lost or slow reply costs a real timeout of the
// procedure (a block's 50 ms, a handshake byte's 100 ms), so these keep a run near a second.
constexpr double MaxLostReply = 0.08;
constexpr double MaxBadBlock = 0.2;
constexpr double MaxLostBlock = 0.08;
constexpr double MaxSlowReply = 0.3;
constexpr double MaxGarbage = 0.08;

class Draw {
public:
    explicit Draw(quint32 seed) : generator_(seed) {}

    bool Happens(double odds) { return std::bernoulli_distribution(odds)(generator_); }
    int Between(int lowest, int highest)
    {
        return std::uniform_int_distribution<int>(lowest, highest)(generator_);
    }
    double Odds(double highest)
    {
        const double odds = std::uniform_real_distribution<double>(0, highest)(generator_);
        return Happens(FaultLeftOutOdds) ? 0 : odds;
    }

private:
    std::mt19937 generator_;
};

// Drawn after the random faults and the unplugging, and every value whatever the kind, so those
// stay as they were for each seed.
void DrawSteadyFault(Draw &draw, SoakPlan &plan)
{
    const bool steady = draw.Happens(SteadyFaultOdds);
    const auto kind = static_cast<SteadyFault>(draw.Between(0, SteadyFaultKinds - 1));
    const int block = draw.Between(0, plan.blocks - 1);
    const int replyDelayMs = draw.Between(MinReplyDelayMs, MaxReplyDelayMs);
    if (!steady)
        return;
    switch (kind) {
    case SteadyFault::RefusedBlock:
        plan.refuseBlock = block;
        break;
    case SteadyFault::LateReplies:
        plan.replyDelayMs = replyDelayMs;
        break;
    case SteadyFault::TruncatedFile:
        plan.truncateAt = block;
        break;
    }
}
} // namespace

SoakPlan SoakPlan::FromSeed(quint32 seed)
{
    Draw draw(seed);
    SoakPlan plan;
    plan.seed = seed;
    plan.type = draw.Between(1, 2);
    const int longBlocks = draw.Between(MinLongBlocks, MaxLongBlocks);
    plan.blocks = draw.Happens(LongImageOdds) ? longBlocks : draw.Between(1, MaxBlocks);
    plan.odds.lostReply = draw.Odds(MaxLostReply);
    plan.odds.badBlock = draw.Odds(MaxBadBlock);
    plan.odds.lostBlock = draw.Odds(MaxLostBlock);
    plan.odds.slowReply = draw.Odds(MaxSlowReply);
    plan.odds.garbage = draw.Odds(MaxGarbage);
    const int unplugAt = draw.Between(0, plan.blocks - 1);
    if (draw.Happens(UnplugOdds))
        plan.unplugAt = unplugAt;
    DrawSteadyFault(draw, plan);
    const int tailBytes = draw.Between(1, plan.BlockBytes() - 1);
    if (draw.Happens(TailOdds))
        plan.tailBytes = tailBytes;
    return plan;
}

int SoakPlan::BlockBytes() const
{
    return type == Protocol::SmallBlockType ? Protocol::SmallBlockBytes : Protocol::LargeBlockBytes;
}

int SoakPlan::PayloadBytes() const
{
    return blocks * BlockBytes() + tailBytes;
}

SimDecoderSettings SoakPlan::Decoder(int id) const
{
    SimDecoderSettings settings;
    settings.id = id;
    settings.blockSize = BlockBytes();
    settings.odds = odds;
    settings.unplugAt = unplugAt;
    settings.refuseBlock = refuseBlock;
    settings.replyDelayMs = replyDelayMs;
    settings.seed = seed;
    return settings;
}

QString SoakPlan::Describe() const
{
    constexpr int OddsDigits = 3;
    const auto key = [](const char *name, double value) {
        return QStringLiteral("%1=%2").arg(QLatin1String(name)).arg(value, 0, 'f', OddsDigits);
    };
    QStringList keys{QStringLiteral("type=%1").arg(type), QStringLiteral("blocks=%1").arg(blocks),
                     key("lost-reply", odds.lostReply), key("bad-block", odds.badBlock),
                     key("lost-block", odds.lostBlock), key("slow-reply", odds.slowReply),
                     key("garbage", odds.garbage)};
    if (tailBytes > 0)
        keys.append(QStringLiteral("tail=%1").arg(tailBytes));
    if (unplugAt != SimDecoderSettings::NeverUnplug)
        keys.append(QStringLiteral("unplug-at=%1").arg(unplugAt));
    if (refuseBlock != SimDecoderSettings::NeverRefuse)
        keys.append(QStringLiteral("refuse-block=%1").arg(refuseBlock));
    if (replyDelayMs > 0)
        keys.append(QStringLiteral("reply-delay=%1").arg(replyDelayMs));
    if (truncateAt != NeverTruncate)
        keys.append(QStringLiteral("truncate-at=%1").arg(truncateAt));
    return keys.join(QLatin1Char(' '));
}
