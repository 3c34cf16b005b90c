// The video command: opening a video into the viewer, the main window's state for its one-colour masks, the run's event pump and pause, and the state put back.
#include "app/video_command.h"

#include "app/app.h"
#include "app/image_sequence_command.h"
#include "app/run_wiring.h"
#include "app/source_loop.h"
#include "core/ui/dialog_owner.h"
#include "core/ui/progress_dialog_host.h"
#include "recognition/recognition_driver.h"
#include "ripping/ui/main_window.h"
#include "sources/ui/video_frame_view.h"
#include "sources/ui/video_viewer.h"
#include "subtitles/time_forms.h"
#include "subtitles/ui/subtitles_window.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QInputDialog>
#include <QScopedValueRollback>
#include <QThread>

#include <algorithm>
#include <utility>

namespace glyfex::app {

namespace {

// Over the window the user works in, so that the Subtitles window cannot cover it.
std::optional<QString> askRateWithDialog(QWidget *owner, const QString &title, const QString &prompt,
                                         const QString &initial)
{
    QInputDialog dialog(owner);
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setTextValue(initial);
    if (core::ui::execOver(dialog, core::ui::workingWindow(owner)) != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

} // namespace

VideoCommand::VideoCommand(App &app, RunWiring &run, sources::ui::VideoViewer &viewer)
    : QObject(nullptr), m_app(app), m_run(run), m_viewer(viewer)
{
    m_askRate = [this](const QString &title, const QString &prompt, const QString &initial) {
        return askRateWithDialog(m_app.mainWindow(), title, prompt, initial);
    };
    if (ripping::ui::MainWindow *main = m_app.mainWindow()) {
        QAction *action = main->videoAction();
        action->setEnabled(true);
        connect(action, &QAction::triggered, this, &VideoCommand::open);
    }
    connect(&m_viewer, &sources::ui::VideoViewer::frameShown, this, &VideoCommand::showFrame);
    connect(&m_viewer, &sources::ui::VideoViewer::runRequested, this, &VideoCommand::run);
    connect(&m_viewer, &sources::ui::VideoViewer::prevRequested, this, &VideoCommand::previous);
    connect(&m_viewer, &sources::ui::VideoViewer::videoClosed, this, &VideoCommand::videoClosed);
}

void VideoCommand::open()
{
    // An image sequence that is running (or paused) stops at its next picture; the video is asked for
    // once its loop has returned.
    m_app.abortSequence = true;
    ImageSequenceCommand &sequence = m_run.imageSequence();
    if (sequence.running() && !m_openAfterSequence) {
        m_openAfterSequence = true;
        connect(&sequence, &ImageSequenceCommand::ended, this, [this] {
            m_openAfterSequence = false;
            open();
        }, Qt::ConnectionType(Qt::QueuedConnection | Qt::SingleShotConnection));
    }
    if (m_running || m_opening || m_app.batch.processing || sequence.running())
        return;
    const QString chosen = m_app.files().openFile(
        m_app.mainWindow(), QStringLiteral("Open Hard Subbed Video Files"), m_app.dialogFolder(QString()),
        QStringLiteral("Video files (*.avi;*.mkv;*.mp4;*.ts;*.vob;*.m2ts;*.mpg;*.mpeg;*.mov;*.webm)|"
                       "*.avi;*.mkv;*.mp4;*.ts;*.vob;*.m2ts;*.mpg;*.mpeg;*.mov;*.webm|All files (*.*)|*"),
        1);
    if (chosen.isEmpty())
        return;
    openFile(chosen);
}

bool VideoCommand::openFile(const QString &file)
{
    if (m_running || m_opening || m_run.imageSequence().running() || !endUnfinishedRun(m_app, m_run))
        return false;
    ripping::ui::MainWindow *main = m_app.mainWindow();
    auto fail = [this](const core::Error &error) {
        m_app.prompt().error(m_app.message(core::Msg::ErrorOpeningVideo) + QStringLiteral("\r\n") + error.message());
        return false;
    };
    m_app.batch.actionMode = picture::ActionMode::VideoFile;
    if (m_viewer.videoOpen())
        m_viewer.closeVideo();

    sources::AviPlayer &player = m_viewer.player();
    {
        // Some files are read and decoded whole before their first frame shows: a minute for a film.
        const QScopedValueRollback opening(m_opening, true);
        core::ui::ProgressDialogHost host(main, QStringLiteral("Open Video"),
                                          QStringLiteral("Reading %1").arg(QDir::toNativeSeparators(file)));
        auto opened = m_viewer.openFile(file, &host);
        if (!opened)
            return player.cancelled() ? false : fail(opened.error());
    }
    int fpsX1000 = player.fpsX1000();
    if (!player.rateKnown() || fpsX1000 <= 0) {
        const std::optional<QString> typed = m_askRate(m_app.message(core::Msg::CannotDetectFrameRate),
                                                       m_app.message(core::Msg::InputFrameRate),
                                                       QStringLiteral("23.976"));
        if (!typed) {
            (void)player.setFileName(QString());
            return false;
        }
        auto rate = subtitles::parseFrameRateX1000(*typed);
        if (!rate) {
            (void)player.setFileName(QString());
            return fail(rate.error());
        }
        fpsX1000 = int(*rate);
    }

    // The main window's state first: showing the first frame reports its position there, and its
    // preview shows the masks on a frame of the video's size.
    m_app.videoOpen = true;
    if (!m_frameSizeBefore)
        m_frameSizeBefore = m_app.input.frameSize;
    m_app.input.frameSize = QSize(player.width(), player.height());
    if (main) {
        main->applyFrameSize();
        main->setOpenCommandsEnabled(false);
        main->setPreviewHint(m_app.message(core::Msg::MaskColoursLegend));
    }
    auto started = m_viewer.startVideo(fpsX1000);
    if (!started) {
        videoClosed();
        return fail(started.error());
    }
    // The frame counts of a second (the time correction's frames) follow the video's rate.
    followSourceRate(m_app, uint32_t(fpsX1000));
    // The frame-based output formats take the video's rate.
    m_run.subtitlesWindow().setFrameRateText(QString::asprintf("%.3f", fpsX1000 / 1000.0));
    // An ANSI save is named after the video and starts beside it.
    m_run.subtitlesWindow().setSourceFileName(file);
    // Beside the Subtitles window, which stays on top, the viewer must not lie under it.
    core::ui::keepAboveOnTopWindows(m_viewer);
    m_viewer.show();
    m_viewer.raise();
    return true;
}

void VideoCommand::videoClosed()
{
    m_app.videoOpen = false;
    m_run.subtitlesWindow().renderer().setViewerTiming({});
    m_run.subtitlesWindow().setViewerIndexFolder(QString());
    // The preview and the frame-rate boxes of the Output Format dialog follow the input's frame again.
    if (m_frameSizeBefore)
        m_app.input.frameSize = *std::exchange(m_frameSizeBefore, std::nullopt);
    if (ripping::ui::MainWindow *main = m_app.mainWindow()) {
        main->applyFrameSize();
        main->setOpenCommandsEnabled(true);
        main->setPreviewHint(QString());
        main->resetFramePosition();
        // The masks and the area they were cut from were the video's.
        main->clearPreviewPicture();
    }
}

void VideoCommand::showFrame(int pos, int last, bool analysed)
{
    ripping::ui::MainWindow *main = m_app.mainWindow();
    if (!main)
        return;
    main->showFramePosition(pos, last);
    if (analysed)
        main->showSubtitlePicture(sources::ui::maskImage(m_viewer.analysis().mask()), m_viewer.analysis().area(), true);
}

core::TimeCode VideoCommand::timeOfFrame(int frame) const
{
    auto time = m_viewer.player().frameTime(frame, uint32_t(m_viewer.fpsX1000()));
    return time ? *time : core::TimeCode{};
}

subtitles::VideoFrameAtTime VideoCommand::ownClock() const
{
    const sources::AviPlayer &player = m_viewer.player();
    if (!player.ownTimes())
        return {};
    // The player belongs to the viewer, which lives as long as the program.
    return [&player, rate = uint32_t(m_viewer.fpsX1000())](const core::TimeCode &t) {
        return player.frameAtTime(t, rate);
    };
}

void VideoCommand::run()
{
    if (m_running || m_opening || !m_viewer.videoOpen() || m_app.batch.processing)
        return;
    QString saveDir;
    if (m_viewer.saveChecked()) {
        saveDir = sources::videoSaveFolder(m_viewer.videoFileName());
        if (!QDir().mkpath(saveDir)) {
            m_app.prompt().error(m_app.message(core::Msg::Error) + QStringLiteral("\r\n") +
                                 core::makeError(QStringLiteral("Cannot save the recognised pictures"), saveDir,
                                                 QStringLiteral("the folder cannot be created"))
                                     .message());
            return;
        }
    }

    {
        const SourceLoopScope loop(m_app, m_run, *this, picture::ActionMode::VideoFile, m_running);
        m_viewer.setRunning(true);
        m_app.abortSequence = false;
        m_restart = false;
        runFrames(saveDir);
    }
    // A close asked for during the run closes the video now, with the main window's state back.
    m_viewer.setRunning(false);
    m_viewer.stop();
}

void VideoCommand::runFrames(const QString &saveDir)
{
    recognition::RecognitionDriver &driver = m_run.driver();
    subtitles::ui::SubtitlesWindow &subtitlesWindow = m_run.subtitlesWindow();
    recognition::DriverOptions &options = driver.options();
    options.match.imageSequenceMode = false;
    const sources::VideoRunOptions runOptions = m_viewer.runOptions();
    options.addContext.videoOpen = true;
    options.addContext.videoFpsX1000 = uint32_t(m_viewer.fpsX1000());
    options.addContext.skipFirstFrames = runOptions.skipFirst;
    // A repeat is measured in the frames the player shows, not at the file's average rate.
    options.addContext.frameAtTime = ownClock();
    options.saveMask = !saveDir.isEmpty();
    options.maskDir = saveDir;
    // The masks have their one colour: "Same as last" takes the place of "Change text colour".
    options.videoViewer = true;
    m_run.runControl().setSameAsLastHandler([this] { return sameAsLast(); });
    // index.bms lists the subtitles rendered from now on, each with its frames.
    subtitlesWindow.renderer().setViewerTiming({!saveDir.isEmpty(), uint32_t(m_viewer.fpsX1000()), ownClock()});
    if (!saveDir.isEmpty())
        subtitlesWindow.rebuildSubtitleText();
    subtitlesWindow.setViewerIndexFolder(saveDir);

    auto done = sources::runVideo(m_viewer.player(), m_viewer.analysis(), runOptions, m_viewer.position() - 1,
                                  m_run.recognition(), *this);
    subtitlesWindow.followStore();
    if (!done) {
        m_app.prompt().error(m_app.message(core::Msg::Error) + QStringLiteral("\r\n") + done.error().message());
    } else {
        if (done->lastCrop)
            m_cropRect = done->lastCrop;
        // A damaged file: the run went on over the frames it could not see, and the user learns how many.
        if (done->undecodable > 0)
            m_app.prompt().warn(QStringLiteral("%1 frame(s) of the video could not be decoded; the run analysed the "
                                               "frame before each in its place.")
                                    .arg(done->undecodable));
    }
    m_run.runControl().setSameAsLastHandler({});
}

void VideoCommand::frameShown(int pos, const sources::BgrFrame &frame, const sources::FrameAnalysis &)
{
    m_viewer.showRunFrame(pos, frame);
}

bool VideoCommand::pump()
{
    QCoreApplication::processEvents();
    if (m_app.abortSequence || QCoreApplication::closingDown())
        m_viewer.setStopped(true);
    if (m_app.batch.paused && !m_viewer.stopped())
        waitWhilePaused();
    return !m_viewer.stopped();
}

void VideoCommand::waitWhilePaused()
{
    m_viewer.setPrevEnabled(!m_run.subtitlesWindow().store().isEmpty());
    while (m_app.batch.paused && !m_viewer.stopped()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(5);
        if (m_app.abortSequence || QCoreApplication::closingDown())
            m_viewer.setStopped(true);
        m_viewer.setPrevEnabled(!m_run.subtitlesWindow().store().isEmpty());
        // A fill-matrix request: the subtitle is searched again and the assistant opens for it.
        (void)resumeForAssistRequest(m_app, m_run);
    }
    m_viewer.setPrevEnabled(false);
    m_restart = true;
}

bool VideoCommand::takeRestart()
{
    const bool restart = m_restart;
    m_restart = false;
    return restart;
}

void VideoCommand::subtitleFound(int first, int last, const sources::BgrFrame &lastFrame)
{
    m_viewer.raise();
    m_viewer.showFrame(lastFrame);
    if (ripping::ui::MainWindow *main = m_app.mainWindow())
        main->setRunTimes(core::formatTimeCode(timeOfFrame(first)), core::formatTimeCode(timeOfFrame(last)));
    m_run.driver().options().videoViewer = true;
}

void VideoCommand::subtitleDropped()
{
    m_run.driver().options().videoViewer = false;
}

bool VideoCommand::sameAsLast()
{
    // Before the first subtitle there is nothing to continue: the picture is only dropped.
    subtitles::SubtitleStore &store = m_run.subtitlesWindow().store();
    if (store.isEmpty())
        return false;
    store.subs.back().stop = timeOfFrame(m_viewer.position());
    m_run.subtitlesWindow().rebuildSubtitleText();
    return true;
}

void VideoCommand::previous()
{
    subtitles::SubtitleStore &store = m_run.subtitlesWindow().store();
    if (store.isEmpty())
        return;
    auto first = m_viewer.player().frameAtTime(store.last().start, uint32_t(m_viewer.fpsX1000()));
    store.removeLast();
    m_run.subtitlesWindow().rebuildSubtitleText();
    m_viewer.pause();
    if (first)
        m_viewer.setPosition(int(std::clamp<int64_t>(*first, 0, m_viewer.lastFrame())));
}

void VideoCommand::rewindToCurrentPicture()
{
    m_restart = true;
    pauseMainRun(m_app);
}

} // namespace glyfex::app
