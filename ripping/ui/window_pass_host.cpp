// The windows as the reading pass's host: progress and counters, questions, pictures and the Progression Controller.
#include "ripping/ui/window_pass_host.h"

#include "app/app.h"
#include "core/time_code.h"
#include "ripping/ui/input_dialog.h"
#include "ripping/ui/main_window.h"
#include "ripping/ui/picture_image.h"
#include "ripping/ui/progress_controller.h"
#include "ripping/vob_source_run.h"
#include "subtitles/ui/bitmap_adjust_dialog.h"
#include "subtitles/ui/subtitles_window.h"

#include <QCoreApplication>
#include <QImage>

#include <algorithm>
#include <cstring>

namespace glyfex::ripping::ui {

namespace {

QImage exportedImage(const picture::ExportedPicture &p)
{
    if (p.width <= 0 || p.height <= 0 || p.pixels.size() < size_t(p.width) * size_t(p.height))
        return {};
    QImage image(p.width, p.height, QImage::Format_Indexed8);
    QList<QRgb> table(256, qRgb(0, 0, 0));
    for (size_t i = 0; i < p.palette.size() && i < 256; ++i)
        table[int(i)] = colourOfBgr(p.palette[i]).rgb();
    image.setColorTable(table);
    for (int y = 0; y < p.height; ++y)
        std::memcpy(image.scanLine(y), p.pixels.data() + size_t(y) * size_t(p.width), size_t(p.width));
    return image;
}

} // namespace

WindowPassHost::WindowPassHost(app::App &app, DispatchOptions &options) : m_app(app), m_options(options) {}

void WindowPassHost::showCounts()
{
    if (MainWindow *main = m_app.mainWindow()) {
        const BatchState &batch = m_app.batch;
        main->setSubpictureCounts(int(batch.spuCount), int(batch.spuCountTotal));
        main->setChapterCount(batch.clock.cellCount);
        const ClockState &clock = batch.clock;
        QString cellTime;
        if (core::Result<core::TimeCode> ms = core::framesToMilliseconds(clock.runningTime, clock.standard))
            cellTime = core::formatTimeCode(*ms);
        const core::TimeCode clockTime =
            core::addTimeCodes(clock.timeBase, core::millisecondsToTimeCode(core::ptsToMilliseconds(clock.curScr)));
        main->setRunTimes(cellTime, core::formatTimeCode(clockTime));
    }
}

void WindowPassHost::progress(int64_t done, int64_t total)
{
    if (MainWindow *main = m_app.mainWindow())
        main->showRunPercent(main->showReadProgress(done, total));
    showCounts();
}

core::PumpResult WindowPassHost::pump()
{
    // Pause, the menus and closing act here; the pass sees the pause in the run's state.
    QCoreApplication::processEvents();
    return core::PumpResult::Continue;
}

core::Answer WindowPassHost::askBadPack(int64_t sectorNumber)
{
    return m_app.prompt().ask(m_app.message(core::Msg::BadPacketHeaderAtLba) + QStringLiteral(" %1\r").arg(sectorNumber)
                              + m_app.message(core::Msg::DoYouWantToContinue));
}

void WindowPassHost::videoStandardChanged(const core::VideoStandard &, int width, int height)
{
    m_app.input.frameSize = QSize(width, height);
    if (InputDialog *input = m_app.inputDialog())
        input->applyFrameSize();
}

void WindowPassHost::warn(const QString &text)
{
    m_app.prompt().warn(text);
}

bool WindowPassHost::adjustBeforeExport()
{
    auto *adjust = qobject_cast<subtitles::ui::BitmapAdjustDialog *>(m_app.window(QStringLiteral("Form18")));
    if (!adjust || !adjust->session().showBeforeNext())
        return true;
    // The command line shows no dialog: the preset of the output format simply becomes current.
    bool save = true;
    if (m_app.commandLineMode)
        adjust->session().runUnattended(subtitles::OutputFormat(m_app.config.main.activePage));
    else
        save = adjust->adjustPicture();
    // The dialog makes the format its preset's: this picture is named and listed for that script already.
    if (subtitles::ui::SubtitlesWindow *subtitles = m_app.subtitlesWindow())
        m_options.outputFormat = subtitles->outputFormat();
    return save;
}

void WindowPassHost::showPicture(const picture::DecodedPicture &picture, const picture::ExportedPicture *exported)
{
    MainWindow *main = m_app.mainWindow();
    if (!main)
        return;
    showCounts();
    if (exported) {
        const subtitles::ExportSettings &settings = m_app.exportEngine().settings;
        if (!settings.scalesSource()) {
            main->showSubtitlePicture(exportedImage(*exported), exported->rect, true);
            return;
        }
        // An HD source's bitmap lies on the DVD frame it was scaled onto; the preview shows the
        // source's frame, so the bitmap is shown there as large as the frame makes it.
        const double sx = settings.sourceWidth > subtitles::kExportFrameWidth
                              ? double(settings.sourceWidth) / subtitles::kExportFrameWidth
                              : 1.0;
        const double sy = settings.sourceHeight > settings.frameRows() ? double(settings.sourceHeight) / settings.frameRows() : 1.0;
        const picture::Rect &r = exported->rect;
        const int left = int(r.left * sx);
        const int top = int(r.top * sy);
        const int right = std::max(left, int((r.right + 1) * sx) - 1);
        const int bottom = std::max(top, int((r.bottom + 1) * sy) - 1);
        const QImage image = exportedImage(*exported).scaled(right - left + 1, bottom - top + 1);
        main->showSubtitlePicture(image, {left, top, right, bottom}, true);
        return;
    }
    main->showSubtitlePicture(codePictureImage(picture.codes, picture.colourMap, picture.contrastMap, m_app.input.palette,
                                               m_app.preview.innerColour),
                              picture.first().area(), true);
}

void WindowPassHost::unitCounted()
{
    if (MainWindow *main = m_app.mainWindow())
        main->setSubpictureCounts(int(m_app.batch.spuCount), int(m_app.batch.spuCountTotal));
}

void WindowPassHost::skippedCounted()
{
    if (subtitles::ui::SubtitlesWindow *subtitles = m_app.subtitlesWindow())
        subtitles->showSkippedCount(m_app.batch.skippedCount);
}

StepChoice WindowPassHost::askStep()
{
    ProgressController *controller = m_app.progressController();
    if (!controller || controller->noStop())
        return StepChoice::Next;
    const int answer = controller->ask();
    BatchState &batch = m_app.batch;
    if (answer == ProgressController::Paused) {
        // The picture comes back after Continue: the pass resumes at the unit's first sector, and the
        // unit is not counted twice.
        rewindToUnitStart(batch);
    }
    m_options.pictureBase = batch.pictureBaseName; // the first save may just have named it
    switch (answer) {
    case ProgressController::SaveBitmap: return StepChoice::SaveBitmap;
    case ProgressController::SaveRaw: return StepChoice::SaveRawSubpicture;
    default: return StepChoice::Next;
    }
}

} // namespace glyfex::ripping::ui
