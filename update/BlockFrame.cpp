#include "update/BlockFrame.h"

#include "port/Protocol.h"

QByteArray BlockFrame(int32_t blockNumber, const QByteArray &payload)
{
    auto checksum = static_cast<uint8_t>(blockNumber & Protocol::BlockNumberMask);
    QByteArray frame(1, static_cast<char>(checksum));
    for (const char byte : payload)
        checksum ^= static_cast<uint8_t>(byte);
    frame.append(payload);
    frame.append(static_cast<char>(checksum));
    return frame;
}
