// The run through the windows: Start arms the reading pass, each unit goes through dispatch and recognition into the Subtitles window.
#include "subtitles/ui/run_wiring.h"

#include "core/config.h"
#include "core/messages.h"
#include "core/text_codec.h"
#include "recognition/recognition_driver.h"
#include "recognition/store_subtitle_sink.h"
#include "recognition/ui/matrix_commands.h"
#include "recognition/ui/new_character_dialog.h"
#include "ripping/ui/app.h"
#include "ripping/ui/input_dialog.h"
#include "ripping/ui/main_window.h"
#include "ripping/ui/picture_image.h"
#include "ripping/ui/progress_controller.h"
#include "ripping/vob_pass.h"
#include "ripping/vobsub_index.h"
#include "subtitles/ui/subtitles_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QImage>

#include <algorithm>

namespace glyfex::subtitles::ui {

namespace {


bool showPicturesTicked(ripping::ui::App &app)
{
    QWidget *main = app.mainWindow();
    auto *box = main ? main->findChild<QCheckBox *>(QStringLiteral("CheckBoxShowSubPict")) : nullptr;
    return box && box->isChecked();
}

} // namespace

// The reading pass's questions and progress, answered by the main window and the prompt.
class RunWiring::PassHost : public ripping::VobPassHost {
public:
    PassHost(ripping::ui::App &app, ripping::RunState &run) : m_app(app), m_run(run) {}

    void progress(int64_t done, int64_t total) override
    {
        if (ripping::ui::MainWindow *main = m_app.mainWindow())
            main->showReadProgress(done, total);
    }
    core::PumpResult pump() override
    {
        QCoreApplication::processEvents();
        // The main window's Pause button changes the batch; the pass leaves at the next unit.
        if (m_app.batch.paused && !m_run.paused) {
            m_run.paused = true;
            m_run.pausedByMainButton = m_app.batch.pausedByMainButton;
        }
        return core::PumpResult::Continue;
    }
    core::Answer askBadPack(int64_t sectorNumber) override
    {
        return m_app.prompt().ask(m_app.message(core::Msg::BadPacketHeaderAtLba) + QLatin1Char(' ') +
                                  QString::number(sectorNumber) + QLatin1Char('\r') +
                                  m_app.message(core::Msg::DoYouWantToContinue));
    }
    void videoStandardChanged(const core::VideoStandard &, int width, int height) override
    {
        m_app.input.frameSize = QSize(width, height);
        if (ripping::ui::MainWindow *main = m_app.mainWindow())
            main->applyFrameSize();
    }
    void warn(const QString &text) override { m_app.prompt().warn(text); }

private:
    ripping::ui::App &m_app;
    ripping::RunState &m_run;
};

// The preview and the step question of the only-show action.
class RunWiring::Dispatch : public ripping::DispatchHost {
public:
    Dispatch(ripping::ui::App &app) : m_app(app) {}

    void showPicture(const ripping::DecodedPicture &picture, const ripping::ExportedPicture *) override
    {
        ripping::ui::MainWindow *main = m_app.mainWindow();
        if (!main)
            return;
        const QImage image = ripping::ui::codePictureImage(picture.codes, picture.colourMap, picture.contrastMap,
                                                           m_app.input.palette, m_app.preview.innerColor);
        const ripping::SpuControlSequence &area = picture.first();
        main->showSubtitlePicture(image, ripping::PictureRect{area.x1, area.y1, area.x2, area.y2}, true);
    }
    ripping::StepChoice askStep() override
    {
        ripping::ui::ProgressController *controller = m_app.progressController();
        if (!controller || controller->noStop())
            return ripping::StepChoice::Next;
        switch (controller->ask()) {
        case ripping::ui::ProgressController::SaveBitmap:
            return ripping::StepChoice::SaveBitmap;
        case ripping::ui::ProgressController::SaveRaw:
            return ripping::StepChoice::SaveRawSubpicture;
        case ripping::ui::ProgressController::NoStop:
            controller->setNoStop(true);
            return ripping::StepChoice::Next;
        case ripping::ui::ProgressController::Paused:
            if (!m_app.batch.paused && m_app.mainWindow())
                m_app.mainWindow()->togglePause(nullptr);
            return ripping::StepChoice::Next;
        default:
            return ripping::StepChoice::Next;
        }
    }
    void warn(const QString &text) override { m_app.prompt().warn(text); }

private:
    ripping::ui::App &m_app;
};

// The store as dispatch sees it, with the Subtitles window following every change.
class RunWiring::Subtitles : public ripping::SubtitleSink {
public:
    Subtitles(SubtitlesWindow &window, SkippedItemAsker &asker)
        : m_window(window), m_sink(window.store(), asker)
    {
    }
    int count() const override { return m_sink.count(); }
    core::TimeCode lastStart() const override { return m_sink.lastStart(); }
    core::TimeCode lastStop() const override { return m_sink.lastStop(); }
    void setLastStop(const core::TimeCode &stop) override
    {
        if (m_window.store().isEmpty())
            return;
        // The open subtitle was listed without its stop: list it again with it.
        m_window.removeLastSubtitleLines();
        m_sink.setLastStop(stop);
        m_window.renderSubtitle(m_window.store().count());
    }
    core::Result<void> addPictureSubtitle(const QString &line, const ripping::SpuTimes &times,
                                          const ripping::ScreenRect &rect, uint16_t colourWord,
                                          uint16_t contrastWord) override
    {
        const int before = m_window.store().count();
        auto added = m_sink.addPictureSubtitle(line, times, rect, colourWord, contrastWord);
        if (m_window.store().count() > before)
            m_window.renderSubtitle(m_window.store().count());
        else
            m_window.rebuildSubtitleText();
        return added;
    }

private:
    SubtitlesWindow &m_window;
    recognition::StoreSubtitleSink m_sink;
};

// Recognition of each picture, then the Subtitles window and the counters follow the store.
class RunWiring::Recognition : public ripping::PictureSink {
public:
    Recognition(recognition::RecognitionDriver &driver, SubtitlesWindow &window) : m_driver(driver), m_window(window) {}

    core::Result<void> recognise(const ripping::DecodedPicture &picture, const ripping::SpuTimes &times,
                                 const ripping::ScreenRect &area) override
    {
        auto done = m_driver.recognise(picture, times, area);
        switch (m_driver.lastOutcome().end) {
        case recognition::PictureOutcome::End::Added:
            m_window.subtitleAdded(AddReport{AddReport::Outcome::Added, m_window.store().count(), {}});
            break;
        case recognition::PictureOutcome::End::Merged:
            m_window.subtitleAdded(AddReport{AddReport::Outcome::Merged, m_window.store().count(), {}});
            break;
        default:
            break;
        }
        return done;
    }

private:
    recognition::RecognitionDriver &m_driver;
    SubtitlesWindow &m_window;
};

// Forwards the glyph question to whoever answers it now; without anyone the run pauses.
class RunWiring::Asker : public recognition::GlyphAsker {
public:
    Asker(RunWiring &wiring) : m_wiring(wiring) {}
    recognition::GlyphAnswer askGlyph(const recognition::GlyphQuestion &question) override
    {
        if (recognition::GlyphAsker *asker = m_wiring.glyphAsker())
            return asker->askGlyph(question);
        m_wiring.runControl().pauseAndRewind();
        return recognition::GlyphAnswer{};
    }

private:
    RunWiring &m_wiring;
};

// Pictures without recognised text until the OCR assistant can be asked: they keep their placeholder.
class RunWiring::SkippedItems : public SkippedItemAsker {
public:
    Answer askSkippedItem() override { return {}; }
};

RunWiring::RunWiring(ripping::ui::App &app) : m_app(app)
{
    m_subtitles = qobject_cast<SubtitlesWindow *>(app.subtitlesWindow());
    Q_ASSERT(m_subtitles);
    m_runControl = std::make_unique<recognition::MainRunControl>(&m_run, m_assist, m_matrix, app.prompt());
    m_matrixCommands = std::make_unique<recognition::ui::MatrixCommands>(
        app, m_matrix, [this] { return m_subtitles->codePage(); });
    m_matrixCommands->attach();
    // A matrix found by the search replaces this one only after the save question.
    m_runControl->setMatrixSaver([this](recognition::CharMatrix &) -> core::Result<void> {
        if (!m_matrixCommands->save())
            return core::makeError(QStringLiteral("Character matrix not saved"), m_matrix.fileName(), QString());
        return {};
    });
    m_runControl->setAdoptedHandler([this] { m_matrixCommands->showMatrixName(); });

    m_passHost = std::make_unique<PassHost>(app, m_run);
    m_dispatchHost = std::make_unique<Dispatch>(app);
    m_skipped = std::make_unique<SkippedItems>();
    m_subtitleSink = std::make_unique<Subtitles>(*m_subtitles, *m_skipped);
    m_forwardingAsker = std::make_unique<Asker>(*this);
    recognition::DriverEnvironment env{m_matrix, m_subtitles->store(), *m_skipped, *m_forwardingAsker,
                                       m_assist, app.prompt()};
    env.run = &m_run;
    env.messages = &app.messages;
    env.showPicture = [this](const recognition::GlyphQuestion &shown) {
        if (showPicturesTicked(m_app))
            showCodePicture(shown.shown, shown.palette);
    };
    m_driver = std::make_unique<recognition::RecognitionDriver>(env, recognition::DriverOptions{});
    m_recognition = std::make_unique<Recognition>(*m_driver, *m_subtitles);

    recognition::ui::NewCharacterSetup setup;
    setup.matrixFolder = app.paths.chMatrixDir();
    setup.charMapFile = app.paths.findDataFile(QStringLiteral("CharMap.ini"));
    setup.charMapWriteFile = QDir(app.paths.writableDataDir()).filePath(QStringLiteral("CharMap.ini"));
    if (setup.charMapFile.isEmpty())
        setup.charMapFile = setup.charMapWriteFile;
    setup.match = m_driver->options().match;
    setup.codePage = core::TextCodec::resolve(m_subtitles->codePage());
    setup.messages = &app.messages;
    setup.languageName = QStringLiteral("English");
    m_newCharacter = new recognition::ui::NewCharacterDialog(*m_runControl, app.prompt(), setup, app.mainWindow());
    app.adoptWindow(m_newCharacter); // in Form2's place, so settings and languages reach it
    m_newCharacter->setResumeRun([this] {
        if (m_app.batch.paused && m_app.mainWindow())
            m_app.mainWindow()->togglePause(nullptr);
    });
    m_subtitles->setLanguageText([this]() -> QString {
        auto *box = m_newCharacter ? m_newCharacter->findChild<QComboBox *>(QStringLiteral("ComboBoxCharLoc")) : nullptr;
        return box ? box->currentText() : QString();
    });

    app.startCommitted = [this](const ripping::StartRequest &request) { startCommitted(request); };
    app.readFile = [this](const QString &path) { readFile(path); };
    app.clearSubtitles = [this] { m_subtitles->clearSubtitles(); };
    app.resetTimeContinuation = [this] {
        m_run.clock = ripping::ClockState{};
        if (m_app.inputDialog())
            m_run.clock.startTime = m_app.inputDialog()->lastTimeCode();
    };
    app.startTimeEdited = [this] {
        if (m_app.inputDialog())
            m_run.clock.startTime = m_app.inputDialog()->lastTimeCode();
        m_run.clock.firstPack = true;
    };
    if (QWidget *main = app.mainWindow())
        main->installEventFilter(this);
}

RunWiring::~RunWiring()
{
    // The dialog belongs to the application now; it must not answer for this run any more.
    if (m_newCharacter)
        m_newCharacter->hide();
    m_app.startCommitted = nullptr;
    m_app.readFile = nullptr;
    m_app.clearSubtitles = nullptr;
    m_app.resetTimeContinuation = nullptr;
    m_app.startTimeEdited = nullptr;
}

recognition::ui::NewCharacterDialog *RunWiring::newCharacterDialog() const
{
    return m_newCharacter.data();
}

recognition::GlyphAsker *RunWiring::glyphAsker() const
{
    if (m_asker)
        return m_asker;
    return m_newCharacter.data();
}

recognition::DriverOptions &RunWiring::driverOptions()
{
    return m_driver->options();
}

void RunWiring::startCommitted(const ripping::StartRequest &request)
{
    // The batch was armed by the input dialog: the pass state follows it; clock and cell times carry over.
    const ripping::BatchState &batch = m_app.batch;
    m_run.vobList = batch.vobList;
    m_run.vobSizes = batch.vobSizes;
    m_run.totalBytes = batch.totalBytes;
    m_run.streamId = batch.streamId;
    m_run.avoidTimeRestart = batch.avoidTimeRestart;
    m_run.idxFileName = request.idxFileName;
    m_run.vobSubUnits.clear();
    for (size_t i = 0; i < request.vobSubTimes.size() && i < request.vobSubFilePos.size(); ++i) {
        const core::TimeCode &t = request.vobSubTimes[i];
        const int64_t ms = ((int64_t(t.hour) * 60 + t.minute) * 60 + t.second) * 1000 + t.fraction;
        m_run.vobSubUnits.push_back(ripping::VobSubUnit{t, ms, request.vobSubFilePos[i]});
    }
    const core::GlobalOptions &options = m_app.config.options;
    m_run.useMap = options.buildMap;
    m_run.useIndexOffsets = options.useFileOffsets && m_run.vobSubMode();
    m_run.currentFile = batch.currentFile;
    m_run.resumePos = batch.resumePos;
    m_run.spuSectorPos = 0;
    m_run.spuCount = 0;
    m_run.spuCountTotal = 0;
    m_run.lastProgressPos = 0;
    m_run.ignoreBadPackets = batch.ignoreBadPackets;
    m_run.paused = false;
    m_run.stopped = false;
    m_run.vobSubTimesWarned = false;
    m_run.skippedCount = 0;
    m_run.picturesSaved = 0;
    m_run.map = ripping::SubtitleMap{};
    m_run.mapUse = ripping::MapUse::Undecided;
    m_run.clock.frameStep = 0;
    if (m_app.input.frameSize.isValid()) {
        m_run.frameWidth = m_app.input.frameSize.width();
        m_run.frameHeight = m_app.input.frameSize.height();
    }

    m_dispatchOptions.action = batch.actionMode == ripping::ActionMode::SaveBitmaps     ? ripping::SpuAction::SaveBitmaps
                               : batch.actionMode == ripping::ActionMode::SaveRawSubpictures ? ripping::SpuAction::SaveRawSubpictures
                               : batch.actionMode == ripping::ActionMode::OnlyShow   ? ripping::SpuAction::OnlyShow
                                                                                      : ripping::SpuAction::Recognise;
    m_dispatchOptions.withTiming = batch.withTiming;
    m_dispatchOptions.minDurationMs = std::clamp(options.minSubDuration, 0, core::GlobalOptions::MinSubDurationMax);
    m_dispatchOptions.forcedOnly = options.forcedSubsOnly;
    m_maxDurationMs = std::clamp(options.maxTmpDuration, int(core::GlobalOptions::MaxTmpLowest),
                                 int(core::GlobalOptions::MaxTmpHighest));
    // The recognition tuning of Advanced OCR Setup, as the configuration holds it.
    const core::Config::Ocr &ocr = m_app.config.ocr;
    recognition::OcrSettings &tuning = m_driver->options().match.settings;
    tuning.minLineHeight = uint8_t(std::clamp(ocr.minLineHeight, 0, 255));
    tuning.maxLineHeight = uint8_t(std::clamp(ocr.maxLineHeight, 0, 255));
    tuning.minInterLine = uint8_t(std::clamp(ocr.minInterLine, 0, 255));
    tuning.minCharWidth = uint8_t(std::clamp(ocr.minCharWidth, 0, 255));
    tuning.minCharHeight = uint8_t(std::clamp(ocr.minCharHeight, 0, 255));
    tuning.spaceWidth = ocr.spaceWidth;
    tuning.checkDetachedChar = ocr.checkDetachedChar;
    tuning.sensibility = uint16_t(std::clamp(ocr.sensibility, 0, 1000));
    tuning.maxCharDiffWidth = uint8_t(std::clamp(ocr.maxCharDiffWidth, 0, 255));
    tuning.maxCharDiffHeight = uint8_t(std::clamp(ocr.maxCharDiffHeight, 0, 255));
    tuning.maxCharDiffTop = uint8_t(std::clamp(ocr.maxCharDiffTop, 0, 255));
    m_driver->options().rightToLeft = options.rightToLeft;
    m_driver->options().match.charset = m_subtitles->textCharset();
    m_dispatchOptions.showPictures = showPicturesTicked(m_app);
    m_dispatchOptions.pictureBase = batch.pictureBaseName;
    m_dispatchOptions.outputFormat = int(m_subtitles->outputFormat());
    m_dispatchOptions.dvdPalette = m_app.input.palette;
    m_driver->options().dvdPalette = m_app.input.palette;
    if (!m_run.vobList.isEmpty())
        m_subtitles->setSourceFileName(m_run.vobList.constFirst());
}

void RunWiring::readFile(const QString &)
{
    ripping::BatchState &batch = m_app.batch;
    m_run.currentFile = batch.currentFile;
    m_run.resumePos = batch.resumePos;
    m_run.paused = false;
    m_run.pausedByMainButton = false;
    m_dispatchOptions.showPictures = showPicturesTicked(m_app);

    ripping::SpuDispatcher dispatcher(m_dispatchOptions, m_run, *m_subtitleSink, *m_recognition, m_exporter,
                                      *m_dispatchHost);
    ripping::VobPass pass(m_run, *m_passHost, dispatcher);
    const ripping::PassOutcome outcome = pass.readCurrentFile();

    batch.currentFile = m_run.currentFile;
    batch.resumePos = m_run.resumePos;
    batch.skippedCount = m_run.skippedCount;
    m_subtitles->showSkippedCount(m_run.skippedCount);
    batch.ignoreBadPackets = m_run.ignoreBadPackets;
    if (ripping::ui::MainWindow *main = m_app.mainWindow())
        main->setSubpictureCounts(int(m_run.spuCount), int(m_run.spuCountTotal));

    if (outcome.end == ripping::PassEnd::Failed) {
        // The run cannot go on: say why and leave it finished.
        if (outcome.error)
            m_app.prompt().error(m_app.message(core::Msg::Error) + QStringLiteral("\r\n") + outcome.error->message());
        batch.currentFile = int(batch.vobList.size());
    }
    if (outcome.end == ripping::PassEnd::Paused && !batch.paused) {
        // A question paused the run (Pause in the New Character(s) dialog): the button shows it.
        if (ripping::ui::MainWindow *main = m_app.mainWindow())
            main->togglePause(nullptr);
    }
    if (m_runControl->takeAutomaticResume() && batch.paused) {
        // A colour change or a fill-matrix request paused only to read the picture again.
        if (ripping::ui::MainWindow *main = m_app.mainWindow())
            main->togglePause(nullptr);
    }
    if (outcome.runFinished)
        closeLastSubtitle();
}

void RunWiring::closeLastSubtitle()
{
    ripping::closeLastSubtitle(*m_subtitleSink, m_maxDurationMs);
}

void RunWiring::showCodePicture(const ripping::CodeImage &codes, const std::array<uint32_t, 256> &palette)
{
    ripping::ui::MainWindow *main = m_app.mainWindow();
    if (!main || codes.width <= 0 || codes.height <= 0)
        return;
    QImage image(codes.width, codes.height, QImage::Format_Indexed8);
    QList<QRgb> table;
    for (uint32_t rgb : palette)
        table.append(qRgb(int((rgb >> 16) & 0xFF), int((rgb >> 8) & 0xFF), int(rgb & 0xFF)));
    image.setColorTable(table);
    for (int y = 0; y < codes.height; ++y)
        std::copy_n(codes.row(y), codes.width, image.scanLine(y));
    main->showSubtitlePicture(image, ripping::PictureRect{}, true);
}

void RunWiring::applySettings()
{
    const core::Config::Main &main = m_app.config.main;
    if (isValidOutputFormat(main.activePage))
        (void)m_subtitles->setOutputFormat(OutputFormat(main.activePage));
    if (!main.openDialogCharMatrix.isEmpty())
        m_matrixCommands->setFolder(main.openDialogCharMatrix);
    m_subtitles->setDialogFolders(main.openDialogGlyfexText, main.saveDialogText);
}

void RunWiring::collectSettings()
{
    core::Config::Main &main = m_app.config.main;
    main.activePage = int(m_subtitles->outputFormat());
    main.openDialogCharMatrix = m_matrixCommands->folder();
    main.saveDialogCharMatrix = m_matrixCommands->folder();
    main.openDialogGlyfexText = m_subtitles->openFolder();
    main.saveDialogText = m_subtitles->saveFolder();
}

bool RunWiring::confirmClose()
{
    if (!m_matrixCommands->confirmSaveMatrix())
        return false;
    if (m_subtitles->isModified()) {
        const QString question = m_app.message(core::Msg::Confirm) + QStringLiteral("\r\n") +
                                 m_app.message(core::Msg::TextNotSaved) + QLatin1Char('\r') +
                                 m_app.message(core::Msg::ReallyQuit);
        if (m_app.prompt().confirm(question) != core::Answer::Yes) {
            m_subtitles->show();
            return false;
        }
    }
    return true;
}

bool RunWiring::eventFilter(QObject *watched, QEvent *event)
{
    // A close while a pass runs is put off by the main window until the pass returns; it is asked then.
    if (watched == m_app.mainWindow() && event->type() == QEvent::Close && !m_app.batch.processing) {
        if (!confirmClose()) {
            event->ignore();
            return true;
        }
        collectSettings(); // the main window saves the configuration as it closes
    }
    return QObject::eventFilter(watched, event);
}

} // namespace glyfex::subtitles::ui
