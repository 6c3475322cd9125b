#include "TestEnvironment.h"

namespace TestEnvironment {

QString ShareDir()
{
    return QStringLiteral(TOBRIK_TEST_SHARE_DIR);
}

QString DemoSoftwareFile()
{
    return QStringLiteral(TOBRIK_TEST_DEMO_DSW);
}

QString CliPath()
{
    return QStringLiteral(TOBRIK_TEST_CLI);
}

} // namespace TestEnvironment
