#include "app/Log.h"

#include "app/Module_DU.h"

#include <cstdio>

namespace Log {
namespace {
Sink &CurrentSink()
{
    static Sink sink;
    return sink;
}
} // namespace

void SetSink(Sink sink)
{
    CurrentSink() = std::move(sink);
    Module_DU::State().LogActive = static_cast<bool>(CurrentSink());
}

void Line(const QString &line)
{
    if (Module_DU::State().LogActive && CurrentSink())
        CurrentSink()(line);
}

void Problem(const QString &line)
{
    if (Module_DU::State().LogActive && CurrentSink()) {
        CurrentSink()(line);
        return;
    }
    std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
}

} // namespace Log
