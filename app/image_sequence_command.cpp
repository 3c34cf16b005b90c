// The image-sequence command: the main window's state for a one-colour source, the loop's event pump and pause, and the state put back.
#include "app/image_sequence_command.h"

#include "app/app.h"
#include "app/run_wiring.h"
#include "app/source_loop.h"
#include "core/time_code.h"
#include "recognition/recognition_driver.h"
#include "ripping/ui/main_window.h"
#include "sources/image_seq_script.h"
#include "subtitles/ui/subtitles_window.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QThread>

#include <algorithm>

namespace glyfex::app {

ImageSequenceCommand::ImageSequenceCommand(App &app, RunWiring &run) : QObject(nullptr), m_app(app), m_run(run)
{
    if (ripping::ui::MainWindow *main = m_app.mainWindow()) {
        QAction *action = main->imageSequenceAction();
        action->setEnabled(true);
        connect(action, &QAction::triggered, this, &ImageSequenceCommand::open);
    }
}

void ImageSequenceCommand::open()
{
    // One loop at a time: a DVD pass pumps events too, and both would use the one recognition.
    if (m_running || m_app.batch.processing)
        return;
    m_app.abortSequence = true;
    const QString backImage = m_app.preview.backImageName;
    const QString start = m_app.dialogFolder(backImage.isEmpty() ? QString() : QFileInfo(backImage).absolutePath());
    const QString chosen = m_app.files().openFile(
        m_app.mainWindow(), QStringLiteral("Open Image Sequence"), start,
        QStringLiteral("Image sequence script (*.txt)|*.txt|Bitmaps (*.bmp)|*.bmp"), 1);
    if (chosen.isEmpty())
        return;
    m_app.preview.backImageName = chosen;
    runFile(chosen);
}

void ImageSequenceCommand::runFile(const QString &chosenFile)
{
    if (m_running || !endUnfinishedRun(m_app, m_run))
        return;
    ripping::ui::MainWindow *main = m_app.mainWindow();
    recognition::RecognitionDriver &driver = m_run.driver();
    {
        const SourceLoopScope loop(m_app, m_run, *this, picture::ActionMode::ImageSequence, m_running);
        if (main)
            main->imageSequenceAction()->setEnabled(false);
        m_rewind = false;
        driver.options().match.imageSequenceMode = true;
        runPlan(chosenFile);
    }
    if (main)
        main->imageSequenceAction()->setEnabled(true);
    Q_EMIT ended();
}

void ImageSequenceCommand::runPlan(const QString &chosenFile)
{
    auto plan = sources::planSequence(chosenFile);
    if (!plan) {
        m_app.prompt().error(m_app.message(core::Msg::Error) + QStringLiteral("\r\n") + plan.error().message());
    } else {
        if (plan->frameRateText) {
            m_app.formatOptions.frameRateText = *plan->frameRateText;
            m_run.subtitlesWindow().setFrameRateText(*plan->frameRateText);
        }
        const uint32_t fpsX1000 = sources::sequenceFrameRateX1000(m_app.formatOptions.frameRateText);
        // The sequence's frames are the video's from now on.
        followSourceRate(m_app, fpsX1000);
        m_app.abortSequence = false;
        auto done = sources::runSequence(*plan, fpsX1000, m_run.recognition(), *this);
        m_run.subtitlesWindow().followStore();
        if (!done)
            m_app.prompt().error(m_app.message(core::Msg::Error) + QStringLiteral("\r\n") + done.error().message());
    }
}

bool ImageSequenceCommand::pump()
{
    QCoreApplication::processEvents();
    while (m_app.batch.paused && !m_app.abortSequence) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(5);
        // Fill matrix: the picture is read again, the assistant opening for it first.
        (void)resumeForAssistRequest(m_app, m_run);
    }
    return !m_app.abortSequence;
}

bool ImageSequenceCommand::takeRewind()
{
    const bool rewind = m_rewind;
    m_rewind = false;
    return rewind;
}

void ImageSequenceCommand::showEntry(const QString &entry, int index, int count)
{
    if (ripping::ui::MainWindow *main = m_app.mainWindow()) {
        main->showSourceName(QDir::toNativeSeparators(entry));
        main->showReadProgress(index, count);
    }
}

void ImageSequenceCommand::rewindToCurrentPicture()
{
    m_rewind = true;
    pauseMainRun(m_app);
}

} // namespace glyfex::app
