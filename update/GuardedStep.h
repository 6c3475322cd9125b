#pragma once
// The update procedures run most of their steps guarded: a step that raises a run-time error
// (a serial failure or one of the procedure's own) has its description logged and is skipped,
// and the run goes on with the next step.

#include "app/Log.h"
#include "port/SerialError.h"
#include "update/UpdateError.h"

#include <utility>

template <typename Step>
void Guarded(Step &&step)
{
    try {
        std::forward<Step>(step)();
    } catch (const SerialError &error) {
        Log::Line(error.Description());
    } catch (const UpdateError &error) {
        Log::Line(error.Description());
    }
}

// The same for a step that yields a value: fallback when it fails.
template <typename Value, typename Step>
Value GuardedOr(Value fallback, Step &&step)
{
    Value value = fallback;
    Guarded([&] { value = std::forward<Step>(step)(); });
    return value;
}

// Runs a step that has a failure path of its own: the run-time error's description when it
// raised one, else empty. The description is reported at once (Log::Problem), so that the user
// learns why the step failed (a port another program holds, a missing permission) beside the
// caller's own failure message.
template <typename Step>
QString FailureOf(Step &&step)
{
    QString failure;
    try {
        std::forward<Step>(step)();
        return failure;
    } catch (const SerialError &error) {
        failure = error.Description();
    } catch (const UpdateError &error) {
        failure = error.Description();
    }
    if (failure.isEmpty()) // a failure must never read as success
        failure = QStringLiteral("unknown error");
    Log::Problem(failure);
    return failure;
}

// The same when only success counts: false when the step raised a run-time error.
template <typename Step>
bool Succeeds(Step &&step)
{
    return FailureOf(std::forward<Step>(step)).isEmpty();
}
