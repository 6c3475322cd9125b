#include "port/SerialBackEnds.h"

namespace {
std::vector<SerialBackEnd> &BackEnds()
{
    static std::vector<SerialBackEnd> backEnds;
    return backEnds;
}
} // namespace

bool RegisterSerialBackEnd(SerialBackEnd backEnd)
{
    BackEnds().push_back(backEnd);
    return true;
}

const std::vector<SerialBackEnd> &RegisteredSerialBackEnds()
{
    return BackEnds();
}
