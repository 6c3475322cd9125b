#pragma once
// The program's own start-up, apart from any page: the working folders, the settings, the
// version text and date, and the language texts. The port page's load runs these steps between
// its own; tobrik-cli runs them without a window.

namespace Startup {

// GetFolders, LoadConfig, then SetProgramVersion, in this order. Settings that name no language
// leave it to the system's locale: the texts file's language that it speaks, else the first.
void PrepareProgram();

// ProgramVersion and ProgramDate, which the info box shows; touches no folder.
void SetProgramVersion();

// Reads the texts of the current language from TextsFile over the built-in ones, and puts Qt's
// own texts into that language; false when the texts file could not be read (the built-in
// texts stand).
bool ReadTexts();

} // namespace Startup
