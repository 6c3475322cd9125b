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

// Runs a step that has a failure path of its own: false when it raised a run-time error. The
// error's description is reported at once (Log::Problem), so that the user learns why the
// step failed (a port another program holds, a missing permission) beside the caller's own
// failure message.
template <typename Step>
bool Succeeds(Step &&step)
{
    try {
        std::forward<Step>(step)();
        return true;
    } catch (const SerialError &error) {
        Log::Problem(error.Description());
    } catch (const UpdateError &error) {
        Log::Problem(error.Description());
    }
    return false;
}
