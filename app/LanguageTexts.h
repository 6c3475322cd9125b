#pragma once
// The language table: the texts file of the current language over built-in English texts.

#include <QByteArray>
#include <QString>

namespace LanguageTexts {

// The built-in English text of index (0 to 50); empty for any other index.
QString BuiltInText(int index);

// Reads the texts file at path into the shared state for the current LanguageIndex, then fills
// every empty entry 0 to 50 with its built-in text. The table is not cleared first, so an entry
// the file does not supply keeps what it held. A file that is missing, cannot be read or is far
// too large to be a texts file (SmallTextFile) reads nothing; the result is then false.
bool ReadTexts(const QString &path);

// The two halves of ReadTexts: the contents of a texts file, then the built-in fallback.
void ApplyTextsFile(const QByteArray &bytes);
void FillBuiltInTexts();

} // namespace LanguageTexts
