// Glyfex's entry point: creates the application object with its windows in their fixed order, then runs the event loop.
#include "app/termination_signals.h"
#include "ripping/ui/app.h"
#include "ripping/ui/main_window.h"
#include "subtitles/ui/run_wiring.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Glyfex"));
    QApplication::setOrganizationName(QStringLiteral("Glyfex"));

    glyfex::ripping::ui::App app;
    // A session ending the program closes it like the user would, so its settings are saved.
    glyfex::app::TerminationSignals endOfSession([&app] {
        if (QWidget *main = app.mainWindow())
            main->close();
    });
    app.createWindows();
    glyfex::subtitles::ui::RunWiring run(app); // recognition, the Subtitles window and the matrix commands in the run
    app.loadSettings();
    run.applySettings();
    // "/lang" (any case) as the first argument shows the translators' language-file buttons.
    if (argc > 1 && QString::fromLocal8Bit(argv[1]).toLower() == QLatin1String("/lang"))
        app.mainWindow()->showLanguageTools();
    app.mainWindow()->show();
    return application.exec();
}
