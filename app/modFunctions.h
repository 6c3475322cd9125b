#pragma once
// Small helpers shared by every page.

#include <QChar>
#include <QString>

namespace modFunctions {

// The separator between a folder and a name: a backslash on Windows, a slash elsewhere.
QChar PathSeparator();

// Everything up to and including the last separator; empty when the path has none.
QString FolderOfPath(const QString &path);

// Takes a settings code ("de", "en", "fr", any case) and moves LanguageIndex; marks it valid.
void SetLanguage(const QString &code);

// The code stored for a language index: "de", "en", "fr", and empty for any other index.
QString LanguageCode(int languageIndex);

// Major "." two-digit minor "." two-digit revision: 1, 24, 7 gives 1.24.07.
QString FormatVersion(int major, int minor, int revision);

bool FileExists(const QString &path);

// Lets pending window events run once.
void DoEvents();

} // namespace modFunctions
