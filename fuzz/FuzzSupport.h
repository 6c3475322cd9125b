#pragma once
// What the fuzz targets share: the check that stops a run, and a folder of their own for inputs
// that must pass through a file.

#include <QString>

namespace FuzzSupport {

// Ends the run as a crash, which libFuzzer records with its input, when condition is false.
void Require(bool condition);

// A private folder that is removed at exit.
QString ScratchFolder();

} // namespace FuzzSupport
