#pragma once
// The mark our generator puts into every image it makes, so that an invented image can be told
// from a maker's: it opens the payload, where the update reads it with the image and where it
// stays whichever index layout lists the image. Fewer payload bytes than the mark carry only
// its start, but such an image holds no whole block and is never sent anyway.

#include <QByteArray>
#include <cstdint>

namespace DswGenerator {

// Sixteen bytes no maker's firmware starts with; shorter than the smallest block (32 bytes), so
// any image with a block to send carries all of it.
inline const QByteArray Mark = QByteArrayLiteral("TOBRIK-INVENTED!");

// Whether payloadStart, the first bytes of an image's payload, begins with the whole mark.
inline bool CarriesMark(const QByteArray &payloadStart)
{
    return payloadStart.startsWith(Mark);
}

} // namespace DswGenerator
