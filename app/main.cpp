// Tobrik: the decoder firmware updater's window program. It takes no command-line arguments.
#include "app/Wizard.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false); // the wizard hides pages; the close-down ends the run
    Wizard wizard;
    return wizard.Run();
}
