#pragma once
// The program's working folders: an all-users folder that ships the texts file and the decoder
// software files, and a per-user folder that holds the settings and the user's own copies.

#include <QString>

namespace Mod_Getfolder {

// Fills the folder and path fields of the shared state, creates the per-user folders and, while
// the per-user software folder holds no "*vup" file, refreshes it from the shipped one.
void GetFolders();

// Only the first step of GetFolders: the folder and path fields, nothing created or copied.
void ComputePaths();

} // namespace Mod_Getfolder
