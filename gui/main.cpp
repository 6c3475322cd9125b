// Tobrik: the decoder firmware updater's window program. It takes no command-line arguments.
#include "gui/Wizard.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    // Desktops that match windows to their launcher (Wayland) find the icon by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("tobrik"));
    app.setQuitOnLastWindowClosed(false); // the wizard hides pages; the close-down ends the run
    Wizard wizard;
    return wizard.Run();
}
