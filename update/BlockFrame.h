#pragma once
// A block as it goes on the wire, the same for both update methods.

#include <QByteArray>
#include <cstdint>

// The block number's low byte, the payload, and the XOR of both as the checksum.
QByteArray BlockFrame(int32_t blockNumber, const QByteArray &payload);
