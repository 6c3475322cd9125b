// Feeds arbitrary bytes to the texts file reader: it must end, never index out of range, and
// leave every caption that has a built-in wording non-empty, so no button goes blank.
#include "app/LanguageTexts.h"
#include "app/Module_DU.h"

#include <cstddef>
#include <cstdint>

namespace {
constexpr int LastBuiltInText = 50;
constexpr int LanguagesWithCode = 3; // the settings file can name de, en or fr
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Module_DU::ResetState();
    auto &state = Module_DU::State();
    state.LanguageIndex = static_cast<int32_t>(size % LanguagesWithCode);
    LanguageTexts::ApplyTextsFile(QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)));
    LanguageTexts::FillBuiltInTexts();
    for (int index = 0; index <= LastBuiltInText; ++index)
        if (state.Texts[index].isEmpty())
            __builtin_trap();
    return 0;
}
