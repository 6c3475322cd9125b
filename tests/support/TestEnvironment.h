#pragma once
// Where a test finds what the build made beside it. Every test program also starts headless
// and with an empty port map (see tests/startup), whether CTest runs it or a developer does.

#include <QString>

namespace TestEnvironment {

// The build tree's all-users folder, VARNO/PLV, with the shipped texts and sample files.
QString ShareDir();

// The tobrik-cli program of this build.
QString CliPath();

} // namespace TestEnvironment
