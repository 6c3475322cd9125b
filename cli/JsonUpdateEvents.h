#pragma once
// tobrik-cli update --json: the run told to another program, as JSON lines on standard output,
// one compact object a line, written as it happens: each list line, each whole percent the
// progress reaches, the question with its answer, and at the end one result object with the
// exit status and the run's history record. Everything for people stays on standard error.

#include "history/UpdateRecord.h"

#include <QJsonObject>
#include <optional>

class TerminalProgress;

class JsonUpdateEvents {
public:
    // The objects go through progress, so a bar on a terminal is cleared before each of them.
    explicit JsonUpdateEvents(TerminalProgress &progress);

    void Line(const QString &text);
    // Written only when the whole percent changes.
    void Progress(float percent);
    void Question(const QString &title, const QString &text, bool answer);
    // The history record the run left; a command that ends before the update page ran has none.
    void Recorded(const std::optional<UpdateRecord> &record);
    // The last object: the recorded run's result (failed without a record) and exitStatus.
    void End(int exitStatus);

private:
    void Write(const QJsonObject &object);

    TerminalProgress &progress_;
    std::optional<int> percent_;
    std::optional<UpdateRecord> record_;
};
