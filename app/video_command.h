// File > Open Hard Subbed Video Files: opens a video in the viewer and runs its subtitles through recognition in the main window.
#pragma once

#include "core/time_code.h"
#include "picture/rect.h"
#include "picture/source_run.h"
#include "sources/video_run.h"
#include "subtitles/subtitle_store.h"

#include <QObject>
#include <QSize>
#include <QString>

#include <functional>
#include <optional>

namespace glyfex::sources::ui {
class VideoViewer;
}

namespace glyfex::app {

class App;
class RunWiring;

// The run is on the interface thread: its loop pumps events between frames, and the main window's Pause
// holds it. Stop, Close and closing the main window end it.
class VideoCommand : public QObject, public sources::VideoRunHost, public picture::SourceRun {
    Q_OBJECT
public:
    // The typed frame rate for a video that gives none; nothing when the user cancelled.
    using RateQuestion =
        std::function<std::optional<QString>(const QString &title, const QString &prompt, const QString &initial)>;

    VideoCommand(App &app, RunWiring &run, sources::ui::VideoViewer &viewer);

    // The file question, then the video opened in the viewer.
    void open();
    // Opens file in the viewer and puts the main window in the video's state; false (after saying why,
    // or silently when the rate question was cancelled) when no video is open.
    bool openFile(const QString &file);
    // Run: from the viewer's current frame to the last one, or until stopped.
    void run();
    // Prev.: the last subtitle taken back, the viewer at its first frame.
    void previous();
    bool running() const { return m_running; }
    // The last recognised subtitle's box within its mask (what the driver's mask writer crops to).
    std::optional<QSize> m_frameSizeBefore; // the input's frame size, given back when the video closes
    const std::optional<picture::Rect> &cropRect() const { return m_cropRect; }
    void setRateQuestion(RateQuestion question) { m_askRate = std::move(question); }

    // VideoRunHost
    void frameShown(int pos, const sources::BgrFrame &frame, const sources::FrameAnalysis &analysis) override;
    bool pump() override;
    bool takeRestart() override;
    void subtitleFound(int first, int last, const sources::BgrFrame &lastFrame) override;
    void subtitleDropped() override;

    // SourceRun: a question paused the run; the subtitle is searched again after the pause.
    void rewindToCurrentPicture() override;
    void countSkipped() override {}
    bool processing() const override { return m_running; }

private:
    // The run's recognition options and the frames through runVideo, within the loop's state.
    void runFrames(const QString &saveDir);
    void videoClosed();
    void showFrame(int pos, int last, bool analysed);
    void waitWhilePaused();
    bool sameAsLast();
    core::TimeCode timeOfFrame(int frame) const;
    // The player's frame at a time for a video whose frames keep their own clock; nothing for a video
    // of one rate, whose frames the rate gives exactly as it always has.
    subtitles::VideoFrameAtTime ownClock() const;

    App &m_app;
    RunWiring &m_run;
    sources::ui::VideoViewer &m_viewer;
    RateQuestion m_askRate;
    bool m_running = false;
    bool m_opening = false; // a file is being read into the player, the interface running meanwhile
    bool m_restart = false;
    bool m_openAfterSequence = false; // Open Video ended an image sequence: it asks for the file once that has returned
    std::optional<picture::Rect> m_cropRect;
};

} // namespace glyfex::app
