#include "SoakPlan.h"

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
    return plan;
}

int SoakPlan::BlockBytes() const
{
    return type == 1 ? SimDecoderSettings::SmallBlockBytes : SimDecoderSettings::LargeBlockBytes;
}

int SoakPlan::PayloadBytes() const
{
    return blocks * BlockBytes();
}

SimDecoderSettings SoakPlan::Decoder(int id) const
{
    SimDecoderSettings settings;
    settings.id = id;
    settings.blockSize = BlockBytes();
    settings.odds = odds;
    settings.unplugAt = unplugAt;
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
    if (unplugAt != SimDecoderSettings::NeverUnplug)
        keys.append(QStringLiteral("unplug-at=%1").arg(unplugAt));
    return keys.join(QLatin1Char(' '));
}
