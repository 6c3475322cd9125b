// Feeds arbitrary 8-bit text to the version list reader, which reads what the network sent.
#include "app/Windows1252.h"
#include "online/VersionList.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    DecoderSwEntry entry;
    ParseVersionList(Windows1252::Decode(bytes), entry);
    return 0;
}
