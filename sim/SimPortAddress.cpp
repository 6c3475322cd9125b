#include "sim/SimPortAddress.h"

#include "sim/SimAdapter.h"
#include "sim/SimNoise.h"
#include "sim/SimUpdateBox.h"

#include <QHash>
#include <QStringList>

namespace SimPortAddress {
namespace {
const QString Prefix = QStringLiteral("sim:");

using Keys = QHash<QString, QByteArray>;

Keys ParseKeys(const QString &query)
{
    Keys keys;
    for (const QString &pair : query.split(QLatin1Char('&'), Qt::SkipEmptyParts)) {
        const int equals = pair.indexOf(QLatin1Char('='));
        const QString key = equals < 0 ? pair : pair.left(equals);
        const QString value = equals < 0 ? QString() : pair.mid(equals + 1);
        keys.insert(key, QByteArray::fromPercentEncoding(value.toLatin1()));
    }
    return keys;
}

std::shared_ptr<SimUpdateBox> MakeBox(const Keys &keys)
{
    auto box = std::make_shared<SimUpdateBox>();
    const QByteArray status = QByteArray::fromHex(keys.value(QStringLiteral("status")));
    if (!status.isEmpty())
        box->SetStatus(status);
    return box;
}

std::shared_ptr<SimAdapter> MakeAdapter(const Keys &keys)
{
    auto adapter = std::make_shared<SimAdapter>();
    if (keys.contains(QStringLiteral("reply")))
        adapter->SetReply(keys.value(QStringLiteral("reply")));
    return adapter;
}

std::shared_ptr<SimNoise> MakeNoise(const Keys &keys)
{
    auto noise = std::make_shared<SimNoise>();
    if (keys.contains(QStringLiteral("pattern")))
        noise->SetPattern(keys.value(QStringLiteral("pattern")));
    return noise;
}

std::shared_ptr<SimDevice> MakeBusy()
{
    auto busy = std::make_shared<SimDevice>(QStringLiteral("Simulated port in use elsewhere"));
    busy->SetBusy(true);
    return busy;
}

std::shared_ptr<SimDevice> MakeKind(const QString &kind, const Keys &keys)
{
    if (kind == QLatin1String("box"))
        return MakeBox(keys);
    if (kind == QLatin1String("adapter"))
        return MakeAdapter(keys);
    if (kind == QLatin1String("noise"))
        return MakeNoise(keys);
    if (kind == QLatin1String("none"))
        return std::make_shared<SimDevice>(QStringLiteral("Simulated port, nothing attached"));
    if (kind == QLatin1String("busy"))
        return MakeBusy();
    return nullptr;
}
} // namespace

bool IsSimulated(const QString &device)
{
    return device.startsWith(Prefix);
}

std::shared_ptr<SimDevice> Create(const QString &device)
{
    if (!IsSimulated(device))
        return nullptr;
    const QString rest = device.mid(Prefix.size());
    const int question = rest.indexOf(QLatin1Char('?'));
    const Keys keys = ParseKeys(question < 0 ? QString() : rest.mid(question + 1));
    std::shared_ptr<SimDevice> model = MakeKind(rest.left(question < 0 ? rest.size() : question),
                                                keys);
    if (model && keys.contains(QStringLiteral("description")))
        model->SetDescription(QString::fromUtf8(keys.value(QStringLiteral("description"))));
    return model;
}

} // namespace SimPortAddress
