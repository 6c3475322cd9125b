#pragma once
// Qt's own texts (the buttons of message boxes, the file dialog) in the program's language.

class QString;

namespace QtTranslation {

// Installs Qt's translation for languageCode ("de", "en", "fr") on the application in place of
// the one installed before. An empty code, or a language Qt has no file for, leaves Qt's own
// English; false then.
bool Install(const QString &languageCode);

} // namespace QtTranslation
