// Glyfex's entry point: creates the application object with its windows in their fixed order, then runs the event loop, or the unattended job the command line asks for.
#include "app/app.h"
#include "app/command_line.h"
#include "app/command_line_job.h"
#include "app/termination_signals.h"
#include "ripping/ui/main_window.h"

#include <QApplication>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <memory>

namespace {

// Prints text on stdout. A script reading it must not take a full disk or a closed pipe for the text.
glyfex::app::ExitStatus printed(const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    const bool written = std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) == size_t(bytes.size());
    if (std::fflush(stdout) != 0 || !written) {
        std::fprintf(stderr, "glyfex: cannot write to stdout: %s\n", std::strerror(errno));
        return glyfex::app::ExitStatus::WriteFailed;
    }
    return glyfex::app::ExitStatus::Done;
}

} // namespace

int main(int argc, char **argv)
{
    // Answered before anything else, so that they work in a terminal without a display.
    switch (glyfex::app::informationRequest(argc, argv)) {
    case glyfex::app::InformationRequest::Help:
        return int(printed(glyfex::app::usageText()));
    case glyfex::app::InformationRequest::Version:
        return int(printed(glyfex::app::versionText()));
    case glyfex::app::InformationRequest::None:
        break;
    }
    // An unattended job shows no window, so it must not need a display: without a platform chosen by
    // the caller it takes the one that draws into memory.
    const bool unattended = glyfex::app::asksForUnattendedJob(argc, argv);
    if (!unattended) {
        if (const std::optional<QString> missing = glyfex::app::missingDisplay(argc, argv)) {
            std::fprintf(stderr, "glyfex: %s\n", missing->toLocal8Bit().constData());
            return int(glyfex::app::ExitStatus::NoDisplay);
        }
    }
    if (unattended) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        // The job's stderr is its own one line on failure; Qt's remarks about the window platform are
        // not for the script reading it.
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &text) {
            if (type == QtCriticalMsg || type == QtFatalMsg)
                std::fprintf(stderr, "glyfex: %s\n", text.toLocal8Bit().constData());
        });
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Glyfex"));
    QApplication::setOrganizationName(QStringLiteral("Glyfex"));
    // Ties the windows to the installed desktop entry, whose icon and name the desktop shows for them.
    QApplication::setDesktopFileName(QStringLiteral("glyfex"));

    const glyfex::app::ParsedCommandLine parsed =
        glyfex::app::parseCommandLine(glyfex::app::ownArguments(QApplication::arguments().mid(1)));
    if (parsed.error) {
        // Nothing has been read or written yet.
        std::fprintf(stderr, "glyfex: %s\n", parsed.error->message.toLocal8Bit().constData());
        return int(parsed.error->status);
    }

    glyfex::app::App app;
    std::unique_ptr<glyfex::app::CommandLineJob> job;
    // A session ending the program closes it like the user would, so its settings are saved; an
    // unattended job has nobody to close it for and stops with a status of its own.
    glyfex::app::TerminationSignals endOfSession([&app, &job](int signal) {
        if (job)
            job->interrupt(signal);
        else if (QWidget *main = app.mainWindow())
            main->close();
    });
    if (parsed.line.unattended()) {
        job = std::make_unique<glyfex::app::CommandLineJob>(app, parsed.line);
        app.createWindows();
        job->applySettings();
        job->start();
        return application.exec();
    }
    app.createWindows();
    app.loadSettings();
    // "/lang" (any case) as the first argument shows the translators' language-file buttons.
    if (parsed.line.form == glyfex::app::CommandLine::Form::LanguageTools)
        app.mainWindow()->showLanguageTools();
    app.mainWindow()->show();
    return application.exec();
}
