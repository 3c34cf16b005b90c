// Drives a command-line job: opens the title set as the input dialog does, presses Start, finishes and saves as the Subtitles window does.
#include "app/command_line_job.h"

#include "app/app.h"
#include "ripping/input_selection.h"
#include "ripping/ui/input_dialog.h"
#include "ripping/ui/main_window.h"
#include "subtitles/subtitle_saver.h"
#include "subtitles/ui/subtitles_window.h"
#include "subtitles/ui/time_correction_dialog.h"
#include "core/save_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <csignal>
#include <cstdio>

namespace glyfex::app {

namespace {

// Nobody watches an unattended run, so it does not wait for the batch timer's 500 ms ticks between
// files: the job ticks the batch driver itself as soon as the event loop is free.
constexpr int kWatchMs = 0;

} // namespace

CommandLineJob::CommandLineJob(App &app, CommandLine line)
    : m_app(app), m_line(std::move(line)), m_prompt([this](const QString &text) {
          // Whatever failed, writing is what a rip does after the title set opened: a picture or the
          // script. The run stops at its next unit instead of failing picture after picture.
          fail(ExitStatus::WriteFailed, text);
      })
{
    m_app.commandLineMode = true;
    m_app.setPrompt(&m_prompt);
    m_watch.setInterval(kWatchMs);
    connect(&m_watch, &QTimer::timeout, this, &CommandLineJob::watchRun);
}

CommandLineJob::~CommandLineJob()
{
    m_app.setPrompt(nullptr);
}

void CommandLineJob::applySettings()
{
    if (ripping::ui::MainWindow *main = m_app.mainWindow())
        main->setShowPictures(false);
    m_app.preview.zoom = 1000;
    m_app.config.options.minSubDuration = 0;
    m_app.batch.pictureBaseName = m_line.outputFile;
    if (m_line.form != CommandLine::Form::Rip)
        return;
    m_app.formatOptions.dropFrame = m_line.dropFrame;
    m_app.formatOptions.minimumInterval = 10;
    m_app.formatOptions.maestroExtended = true;
    // A profile that does not exist leaves the presets at their defaults; a damaged one is said and
    // the defaults stay, as at a normal start.
    core::Result<core::BmpOutPresets> presets = core::loadBmpOutPresets(m_line.profileFile, m_app.presets.current);
    if (presets)
        m_app.presets = *presets;
    else
        m_prompt.warn(presets.error().message());
    m_app.config.main.activePage = m_line.outputFormat;
    if (subtitles::ui::SubtitlesWindow *window = m_app.subtitlesWindow()) {
        window->setCommandLineOutput(m_line.outputFile);
        (void)window->setOutput(subtitles::OutputFormat(m_line.outputFormat), m_app.formatOptions);
    }
    if (ripping::ui::InputDialog *input = m_app.inputDialog()) {
        input->setOpenFolder(QFileInfo(m_line.inputPath).absolutePath());
        input->setAction(picture::ActionMode::SaveBitmaps);
        input->setWithTiming(true);
    }
}

void CommandLineJob::start()
{
    QTimer::singleShot(0, this, &CommandLineJob::begin);
}

void CommandLineJob::begin()
{
    if (m_line.form == CommandLine::Form::StreamList)
        listStreams();
    else
        startRip();
}

bool CommandLineJob::openTitleSet()
{
    // Until Start, an error is about the title set, not about writing.
    CommandLinePrompt opening([this](const QString &text) { fail(ExitStatus::InputMissing, text); });
    m_app.setPrompt(&opening);
    const bool opened = m_app.inputDialog()->openInputFile(m_line.inputPath);
    m_app.setPrompt(&m_prompt);
    if (!opened)
        fail(ExitStatus::InputMissing,
             QStringLiteral("The title set cannot be opened: %1").arg(QDir::toNativeSeparators(m_line.inputPath)));
    return !m_ended;
}

void CommandLineJob::listStreams()
{
    if (!openTitleSet())
        return;
    // UTF-8 (language names may hold any letter), one stream a line, each line ended by LF.
    QByteArray bytes;
    for (const QString &item : m_app.inputDialog()->streamItemTexts())
        bytes += item.toUtf8() + '\n';
    if (auto saved = core::saveFile(m_line.outputFile, bytes, QStringLiteral("Cannot write the stream list")); !saved)
        return fail(ExitStatus::WriteFailed, saved.error().message());
    end(ExitStatus::Done);
}

void CommandLineJob::startRip()
{
    if (!openTitleSet())
        return;
    // The script's frame rate follows the title set: an NTSC disc written with PAL frames would put
    // every subtitle at the wrong time, and the drop-frame argument counts only under NTSC.
    // An HD frame tells no rate and is taken as PAL.
    m_app.formatOptions.frameRateIndex = core::VideoStandard::ntscFrameHeight(m_app.input.frameSize.height()) ? 1 : 0;
    (void)m_app.subtitlesWindow()->setOutput(subtitles::OutputFormat(m_line.outputFormat), m_app.formatOptions);
    ripping::ui::InputDialog *input = m_app.inputDialog();
    const QStringList items = input->streamItemTexts();
    int index = -1;
    for (int i = 0; i < items.size() && index < 0; ++i) {
        if (ripping::streamNumberOfItem(items.at(i)) == m_line.streamNumber)
            index = i;
    }
    if (index < 0)
        return fail(ExitStatus::StreamMissing, QStringLiteral("The title set has no subtitle stream %1: %2")
                                                   .arg(m_line.streamNumber)
                                                   .arg(QDir::toNativeSeparators(m_line.inputPath)));
    input->selectStream(index);
    if (!input->start() || m_app.batch.vobList.isEmpty())
        return fail(ExitStatus::InputMissing, QStringLiteral("The title set names no VOB file to read: %1")
                                                  .arg(QDir::toNativeSeparators(m_line.inputPath)));
    m_watch.start();
}

void CommandLineJob::watchRun()
{
    const ripping::BatchState &batch = m_app.batch;
    if (m_ended || batch.processing)
        return;
    if (!batch.finished()) {
        m_app.mainWindow()->batchTick();
        return;
    }
    m_watch.stop();
    finishRip();
}

void CommandLineJob::finishRip()
{
    if (auto *correction = qobject_cast<subtitles::ui::TimeCorrectionDialog *>(m_app.window(QStringLiteral("Form14"))))
        correction->correctForCommandLine();
    if (m_ended)
        return;
    if (m_app.subtitles.subs.empty())
        return fail(ExitStatus::StreamMissing,
                    QStringLiteral("Subtitle stream %1 holds no picture: nothing was written").arg(m_line.streamNumber));
    subtitles::ui::SubtitlesWindow *window = m_app.subtitlesWindow();
    const QString script = subtitles::commandLineSavePath(m_line.outputFile, window->outputFormat());
    m_saving = true;
    window->saveAs();
    m_saving = false;
    if (m_interrupted) {
        // The signal came while the script was written: the caller was told the job did not finish,
        // so no script of it may stay.
        QFile::remove(script);
        return interrupt(m_interrupted);
    }
    if (m_ended)
        return;
    if (window->isModified())
        return fail(ExitStatus::WriteFailed, QStringLiteral("The subtitles were not saved: %1").arg(QDir::toNativeSeparators(script)));
    end(ExitStatus::Done);
}

void CommandLineJob::interrupt(int signal)
{
    if (m_saving) {
        m_interrupted = signal;
        return;
    }
    const QString name = signal == SIGINT    ? QStringLiteral("SIGINT")
                       : signal == SIGTERM ? QStringLiteral("SIGTERM")
                                           : QStringLiteral("signal %1").arg(signal);
    const QString output = m_line.form == CommandLine::Form::Rip ? QStringLiteral("no picture script")
                                                                 : QStringLiteral("no stream list");
    fail(ExitStatus::Interrupted, QStringLiteral("Stopped by %1 before the job was done: %2 was written").arg(name, output));
}

void CommandLineJob::fail(ExitStatus status, const QString &message)
{
    if (m_ended)
        return;
    std::fprintf(stderr, "glyfex: %s\n", CommandLinePrompt::oneLine(message).toLocal8Bit().constData());
    std::fflush(stderr);
    // A pass still reading stops at its next unit; nothing more is written.
    m_app.batch.paused = true;
    end(status);
}

void CommandLineJob::end(ExitStatus status)
{
    if (m_ended)
        return;
    m_ended = true;
    m_watch.stop();
    QCoreApplication::exit(int(status));
}

} // namespace glyfex::app
