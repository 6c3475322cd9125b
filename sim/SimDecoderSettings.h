#pragma once
// What a simulated decoder is, as the keys of a simulated port ("sim:box?decoder=5&block=64")
// or the options of tobrik-cli simulate give it.

#include "port/Protocol.h"

#include <QString>
#include <QtGlobal>

// The odds, from 0 to 1, of each fault the decoder can play.
struct SimFaultOdds {
    double lostReply = 0; // a reply is not sent
    double badBlock = 0;  // a block arrives with one byte flipped, so it fails its checksum
    double lostBlock = 0; // a block never reaches the decoder
    double slowReply = 0; // a reply comes late, though still inside the program's reply window
    double garbage = 0;   // a reply is replaced by bytes that fail the acknowledge test
};

struct SimDecoderSettings {
    static constexpr int NeverUnplug = -1;
    static constexpr int NeverRefuse = -1;
    static constexpr quint32 DefaultSeed = 1;

    int id = 0;
    int blockSize = Protocol::SmallBlockBytes;
    QString flashPath; // empty: the flash is kept in memory only
    SimFaultOdds odds;
    int unplugAt = NeverUnplug; // the port vanishes when this block arrives
    int refuseBlock = NeverRefuse; // this block is refused every time it arrives
    int replyDelayMs = 0;          // every reply to a block comes this long after the block arrived
    quint32 seed = DefaultSeed; // of the fault generator
    bool lineRate = false;      // replies no earlier than a 38400-baud line would carry them
};
