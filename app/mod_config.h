#pragma once
// The values the program keeps in its settings file between runs.

namespace mod_config {

// Reads the language, the last folder and the last file of decoder software files, and the
// update page's note. False when the file names no language (there is none yet, or only other
// settings were written to it): the language is then the first, and still the user's system's
// to choose.
bool LoadConfig();

// Writes them back in one replacement of the file; the language only while LanguageValid is
// set.
void SaveConfig();

} // namespace mod_config
