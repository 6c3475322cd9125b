#include "cli/JsonUpdateEvents.h"

#include "cli/TerminalProgress.h"

#include <QJsonDocument>

JsonUpdateEvents::JsonUpdateEvents(TerminalProgress &progress) : progress_(progress) {}

void JsonUpdateEvents::Line(const QString &text)
{
    Write({{QStringLiteral("type"), QStringLiteral("line")}, {QStringLiteral("text"), text}});
}

void JsonUpdateEvents::Progress(float percent)
{
    const int whole = TerminalProgress::WholePercent(percent);
    if (percent_ == whole)
        return;
    percent_ = whole;
    Write({{QStringLiteral("type"), QStringLiteral("progress")},
           {QStringLiteral("percent"), whole}});
}

void JsonUpdateEvents::Question(const QString &title, const QString &text, bool answer)
{
    Write({{QStringLiteral("type"), QStringLiteral("question")},
           {QStringLiteral("title"), title},
           {QStringLiteral("text"), text},
           {QStringLiteral("answer"), answer}});
}

void JsonUpdateEvents::Recorded(const std::optional<UpdateRecord> &record)
{
    record_ = record;
}

void JsonUpdateEvents::End(int exitStatus)
{
    const AttemptResult result = record_ ? record_->result : AttemptResult::Failed;
    Write({{QStringLiteral("type"), QStringLiteral("result")},
           {QStringLiteral("result"), ResultName(result)},
           {QStringLiteral("exit_status"), exitStatus},
           {QStringLiteral("record"), record_ ? QJsonValue(record_->ToJson()) : QJsonValue()}});
}

void JsonUpdateEvents::Write(const QJsonObject &object)
{
    progress_.PrintOut(QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)));
}
