#include "sim/SimPortAddress.h"

#include "sim/SimAdapter.h"
#include "sim/SimNoise.h"
#include "sim/SimUpdateBox.h"

#include <QHash>
#include <QStringList>

namespace SimPortAddress {
namespace {
const QString Prefix = QStringLiteral("sim:");
const QString DescriptionKey = QStringLiteral("description");

using Keys = QHash<QString, QByteArray>;
using Maker = std::shared_ptr<SimDevice> (*)(const Keys &keys);

// "key=value" or a bare "key".
QString KeyOf(const QString &pair)
{
    return pair.left(pair.indexOf(QLatin1Char('=')));
}

QStringList Pairs(const QString &query)
{
    return query.split(QLatin1Char('&'), Qt::SkipEmptyParts);
}

Keys ParseKeys(const QString &query)
{
    Keys keys;
    for (const QString &pair : Pairs(query)) {
        const int equals = pair.indexOf(QLatin1Char('='));
        const QString value = equals < 0 ? QString() : pair.mid(equals + 1);
        keys.insert(KeyOf(pair), QByteArray::fromPercentEncoding(value.toLatin1()));
    }
    return keys;
}

std::shared_ptr<SimDevice> MakeBox(const Keys &keys)
{
    auto box = std::make_shared<SimUpdateBox>();
    const QByteArray status = QByteArray::fromHex(keys.value(QStringLiteral("status")));
    if (!status.isEmpty())
        box->SetStatus(status);
    return box;
}

std::shared_ptr<SimDevice> MakeAdapter(const Keys &keys)
{
    auto adapter = std::make_shared<SimAdapter>();
    if (keys.contains(QStringLiteral("reply")))
        adapter->SetReply(keys.value(QStringLiteral("reply")));
    return adapter;
}

std::shared_ptr<SimDevice> MakeNoise(const Keys &keys)
{
    auto noise = std::make_shared<SimNoise>();
    if (keys.contains(QStringLiteral("pattern")))
        noise->SetPattern(keys.value(QStringLiteral("pattern")));
    return noise;
}

std::shared_ptr<SimDevice> MakeNone(const Keys &)
{
    return std::make_shared<SimDevice>(QStringLiteral("Simulated port, nothing attached"));
}

std::shared_ptr<SimDevice> MakeBusy(const Keys &)
{
    auto busy = std::make_shared<SimDevice>(QStringLiteral("Simulated port in use elsewhere"));
    busy->SetBusy(true);
    return busy;
}

// Each kind with the keys it takes besides description.
struct Kind {
    QString name;
    QStringList keys;
    Maker make;
};

const QList<Kind> &Kinds()
{
    static const QList<Kind> kinds{
        {QStringLiteral("box"), {QStringLiteral("status")}, MakeBox},
        {QStringLiteral("adapter"), {QStringLiteral("reply")}, MakeAdapter},
        {QStringLiteral("noise"), {QStringLiteral("pattern")}, MakeNoise},
        {QStringLiteral("none"), {}, MakeNone},
        {QStringLiteral("busy"), {}, MakeBusy},
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

// Why a text naming kindName with these keys is refused; empty when it is not. The first
// unknown key written is the one named.
QString Refusal(const Kind *kind, const QString &kindName, const QString &query)
{
    if (!kind)
        return QStringLiteral("unknown kind \"%1\"").arg(kindName);
    for (const QString &pair : Pairs(query)) {
        const QString key = KeyOf(pair);
        if (key != DescriptionKey && !kind->keys.contains(key))
            return QStringLiteral("%1 takes no key \"%2\"").arg(kindName, key);
    }
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
    const QString query = rest.section(QLatin1Char('?'), 1);
    const Kind *kind = FindKind(kindName);
    const QString reason = Refusal(kind, kindName, query);
    if (!reason.isEmpty()) {
        if (refusal)
            *refusal = reason;
        return nullptr;
    }
    const Keys keys = ParseKeys(query);
    std::shared_ptr<SimDevice> model = kind->make(keys);
    if (keys.contains(DescriptionKey))
        model->SetDescription(QString::fromUtf8(keys.value(DescriptionKey)));
    return model;
}

} // namespace SimPortAddress
