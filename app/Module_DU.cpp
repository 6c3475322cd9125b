#include "app/Module_DU.h"

namespace Module_DU {

ProgramState &State()
{
    static ProgramState state;
    return state;
}

void ResetState()
{
    State() = ProgramState();
}

} // namespace Module_DU
