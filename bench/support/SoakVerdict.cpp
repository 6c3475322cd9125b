#include "SoakVerdict.h"

#include <QStringList>
#include <algorithm>
#include <array>

namespace {
const QString Head = QStringLiteral("RESULT");
// By SoakResult, in its order.
const std::array<QString, SoakResultCount> Words{
    QStringLiteral("equal"), QStringLiteral("unconfirmed"), QStringLiteral("failed"),
    QStringLiteral("wrong")};
constexpr int FieldsBeforeDetail = 3; // head, seed, word
} // namespace

QString SoakVerdict::ToLine() const
{
    return QStringList{Head, QString::number(seed), Words.at(static_cast<size_t>(result)), detail}
        .join(QLatin1Char(' '));
}

std::optional<SoakVerdict> SoakVerdict::FromLine(const QString &line)
{
    const QStringList fields = line.split(QLatin1Char(' '));
    if (fields.size() < FieldsBeforeDetail || fields.at(0) != Head)
        return std::nullopt;
    bool converted = false;
    SoakVerdict verdict;
    verdict.seed = fields.at(1).toUInt(&converted);
    const auto word = std::find(Words.begin(), Words.end(), fields.at(2));
    if (!converted || word == Words.end())
        return std::nullopt;
    verdict.result = static_cast<SoakResult>(word - Words.begin());
    verdict.detail = fields.mid(FieldsBeforeDetail).join(QLatin1Char(' '));
    return verdict;
}
