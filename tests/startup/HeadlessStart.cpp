// Linked into every test program: before main makes its application object, the program is
// set to draw off screen and to see no serial port of the machine, unless whoever started it
// chose otherwise (QT_QPA_PLATFORM=xcb to watch a test, TOBRIK_PORTS to give it ports). So a
// test runs the same from CTest, from build/bin and from a debugger. The locale is always the C
// one: a first start speaks the system's language, and the tests expect a texts file's first
// language unless they choose a locale themselves.
#include <QByteArray>
#include <QtGlobal>

namespace {
void SetUnlessSet(const char *name, const QByteArray &value)
{
    if (!qEnvironmentVariableIsSet(name))
        qputenv(name, value);
}

const bool headless = [] {
    SetUnlessSet("QT_QPA_PLATFORM", "offscreen");
    SetUnlessSet("TOBRIK_PORTS", "");
    qputenv("LC_ALL", "C.UTF-8");
    return true;
}();
} // namespace
