// What a picture source running its own loop on the interface thread sets in the main window and in recognition, put back when the loop ends.
#pragma once

#include "picture/action_mode.h"
#include "recognition/recognition_driver.h"
#include "recognition/run_control.h"

#include <QString>

namespace glyfex::picture {
class SourceRun;
}

namespace glyfex::app {

class App;
class RunWiring;

// Made when the loop starts, gone when it ends however it ends: the batch timer and a DVD run paused
// meanwhile go on as they were, unless a Start armed a new run meanwhile (Open VOB(s) ends the loop),
// which then keeps what the Start set. Meanwhile the main window's Pause holds the loop, recognition reads
// one-colour pictures (code 1 the text on 0) with the current tuning, and source is what it rewinds.
class SourceLoopScope {
public:
    SourceLoopScope(App &app, RunWiring &run, picture::SourceRun &source, picture::ActionMode action, bool &running);
    ~SourceLoopScope();
    SourceLoopScope(const SourceLoopScope &) = delete;
    SourceLoopScope &operator=(const SourceLoopScope &) = delete;

private:
    App &m_app;
    RunWiring &m_run;
    bool &m_running;
    bool m_timerWasActive = false;
    bool m_pauseWasAvailable = false;
    QString m_pauseCaption;
    bool m_wasPaused = false;
    int m_startCountBefore = 0;
    picture::ActionMode m_actionBefore;
    recognition::OcrAssistState m_assistBefore;
    recognition::DriverOptions m_optionsBefore;
};

// A video or an image sequence opened: the frames a second that frame counts follow (the time correction's
// one-frame repair among them) are its rate, with its whole frames a second less one as the highest frame
// number (29.97 frames a second give 28, so a frame of the repair lasts 1000 / 29 ms).
void followSourceRate(App &app, uint32_t fpsX1000);

// Every source that runs its own loop (an image sequence, a video) passes here before it starts: one
// run at a time. A DVD run that has not finished (paused, or between two files) ends first, as its
// last file would, when the user agrees; false when it goes on, and the new source does not start.
bool endUnfinishedRun(App &app, RunWiring &run);

// A question gave a picture up: the main window's run pauses (the flag alone without a main window).
void pauseMainRun(App &app);
// Ends the main window's pause, as its Continue does.
void resumeMainRun(App &app);
// While such a loop waits in a pause: when the New Character(s) dialog asked for the OCR assistant, the
// run resumes by itself and the picture is read again, the assistant opening for it before it is
// recognised. The pictures have their one colour, so a colour change has nothing to choose and is
// dropped. true when it resumed.
bool resumeForAssistRequest(App &app, RunWiring &run);

} // namespace glyfex::app
