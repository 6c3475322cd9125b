#include "update/InventedImage.h"

#include "port/SerialDeviceFactory.h"
#include "software/DswGeneratorMark.h"
#include "update/UpdateError.h"
#include "update/UpdateImage.h"

namespace InventedImage {
namespace {
// The first bytes of the payload as far as the mark reaches, fewer where the image ends.
QByteArray PayloadStart(const UpdateImage &image)
{
    QByteArray bytes;
    const int64_t first = image.Start() + UpdateImage::HeadBytes;
    try {
        for (int64_t position = first; position < first + DswGenerator::Mark.size(); ++position)
            bytes.append(static_cast<char>(image.ByteAt(position)));
    } catch (const UpdateError &) {
        // The image ends before the mark does: what was read is all there is to compare.
    }
    return bytes;
}
} // namespace

bool HeldBackFrom(const UpdateImage &image, int com)
{
    return DswGenerator::CarriesMark(PayloadStart(image)) && !IsSimulatedPort(com);
}

} // namespace InventedImage
