// What a picture source running its own loop sets in the main window and in recognition, and puts back.
#include "app/source_loop.h"

#include "app/app.h"
#include "app/run_wiring.h"
#include "ripping/ui/main_window.h"
#include "subtitles/ui/subtitles_window.h"

#include <QCoreApplication>

#include <algorithm>

namespace glyfex::app {

SourceLoopScope::SourceLoopScope(App &app, RunWiring &run, picture::SourceRun &source, picture::ActionMode action,
                                 bool &running)
    : m_app(app), m_run(run), m_running(running), m_actionBefore(app.batch.actionMode),
      m_assistBefore(run.assistState()), m_optionsBefore(run.driver().options())
{
    ripping::ui::MainWindow *main = m_app.mainWindow();
    m_timerWasActive = main && main->batchTimerActive();
    m_pauseWasAvailable = main && main->pauseAvailable();
    m_pauseCaption = main ? main->pauseCaption() : QString();
    m_wasPaused = m_app.batch.paused;
    m_startCountBefore = m_app.batch.startCount;

    m_running = true;
    if (main) {
        main->setBatchTimerActive(false);
        main->setPauseCaption(m_app.message(core::Msg::Pause));
        main->setPauseAvailable(true);
    }
    m_app.batch.paused = false;
    m_app.batch.actionMode = action;
    m_app.batch.unreadLines = 0;
    m_run.subtitlesWindow().showUnreadLines(0);

    // One text colour on black: code 1 is the text and its outline, 0 the background.
    recognition::OcrAssistState &assist = m_run.assistState();
    assist.mode = recognition::OcrAssistState::Fixed;
    assist.fixedInk = {1, 1};
    m_run.followRecognitionSettings();
    recognition::DriverOptions &options = m_run.driver().options();
    options.dvdPalette[0] = 0x000000;
    options.dvdPalette[1] = 0xFFFFFF;
    m_run.setSourceRun(&source);
    m_run.subtitlesWindow().show();
    QCoreApplication::processEvents();
}

SourceLoopScope::~SourceLoopScope()
{
    m_run.setSourceRun(nullptr);
    m_run.driver().options() = m_optionsBefore;
    m_run.assistState() = m_assistBefore;
    // A Start while the loop ran (Open VOB(s) from its pause) armed the run that reads next: its action
    // and pause stay as the Start set them, and the batch timer starts it.
    const bool started = m_app.batch.startCount != m_startCountBefore;
    if (!started) {
        m_app.batch.actionMode = m_actionBefore;
        m_app.batch.paused = m_wasPaused;
    }
    if (ripping::ui::MainWindow *main = m_app.mainWindow()) {
        if (!started) {
            main->setPauseCaption(m_pauseCaption);
            main->setPauseAvailable(m_pauseWasAvailable);
        }
        main->setBatchTimerActive(m_timerWasActive || started);
    }
    m_running = false;
}

bool endUnfinishedRun(App &app, RunWiring &run)
{
    const ripping::BatchState &batch = app.batch;
    if (batch.processing)
        return false; // the pass is reading: it returns to the event loop first
    if (batch.vobList.isEmpty() || batch.finished())
        return true;
    const QString text = app.message(core::Msg::Confirm) + QStringLiteral("\r\n")
                       + QStringLiteral("The run over the opened VOB/SUB files has not finished.") + QLatin1Char('\r')
                       + QStringLiteral("End it and start the new one?");
    if (app.prompt().confirmYesNo(text) != core::Answer::Yes)
        return false;
    run.finishRun();
    return true;
}

void pauseMainRun(App &app)
{
    if (app.batch.paused)
        return;
    if (ripping::ui::MainWindow *main = app.mainWindow())
        main->togglePause(nullptr);
    else
        app.batch.paused = true;
}

void followSourceRate(App &app, uint32_t fpsX1000)
{
    core::followFrameRate(app.batch.clock.standard, fpsX1000, uint8_t(std::clamp<uint32_t>(fpsX1000 / 1000, 1, 256) - 1));
}

void resumeMainRun(App &app)
{
    if (!app.batch.paused)
        return;
    if (ripping::ui::MainWindow *main = app.mainWindow())
        main->togglePause(nullptr);
    else
        app.batch.paused = false;
}

bool resumeForAssistRequest(App &app, RunWiring &run)
{
    recognition::OcrAssistState &assist = run.assistState();
    if (assist.mode < recognition::OcrAssistState::FillMatrixRequested)
        return false;
    if (assist.mode == recognition::OcrAssistState::ColourChangeRequested)
        assist.mode = recognition::OcrAssistState::Fixed;
    (void)run.runControl().takeAutomaticResume();
    resumeMainRun(app);
    return true;
}

} // namespace glyfex::app
