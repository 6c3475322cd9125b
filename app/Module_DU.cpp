#include "app/Module_DU.h"

#include <utility>

namespace Module_DU {

ProgramState &State()
{
    static ProgramState state;
    return state;
}

bool BeginExiting()
{
    return !std::exchange(State().Exiting, true);
}

void ResetState()
{
    State() = ProgramState();
}

} // namespace Module_DU
