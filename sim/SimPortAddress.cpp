#include "sim/SimPortAddress.h"

#include "port/Protocol.h"
#include "sim/SimAdapter.h"
#include "sim/SimDecoderSettings.h"
#include "sim/SimNoise.h"
#include "sim/SimUpdateBox.h"

#include <QRegularExpression>
#include <QStringList>
#include <limits>

namespace SimPortAddress {
namespace {
const QString Prefix = QStringLiteral("sim:");
constexpr int HighestDecoderId = 255;
// Far beyond any reply window of the program; a longer delay is a misspelt value.
constexpr int LongestReplyDelayMs = 60000;

// What the keys of one text set up: the model, and the decoder it carries.
struct Setup {
    std::shared_ptr<SimDevice> model;
    bool hasDecoder = false;
    SimDecoderSettings decoder;
};

// Applies a key's value, percent-decoded; false when the value does not parse.
using Setter = bool (*)(Setup &setup, const QByteArray &value);

struct Key {
    QString name;
    // What the key takes, for the refusal of a value that is not that.
    QString takes;
    Setter set;
    // The key says something about the decoder, so it needs one.
    bool aboutDecoder = false;
};

struct Kind {
    QString name;
    std::shared_ptr<SimDevice> (*make)();
    QList<Key> keys; // besides description
};

std::shared_ptr<SimDevice> MakeBox()
{
    return std::make_shared<SimUpdateBox>();
}

std::shared_ptr<SimDevice> MakeAdapter()
{
    return std::make_shared<SimAdapter>();
}

std::shared_ptr<SimDevice> MakeNoise()
{
    return std::make_shared<SimNoise>();
}

std::shared_ptr<SimDevice> MakeNone()
{
    return std::make_shared<SimDevice>(QStringLiteral("Simulated port, nothing attached"));
}

std::shared_ptr<SimDevice> MakeBusy()
{
    auto busy = std::make_shared<SimDevice>(QStringLiteral("Simulated port in use elsewhere"));
    busy->SetBusy(true);
    return busy;
}

bool ParseProbability(const QByteArray &value, double &odds)
{
    bool ok = false;
    const double parsed = value.toDouble(&ok);
    if (!ok || !(parsed >= 0 && parsed <= 1))
        return false;
    odds = parsed;
    return true;
}

bool ParseCount(const QByteArray &value, int highest, int &count)
{
    bool ok = false;
    const int parsed = value.toInt(&ok);
    if (!ok || parsed < 0 || parsed > highest)
        return false;
    count = parsed;
    return true;
}

bool SetDescription(Setup &setup, const QByteArray &value)
{
    setup.model->SetDescription(QString::fromUtf8(value));
    return true;
}

bool SetStatus(Setup &setup, const QByteArray &value)
{
    static const QRegularExpression hexBytes(QStringLiteral("^([0-9A-Fa-f]{2})+$"));
    if (!hexBytes.match(QString::fromLatin1(value)).hasMatch())
        return false;
    static_cast<SimUpdateBox &>(*setup.model).SetStatus(QByteArray::fromHex(value));
    return true;
}

bool SetReply(Setup &setup, const QByteArray &value)
{
    static_cast<SimAdapter &>(*setup.model).SetReply(value);
    return true;
}

bool SetPattern(Setup &setup, const QByteArray &value)
{
    static_cast<SimNoise &>(*setup.model).SetPattern(value);
    return true;
}

bool SetDecoderId(Setup &setup, const QByteArray &value)
{
    setup.hasDecoder = ParseCount(value, HighestDecoderId, setup.decoder.id);
    return setup.hasDecoder;
}

bool SetBlockSize(Setup &setup, const QByteArray &value)
{
    for (const int size : {Protocol::SmallBlockBytes, Protocol::LargeBlockBytes})
        if (value == QByteArray::number(size)) {
            setup.decoder.blockSize = size;
            return true;
        }
    return false;
}

bool SetFlash(Setup &setup, const QByteArray &value)
{
    setup.decoder.flashPath = QString::fromUtf8(value);
    return !value.isEmpty();
}

bool SetLostReply(Setup &setup, const QByteArray &value)
{
    return ParseProbability(value, setup.decoder.odds.lostReply);
}

bool SetBadBlock(Setup &setup, const QByteArray &value)
{
    return ParseProbability(value, setup.decoder.odds.badBlock);
}

bool SetLostBlock(Setup &setup, const QByteArray &value)
{
    return ParseProbability(value, setup.decoder.odds.lostBlock);
}

bool SetSlowReply(Setup &setup, const QByteArray &value)
{
    return ParseProbability(value, setup.decoder.odds.slowReply);
}

bool SetGarbage(Setup &setup, const QByteArray &value)
{
    return ParseProbability(value, setup.decoder.odds.garbage);
}

bool SetUnplugAt(Setup &setup, const QByteArray &value)
{
    return ParseCount(value, std::numeric_limits<int>::max(), setup.decoder.unplugAt);
}

bool SetRefuseBlock(Setup &setup, const QByteArray &value)
{
    return ParseCount(value, std::numeric_limits<int>::max(), setup.decoder.refuseBlock);
}

bool SetReplyDelay(Setup &setup, const QByteArray &value)
{
    return ParseCount(value, LongestReplyDelayMs, setup.decoder.replyDelayMs);
}

bool SetSeed(Setup &setup, const QByteArray &value)
{
    bool ok = false;
    const quint32 seed = value.toUInt(&ok);
    if (ok)
        setup.decoder.seed = seed;
    return ok;
}

bool SetLineRate(Setup &setup, const QByteArray &value)
{
    if (value != "0" && value != "1")
        return false;
    setup.decoder.lineRate = value == "1";
    return true;
}

const QString Probability = QStringLiteral("a probability from 0 to 1");

const Key DescriptionKey{QStringLiteral("description"), QString(), SetDescription};

// The keys of the decoder on the track of a box or an adapter.
const QList<Key> &DecoderKeys()
{
    static const QList<Key> keys{
        {QStringLiteral("decoder"), QStringLiteral("a decoder ID from 0 to 255"), SetDecoderId},
        {QStringLiteral("block"), QStringLiteral("32 or 64"), SetBlockSize, true},
        {QStringLiteral("flash"), QStringLiteral("a file path"), SetFlash, true},
        {QStringLiteral("lost-reply"), Probability, SetLostReply, true},
        {QStringLiteral("bad-block"), Probability, SetBadBlock, true},
        {QStringLiteral("lost-block"), Probability, SetLostBlock, true},
        {QStringLiteral("slow-reply"), Probability, SetSlowReply, true},
        {QStringLiteral("garbage"), Probability, SetGarbage, true},
        {QStringLiteral("unplug-at"), QStringLiteral("a block number"), SetUnplugAt, true},
        {QStringLiteral("refuse-block"), QStringLiteral("a block number"), SetRefuseBlock, true},
        {QStringLiteral("reply-delay"),
         QStringLiteral("milliseconds from 0 to %1").arg(LongestReplyDelayMs), SetReplyDelay, true},
        {QStringLiteral("seed"), QStringLiteral("a whole number from 0 to 4294967295"), SetSeed,
         true},
        {QStringLiteral("line-rate"), QStringLiteral("0 or 1"), SetLineRate, true},
    };
    return keys;
}

const QList<Kind> &Kinds()
{
    static const QList<Kind> kinds{
        {QStringLiteral("box"), MakeBox,
         QList<Key>{{QStringLiteral("status"), QStringLiteral("one or more bytes in hex"),
                     SetStatus}}
             + DecoderKeys()},
        {QStringLiteral("adapter"), MakeAdapter,
         QList<Key>{{QStringLiteral("reply"), QString(), SetReply}} + DecoderKeys()},
        {QStringLiteral("noise"), MakeNoise, {{QStringLiteral("pattern"), QString(), SetPattern}}},
        {QStringLiteral("none"), MakeNone, {}},
        {QStringLiteral("busy"), MakeBusy, {}},
    };
    return kinds;
}

const Kind *FindKind(const QString &name)
{
    for (const Kind &kind : Kinds())
        if (kind.name == name)
            return &kind;
    return nullptr;
}

const Key *FindKey(const Kind &kind, const QString &name)
{
    if (name == DescriptionKey.name)
        return &DescriptionKey;
    for (const Key &key : kind.keys)
        if (key.name == name)
            return &key;
    return nullptr;
}

// Applies "key=value" pairs in the order written; a later pair of the same key wins. Returns why
// the text is refused, naming the first key that is unknown or whose value does not parse, or
// a decoder key without a decoder; empty when it is not.
QString Apply(const Kind &kind, const QString &query, Setup &setup)
{
    QString keyWithoutDecoder;
    for (const QString &pair : query.split(QLatin1Char('&'), Qt::SkipEmptyParts)) {
        const QString name = pair.section(QLatin1Char('='), 0, 0);
        const Key *key = FindKey(kind, name);
        if (!key)
            return QStringLiteral("%1 takes no key \"%2\"").arg(kind.name, name);
        const QByteArray value = QByteArray::fromPercentEncoding(
            pair.section(QLatin1Char('='), 1).toUtf8());
        if (!key->set(setup, value))
            return QStringLiteral("%1: %2=%3 is not %4")
                .arg(kind.name, name, QString::fromUtf8(value), key->takes);
        if (key->aboutDecoder && keyWithoutDecoder.isEmpty())
            keyWithoutDecoder = name;
    }
    if (!setup.hasDecoder && !keyWithoutDecoder.isEmpty())
        return QStringLiteral("%1: %2 needs a decoder (decoder=ID)").arg(kind.name, keyWithoutDecoder);
    return QString();
}
} // namespace

bool IsSimulated(const QString &device)
{
    return device.startsWith(Prefix);
}

std::shared_ptr<SimDevice> Create(const QString &device, QString *refusal)
{
    if (!IsSimulated(device))
        return nullptr;
    const QString rest = device.mid(Prefix.size());
    const QString kindName = rest.section(QLatin1Char('?'), 0, 0);
    const Kind *kind = FindKind(kindName);
    QString reason = QStringLiteral("unknown kind \"%1\"").arg(kindName);
    Setup setup;
    if (kind) {
        setup.model = kind->make();
        reason = Apply(*kind, rest.section(QLatin1Char('?'), 1), setup);
    }
    if (!reason.isEmpty()) {
        if (refusal)
            *refusal = reason;
        return nullptr;
    }
    if (setup.hasDecoder)
        static_cast<SimUpdateBox &>(*setup.model).AttachDecoder(setup.decoder);
    return setup.model;
}

} // namespace SimPortAddress
