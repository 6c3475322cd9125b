// Tobrik: the decoder firmware updater's window program. It takes no command-line arguments.
#include "app/TerminationSignals.h"
#include "app/Wizard.h"
#include "port/frm_Du_Com.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false); // the wizard hides pages; the close-down ends the run
    Wizard wizard;
    QObject::connect(&wizard, &Wizard::Finished, &app, &QCoreApplication::quit);
    TerminationSignals::Install([&wizard] {
        if (wizard.PortPage())
            wizard.PortPage()->close();
    });
    wizard.Start();
    return app.exec();
}
