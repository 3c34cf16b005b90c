// File > Open Image Sequence: picks a script or a picture of a folder and runs the sequence through recognition in the main window.
#pragma once

#include "picture/source_run.h"
#include "sources/image_sequence.h"

#include <QObject>

namespace glyfex::app {

class App;
class RunWiring;

// Runs on the interface thread: the loop pumps events between pictures, and the main window's Pause
// holds it. Open VOB, closing the main window and the end of the entries end it.
class ImageSequenceCommand : public QObject, public sources::SequenceHost, public picture::SourceRun {
    Q_OBJECT
public:
    ImageSequenceCommand(App &app, RunWiring &run);

    // The whole command: the file question, the run, and the state as it was before once it ends.
    void open();
    // The sequence the file question would give, without asking (what open() runs after asking).
    void runFile(const QString &chosenFile);
    bool running() const { return m_running; }

    // SequenceHost
    bool pump() override;
    bool takeRewind() override;
    void showEntry(const QString &entry, int index, int count) override;

Q_SIGNALS:
    // The sequence's loop has returned and the main window's state is back (sent once runFile ends).
    void ended();

public:
    // SourceRun: recognition gives a picture up to read it again.
    void rewindToCurrentPicture() override;
    void countSkipped() override {}
    bool processing() const override { return m_running; }

private:
    // The sequence's pictures through recognition, within the loop's state.
    void runPlan(const QString &chosenFile);

    App &m_app;
    RunWiring &m_run;
    bool m_running = false;
    bool m_rewind = false;
};

} // namespace glyfex::app
