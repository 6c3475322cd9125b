// Feeds arbitrary bytes to the texts file reader: it must end, and never index out of range.
#include "app/LanguageTexts.h"
#include "app/Module_DU.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Module_DU::ResetState();
    Module_DU::State().LanguageIndex = static_cast<int32_t>(size % 4);
    LanguageTexts::ApplyTextsFile(QByteArray(reinterpret_cast<const char *>(data), static_cast<int>(size)));
    LanguageTexts::FillBuiltInTexts();
    return 0;
}
