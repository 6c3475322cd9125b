#include "sim/SimFaults.h"

#include "port/Protocol.h"

namespace {
// Bit 0 set fails the acknowledge test whatever the other bits are.
constexpr quint8 FailingBit = 0x01;
constexpr int MostGarbageBytes = 3;
constexpr int ByteValues = 256;
} // namespace

SimFaults::SimFaults(const SimFaultOdds &odds, quint32 seed)
    : odds_(odds), generator_(seed)
{
}

bool SimFaults::LoseReply()
{
    return Happens(odds_.lostReply);
}

bool SimFaults::SlowReply()
{
    return Happens(odds_.slowReply);
}

bool SimFaults::LoseBlock()
{
    return Happens(odds_.lostBlock);
}

void SimFaults::MaybeCorrupt(QByteArray &frame)
{
    if (frame.isEmpty() || !Happens(odds_.badBlock))
        return;
    const int at = Between(0, static_cast<int>(frame.size()) - 1);
    frame[at] = static_cast<char>(frame[at] ^ Between(1, ByteValues - 1));
}

void SimFaults::MaybeGarble(QByteArray &reply)
{
    if (!Happens(odds_.garbage))
        return;
    reply.resize(Between(1, MostGarbageBytes));
    for (char &byte : reply) {
        quint8 value = static_cast<quint8>(Between(0, ByteValues - 1));
        if (PassesAcknowledgeTest(value))
            value |= FailingBit;
        byte = static_cast<char>(value);
    }
}

bool SimFaults::PassesAcknowledgeTest(quint8 reply)
{
    return (reply & Protocol::AcknowledgeMask) == Protocol::AcknowledgePattern;
}

bool SimFaults::Happens(double odds)
{
    return odds > 0 && std::uniform_real_distribution<double>(0, 1)(generator_) < odds;
}

int SimFaults::Between(int lowest, int highest)
{
    return std::uniform_int_distribution<int>(lowest, highest)(generator_);
}
