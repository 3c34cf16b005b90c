// Glyfex's entry point: creates the application object with its windows in their fixed order, then runs the event loop.
#include "app/app.h"
#include "app/termination_signals.h"
#include "ripping/ui/main_window.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Glyfex"));
    QApplication::setOrganizationName(QStringLiteral("Glyfex"));

    glyfex::app::App app;
    // A session ending the program closes it like the user would, so its settings are saved.
    glyfex::app::TerminationSignals endOfSession([&app] {
        if (QWidget *main = app.mainWindow())
            main->close();
    });
    app.createWindows();
    app.loadSettings();
    app.mainWindow()->show();
    return application.exec();
}
