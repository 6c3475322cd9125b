#pragma once
// Qt's own texts (the buttons of message boxes, the file dialog) in the program's language.

class QString;

namespace QtTranslation {

// Installs Qt's translation for languageCode ("de", "en", "fr") on the application in place of
// the one installed before. An empty code, or a language Qt has no file for, leaves Qt's own
// English; false then.
bool Install(const QString &languageCode);

// From now on Install installs no translation: Qt's own texts, its error texts among them, stay
// English for the rest of the run.
void KeepEnglish();

} // namespace QtTranslation
