// Tobrik: the decoder firmware updater's window program. It takes --help and --version, and
// Qt's own options (such as -platform NAME); nothing else.
#include "app/InfoVersionLine.h"
#include "gui/Wizard.h"

#include <QApplication>
#include <QTextStream>

#include <cstring>
#include <optional>

namespace {
const QString ProgramName = QStringLiteral("Tobrik");

const char HelpText[] = R"(Usage: Tobrik [--help | --version]
The decoder firmware updater: a wizard that finds the programmer on a serial port, picks the
decoder's image out of a decoder software file and carries it into the decoder.

Options:
  -h, --help     Displays this help.
  -v, --version  Displays the program's version and date, as its info box shows them.

Qt's own options, such as -platform NAME, are taken as well. tobrik-cli does the program's
jobs without windows. 'man Tobrik' tells more.
)";

bool Asked(int argc, char **argv, const char *shortName, const char *longName)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], shortName) == 0 || std::strcmp(argv[i], longName) == 0)
            return true;
    return false;
}

// --help and --version are answered on standard output before anything needs a display, so
// they work from a terminal or a package's check without one.
std::optional<int> AnswerWithoutWindows(int argc, char **argv)
{
    const bool help = Asked(argc, argv, "-h", "--help");
    if (!help && !Asked(argc, argv, "-v", "--version"))
        return std::nullopt;
    QCoreApplication app(argc, argv); // the version's date is the program file's
    QTextStream out(stdout);
    out << (help ? QString::fromUtf8(HelpText) : VersionAnswer(ProgramName));
    out.flush();
    return out.status() == QTextStream::Ok ? EXIT_SUCCESS : EXIT_FAILURE;
}
} // namespace

int main(int argc, char **argv)
{
    if (const std::optional<int> status = AnswerWithoutWindows(argc, argv))
        return *status;
    QApplication app(argc, argv);
    // Desktops that match windows to their launcher (Wayland) find the icon by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("tobrik"));
    app.setQuitOnLastWindowClosed(false); // the wizard hides pages; the close-down ends the run
    Wizard wizard;
    return wizard.Run();
}
