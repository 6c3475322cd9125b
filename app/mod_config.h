#pragma once
// The three values the program keeps in its settings file between runs.

namespace mod_config {

// Reads the language, the last folder and the last file of decoder software files.
void LoadConfig();

// Writes them back in one replacement of the file; the language only while LanguageValid is
// set.
void SaveConfig();

} // namespace mod_config
