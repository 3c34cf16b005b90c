// The reading pass driven from the windows: progress and counters, questions, pictures and the controller.
#include "ripping/ui/run_driver.h"

#include "core/time_code.h"
#include "ripping/ui/app.h"
#include "ripping/ui/input_dialog.h"
#include "ripping/ui/main_window.h"
#include "ripping/ui/picture_image.h"
#include "ripping/ui/progress_controller.h"

#include <QCoreApplication>
#include <QImage>

#include <cstring>

namespace glyfex::ripping::ui {

namespace {

SpuAction spuActionOf(ActionMode mode)
{
    switch (mode) {
    case ActionMode::SaveBitmaps: return SpuAction::SaveBitmaps;
    case ActionMode::SaveRawSubpictures: return SpuAction::SaveRawSubpictures;
    case ActionMode::OnlyShow: return SpuAction::OnlyShow;
    default: return SpuAction::Recognise;
    }
}

QImage exportedImage(const ExportedPicture &p)
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

RunDriver::RunDriver(App &app) : m_app(app) {}

RunDriver::~RunDriver() = default;

void RunDriver::readOptions()
{
    const BatchState &batch = m_app.batch;
    m_options.action = spuActionOf(batch.actionMode);
    m_options.withTiming = batch.withTiming;
    m_options.forcedOnly = m_app.config.options.forcedSubsOnly;
    m_options.minDurationMs = m_app.config.options.minSubDuration;
    m_options.showPictures = m_app.mainWindow() && m_app.mainWindow()->showPictures();
    m_options.pictureBase = batch.pictureBaseName;
    m_options.outputFormat = m_app.config.main.activePage;
    m_options.dvdPalette = m_app.input.palette;
}

void RunDriver::startRun()
{
    m_dispatcher.reset();
}

void RunDriver::readFile(const QString &)
{
    BatchState &batch = m_app.batch;
    readOptions();
    subtitles::ExportBitmapEngine &exporter = m_app.exportEngine();
    if (!m_dispatcher)
        m_dispatcher = std::make_unique<SpuDispatcher>(m_options, batch, m_app.subtitleSink, m_recognised, exporter, *this);
    VobPass pass(batch, *this, *m_dispatcher);
    const PassOutcome outcome = pass.readCurrentFile();
    showCounts();
    if (outcome.error)
        m_app.prompt().error(m_app.message(core::Msg::Error) + QStringLiteral("\r\n") + outcome.error->message());
    if (outcome.runFinished) {
        closeLastSubtitle(m_app.subtitleSink, m_app.config.options.maxTmpDuration);
        if (const int overlapping = m_app.subtitleSink.overlappingTimes(); overlapping > 0 && !m_app.commandLineMode)
            m_app.prompt().warn(m_app.message(core::Msg::Warning) + QStringLiteral("\r\n")
                                + m_app.message(core::Msg::TimeCodesOverlapping) + QStringLiteral(" %1x").arg(overlapping));
    }
}

void RunDriver::showCounts()
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

void RunDriver::progress(int64_t done, int64_t total)
{
    if (MainWindow *main = m_app.mainWindow())
        main->showReadProgress(done, total);
    showCounts();
}

core::PumpResult RunDriver::pump()
{
    // Pause, the menus and closing act here; the pass sees the pause in the run's state.
    QCoreApplication::processEvents();
    return core::PumpResult::Continue;
}

core::Answer RunDriver::askBadPack(int64_t sectorNumber)
{
    return m_app.prompt().ask(m_app.message(core::Msg::BadPacketHeaderAtLba) + QStringLiteral(" %1\r").arg(sectorNumber)
                              + m_app.message(core::Msg::DoYouWantToContinue));
}

void RunDriver::videoStandardChanged(const core::VideoStandard &, int width, int height)
{
    m_app.input.frameSize = QSize(width, height);
    if (InputDialog *input = m_app.inputDialog())
        input->applyFrameSize();
}

void RunDriver::warn(const QString &text)
{
    m_app.prompt().warn(text);
}

void RunDriver::showPicture(const DecodedPicture &picture, const ExportedPicture *exported)
{
    MainWindow *main = m_app.mainWindow();
    if (!main)
        return;
    showCounts();
    if (exported) {
        main->showSubtitlePicture(exportedImage(*exported),
                                  {exported->rect.left, exported->rect.top, exported->rect.right, exported->rect.bottom},
                                  true);
        return;
    }
    const SpuControlSequence &first = picture.first();
    main->showSubtitlePicture(codePictureImage(picture.codes, picture.colourMap, picture.contrastMap, m_app.input.palette,
                                               m_app.preview.innerColour),
                              {first.x1, first.y1, first.x2, first.y2}, true);
}

StepChoice RunDriver::askStep()
{
    ProgressController *controller = m_app.progressController();
    if (!controller || controller->noStop())
        return StepChoice::Next;
    const int answer = controller->ask();
    BatchState &batch = m_app.batch;
    if (answer == ProgressController::Paused) {
        // The picture comes back after Continue: the pass resumes at the unit's first sector, and the
        // unit is not counted twice.
        batch.resumePos = batch.spuSectorPos;
        reloadMapForResume(batch);
        if (batch.spuCount > 0)
            --batch.spuCount;
        if (batch.spuCountTotal > 0)
            --batch.spuCountTotal;
    }
    m_options.pictureBase = batch.pictureBaseName; // the first save may just have named it
    switch (answer) {
    case ProgressController::SaveBitmap: return StepChoice::SaveBitmap;
    case ProgressController::SaveRaw: return StepChoice::SaveRawSubpicture;
    default: return StepChoice::Next;
    }
}

} // namespace glyfex::ripping::ui
