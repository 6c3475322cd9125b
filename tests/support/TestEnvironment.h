#pragma once
// Where a test finds what the build made beside it. Every test program also starts headless
// and with an empty port map (see tests/startup), whether CTest runs it or a developer does.

#include <QString>

namespace TestEnvironment {

// The build tree's all-users folder, VARNO/PLV, with the shipped texts file.
QString ShareDir();

// The demo's decoder software file, which the build generates outside the all-users folder.
QString DemoSoftwareFile();

// The tobrik-cli program of this build.
QString CliPath();

} // namespace TestEnvironment
