// The unattended job of the command line: the stream list of a title set, or the rip of one stream to pictures and a picture script.
#pragma once

#include "app/command_line.h"
#include "app/command_line_prompt.h"

#include <QObject>
#include <QTimer>

namespace glyfex::app {

class App;

// Runs the job through the same windows and run path as a user's Start, with nothing shown and
// nothing asked. Every end, good or bad, ends the event loop with its ExitStatus; a failure prints
// one line on stderr first.
class CommandLineJob : public QObject {
    Q_OBJECT
public:
    CommandLineJob(App &app, CommandLine line);
    ~CommandLineJob() override;

    // The fixed settings of an unattended job, in place of the configuration; call after the windows exist.
    void applySettings();
    // Begins at the event loop's first turn.
    void start();
    // SIGTERM or SIGINT: the job stops at once (a pass at its next unit) with ExitStatus::Interrupted and
    // one stderr line; a script being written when it came is removed again, as the job is not done.
    void interrupt(int signal);

private:
    void begin();
    // Opens the IFO as the input dialog's Open does; false (the job has ended) when it cannot be read.
    bool openTitleSet();
    void listStreams();
    void startRip();
    void watchRun();
    void finishRip();
    void fail(ExitStatus status, const QString &message);
    void end(ExitStatus status);

    App &m_app;
    CommandLine m_line;
    CommandLinePrompt m_prompt;
    QTimer m_watch;
    bool m_ended = false;
    bool m_saving = false;  // the script is being written
    int m_interrupted = 0;  // the signal that came while it was
};

} // namespace glyfex::app
