// The run through the windows: each pass reads units that go through dispatch and recognition into the Subtitles window.
#include "app/run_wiring.h"

#include "app/app.h"
#include "app/image_sequence_command.h"
#include "app/video_command.h"
#include "core/config.h"
#include "core/messages.h"
#include "core/text_codec.h"
#include "recognition/recognition_driver.h"
#include "recognition/ui/matrix_commands.h"
#include "recognition/ui/matrix_editor.h"
#include "recognition/ui/new_character_dialog.h"
#include "recognition/ui/ocr_assistant_dialog.h"
#include "ripping/ui/input_dialog.h"
#include "ripping/ui/main_window.h"
#include "ripping/ui/picture_image.h"
#include "ripping/ui/window_pass_host.h"
#include "ripping/vob_pass.h"
#include "subtitles/ui/subtitles_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QListWidget>
#include <QPushButton>

#include <algorithm>
#include <climits>

namespace glyfex::app {

using subtitles::OutputFormat;
using subtitles::SkippedItemAsker;
using subtitles::Subtitle;
using subtitles::isValidOutputFormat;
using subtitles::ui::SubtitlesWindow;

namespace {

bool showPicturesTicked(App &app)
{
    return app.mainWindow() && app.mainWindow()->showPictures();
}

} // namespace

// Recognition of each picture with the settings as they are when it comes, then the matrix editor lists
// what the picture taught, in one refresh.
class RunWiring::Recognition : public picture::PictureSink {
public:
    Recognition(RunWiring &wiring, std::function<void()> learnt) : m_wiring(wiring), m_learnt(std::move(learnt)) {}

    core::Result<void> recognise(const picture::DecodedPicture &picture, const picture::DisplayTimes &times,
                                 const picture::Rect &area) override
    {
        // A tuning confirmed while the run was paused holds for the picture read after it.
        m_wiring.followRecognitionSettings();
        auto done = m_wiring.driver().recognise(picture, times, area);
        if (const int unread = m_wiring.driver().lastOutcome().unreadLines; unread > 0) {
            uint32_t &count = m_wiring.m_app.batch.unreadLines;
            count += uint32_t(unread);
            m_wiring.m_subtitles->showUnreadLines(int(std::min<uint32_t>(count, INT_MAX)));
        }
        if (m_learnt)
            m_learnt();
        return done;
    }

private:
    RunWiring &m_wiring;
    std::function<void()> m_learnt;
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

// Pictures without recognised text: the OCR assistant shows the picture and takes the typed lines. Without
// anyone to ask (the command line) they keep their placeholder.
class RunWiring::SkippedItems : public SkippedItemAsker {
public:
    explicit SkippedItems(RunWiring &wiring) : m_wiring(wiring) {}
    Answer askSkippedItem() override
    {
        if (m_wiring.m_app.commandLineMode || !m_wiring.m_assistant || !m_wiring.m_driver)
            return {};
        // The assistant takes the place of the Subtitles window, which comes back afterwards; an image
        // sequence keeps it in view.
        SubtitlesWindow *subtitles = m_wiring.m_subtitles;
        const bool wasVisible = subtitles->isVisible();
        if (m_wiring.m_app.batch.actionMode != picture::ActionMode::ImageSequence)
            subtitles->hide();
        Answer answer = m_wiring.m_assistant->askSkippedItem(m_wiring.m_driver->colourImage());
        if (wasVisible) {
            subtitles->show();
            subtitles->raise();
        }
        return answer;
    }

private:
    RunWiring &m_wiring;
};

// The source recognition rewinds and counts for: the one whose loop runs.
class RunWiring::ActiveRun : public picture::SourceRun {
public:
    explicit ActiveRun(picture::SourceRun *current) : m_current(current) {}
    void setCurrent(picture::SourceRun *run) { m_current = run; }
    // Runs after each skipped picture is counted: the count is shown as skips happen.
    void setSkippedHandler(std::function<void()> handler) { m_skipped = std::move(handler); }
    void rewindToCurrentPicture() override { m_current->rewindToCurrentPicture(); }
    void countSkipped() override
    {
        m_current->countSkipped();
        if (m_skipped)
            m_skipped();
    }
    bool processing() const override { return m_current->processing(); }

private:
    picture::SourceRun *m_current;
    std::function<void()> m_skipped;
};

RunWiring::RunWiring(App &app)
    : m_app(app), m_sourceRun(app.batch), m_activeRun(std::make_unique<ActiveRun>(&m_sourceRun))
{
    m_subtitles = app.subtitlesWindow();
    Q_ASSERT(m_subtitles);
    m_activeRun->setSkippedHandler([this] { m_subtitles->showSkippedCount(m_app.batch.skippedCount); });
    // Open and dropped files read subtitle files into the window's store.
    m_subtitles->setLoader([this](const QString &path, bool firstLoad) { m_subtitles->loadSubtitleFile(path, firstLoad); });
    m_runControl = std::make_unique<recognition::MainRunControl>(m_activeRun.get(), m_assist, m_matrix, app.prompt());
    m_matrixCommands = std::make_unique<recognition::ui::MatrixCommands>(
        app, m_matrix, [this] { return m_subtitles->codePage(); }, app.mainWindow());
    attachMatrixCommands();
    // A matrix found by the search replaces this one only after the save question.
    m_runControl->setMatrixSaver([this](recognition::CharMatrix &) -> core::Result<void> {
        if (!m_matrixCommands->save())
            return core::makeError(QStringLiteral("Character matrix not saved"), m_matrix.fileName(), QString());
        return {};
    });
    m_editor = new recognition::ui::MatrixEditor(m_matrix, app.prompt(), &app.messages, app.mainWindow());
    app.adoptWindow(m_editor); // in Form5's place, so settings and languages reach it
    m_editor->setOpenCommand([this] { m_matrixCommands->open(); });
    m_matrixCommands->setEditor(m_editor);
    m_matrixCommands->setChangedHandler([this] {
        if (m_editor)
            m_editor->fillMatrixList();
    });
    m_runControl->setAdoptedHandler([this] {
        m_matrixCommands->showMatrixName();
        if (m_editor)
            m_editor->fillMatrixList();
    });

    m_assistant = new recognition::ui::OcrAssistantDialog(m_matrix, *m_runControl, app.prompt(), &app.messages,
                                                          app.mainWindow());
    app.adoptWindow(m_assistant); // in Form15's place
    // The colours the run's pictures are shown in: the title's, or a sequence's or video's black and white.
    m_assistant->setDvdPalette([this] { return m_driver->options().dvdPalette; });
    m_assistant->setRunState(m_activeRun.get());
    m_assistant->setFilledHandler([this] {
        if (m_editor)
            m_editor->followMatrix();
    });

    m_skipped = std::make_unique<SkippedItems>(*this);
    app.subtitleSink.setView(m_subtitles);
    m_passHost = std::make_unique<ripping::ui::WindowPassHost>(app, m_dispatchOptions);
    m_forwardingAsker = std::make_unique<Asker>(*this);
    recognition::DriverEnvironment env{m_matrix, m_subtitles->store(), *m_skipped, *m_forwardingAsker,
                                       m_assist, app.prompt(), m_assistant.data()};
    env.run = m_activeRun.get();
    env.messages = &app.messages;
    env.storeView = m_subtitles;
    env.showPicture = [this](const recognition::GlyphQuestion &shown, const picture::Rect &area) {
        if (showPicturesTicked(m_app))
            showCodePicture(shown.shown, shown.palette, area);
    };
    env.mergedIntoLast = [this] { (void)m_runControl->sameAsLast(); };
    env.showQuestion = [this](const recognition::GlyphQuestion &asked, const picture::Rect &area) {
        showCodePicture(asked.shown, asked.palette, area);
    };
    m_driver = std::make_unique<recognition::RecognitionDriver>(env, recognition::DriverOptions{});
    m_recognition = std::make_unique<Recognition>(*this, [this] {
        if (m_editor)
            m_editor->followMatrix();
    });
    m_assistant->setReading([this] {
        followRecognitionSettings();
        const recognition::DriverOptions &o = m_driver->options();
        return recognition::FillReading{o.match.settings, o.rightToLeft};
    });

    recognition::ui::NewCharacterSetup setup;
    setup.matrixFolders = app.paths.chMatrixDirs();
    setup.charMapFile = app.paths.findDataFile(QStringLiteral("CharMap.ini"));
    setup.charMapWriteFile = QDir(app.paths.writableDataDir()).filePath(QStringLiteral("CharMap.ini"));
    if (setup.charMapFile.isEmpty())
        setup.charMapFile = setup.charMapWriteFile;
    setup.messages = &app.messages;
    setup.follow = [this](recognition::ui::NewCharacterSetup &s) {
        followRecognitionSettings();
        s.match = m_driver->options().match;
        s.codePage = core::TextCodec::resolve(m_subtitles->codePage());
        const core::GlobalOptions &options = m_app.config.options;
        s.wake.wakeUp = options.wakeMeUp;
        s.wake.fill = options.fillBestGuess;
        s.wake.fillSeconds = std::clamp(options.fillDelay, int(core::GlobalOptions::FillDelayLowest),
                                        int(core::GlobalOptions::FillDelayHighest));
        s.wake.fillNone = options.fillNone;
        s.wake.before = options.fillBefore;
        s.wake.after = options.fillAfter;
        s.wake.addToMatrix = options.addBestGuessToMatrix;
        // The built-in texts are English: their palette location is English's.
        const QString &language = m_app.config.main.languageName;
        s.languageName = language.isEmpty() || language == core::Config::FirstRunLanguage ? QStringLiteral("English")
                                                                                           : language;
    };
    m_newCharacter = new recognition::ui::NewCharacterDialog(*m_runControl, app.prompt(), setup, app.mainWindow());
    app.adoptWindow(m_newCharacter); // in Form2's place, so settings and languages reach it
    m_assistant->setPaletteSource(m_newCharacter);
    m_newCharacter->setResumeRun([this] {
        if (m_app.batch.paused && m_app.mainWindow())
            m_app.mainWindow()->togglePause(nullptr);
    });
    m_subtitles->setLanguageText([this]() -> QString {
        return m_newCharacter ? m_newCharacter->characterLocation() : QString();
    });

    // The input dialog's Clear empties the store after its own question: the list follows.
    if (ripping::ui::InputDialog *input = app.inputDialog())
        connect(input, &ripping::ui::InputDialog::textCleared, m_subtitles, &SubtitlesWindow::followStore);
    if (QWidget *main = app.mainWindow())
        main->installEventFilter(this);
    m_imageSequence = std::make_unique<ImageSequenceCommand>(app, *this);
    if (sources::ui::VideoViewer *viewer = app.videoViewer())
        m_video = std::make_unique<VideoCommand>(app, *this, *viewer);
}

RunWiring::~RunWiring()
{
    // The dialog belongs to the application now; it must not answer for this run any more.
    if (m_newCharacter)
        m_newCharacter->hide();
    m_matrixCommands->setEditor(nullptr);
    m_app.subtitleSink.setView(nullptr);
}

void RunWiring::attachMatrixCommands()
{
    recognition::ui::MatrixCommands *commands = m_matrixCommands.get();
    if (ripping::ui::MainWindow *main = m_app.mainWindow()) {
        const ripping::ui::MainWindow::MatrixActions &actions = main->matrixActions();
        for (QAction *action : {actions.open, actions.save, actions.saveAs, actions.newMatrix})
            action->setEnabled(true);
        connect(actions.open, &QAction::triggered, commands, &recognition::ui::MatrixCommands::open);
        commands->setOpenItem(actions.open);
        connect(actions.save, &QAction::triggered, commands, [commands] { commands->save(); });
        connect(actions.saveAs, &QAction::triggered, commands, [commands] { commands->saveAs(); });
        connect(actions.newMatrix, &QAction::triggered, commands, &recognition::ui::MatrixCommands::newMatrix);
        // Edit/View works while there is an editor to show.
        connect(actions.edit, &QAction::triggered, commands, &recognition::ui::MatrixCommands::view);
        connect(commands, &recognition::ui::MatrixCommands::editorAvailable, actions.edit, &QAction::setEnabled);
    }
    if (ripping::ui::InputDialog *input = m_app.inputDialog()) {
        input->enableMatrixCommands();
        connect(input, &ripping::ui::InputDialog::openMatrixRequested, commands, &recognition::ui::MatrixCommands::open);
        connect(input, &ripping::ui::InputDialog::newMatrixRequested, commands,
                &recognition::ui::MatrixCommands::newMatrix);
        connect(commands, &recognition::ui::MatrixCommands::matrixNameChanged, input,
                &ripping::ui::InputDialog::setMatrixFileName);
        commands->setProgressBar(input->matrixProgressBar());
    }
    commands->showMatrixName();
}

recognition::ui::NewCharacterDialog *RunWiring::newCharacterDialog() const
{
    return m_newCharacter.data();
}

recognition::ui::MatrixEditor *RunWiring::matrixEditor() const
{
    return m_editor.data();
}

recognition::ui::OcrAssistantDialog *RunWiring::ocrAssistant() const
{
    return m_assistant.data();
}

recognition::GlyphAsker *RunWiring::glyphAsker() const
{
    if (m_asker)
        return m_asker;
    return m_newCharacter.data();
}

void RunWiring::setSourceRun(picture::SourceRun *run)
{
    m_activeRun->setCurrent(run ? run : &m_sourceRun);
}

picture::PictureSink &RunWiring::recognition()
{
    return *m_recognition;
}

recognition::DriverOptions &RunWiring::driverOptions()
{
    return m_driver->options();
}

void RunWiring::followRecognitionSettings()
{
    // Advanced OCR Setup's tuning and Global Options' reading direction, as the application holds them,
    // and the charset the Subtitles window writes in.
    recognition::DriverOptions &o = m_driver->options();
    o.match.settings = m_app.ocr;
    o.rightToLeft = m_app.config.options.rightToLeft;
    o.match.charset = m_subtitles->textCharset();
}

void RunWiring::startRun()
{
    // A new run: the decoded-picture state (the previous unit's colours) starts afresh, and the
    // settings of the run are taken as they are now.
    const ripping::BatchState &batch = m_app.batch;
    m_dispatchOptions.action = batch.actionMode;
    const core::GlobalOptions &options = m_app.config.options;
    m_maxDurationMs = std::clamp(options.maxTmpDuration, int(core::GlobalOptions::MaxTmpLowest),
                                 int(core::GlobalOptions::MaxTmpHighest));
    followRecognitionSettings();
    m_driver->options().dvdPalette = m_app.input.palette;
    // The text is saved beside what the run read, except a picture script, which follows its pictures
    // (the Start named them).
    const bool savesPictures = batch.actionMode == picture::ActionMode::SaveBitmaps
                            || batch.actionMode == picture::ActionMode::SaveRawSubpictures;
    if (!batch.vobList.isEmpty() && !(savesPictures && !batch.pictureBaseName.isEmpty()))
        m_subtitles->setSourceFileName(batch.vobList.constFirst());
    // Colours are detected anew for every picture: a colour choice or assistant request of an earlier
    // run must not apply to this one.
    m_assist.mode = recognition::OcrAssistState::Automatic;
    // The fill's sample line starts in the font the Subtitles window lists the text in.
    m_assistant->setStartFont(m_subtitles->list()->font());
    // The palette offers the characters of the stream's language.
    if (m_newCharacter && batch.actionMode == picture::ActionMode::RecogniseText && !batch.characterLocation.isEmpty())
        m_newCharacter->chooseLocation(batch.characterLocation);
    followOutputFormat();
    m_subtitles->showUnreadLines(int(batch.unreadLines));
    m_dispatcher.reset();
    m_startCount = batch.startCount;
}

bool RunWiring::showExportPreview(picture::ExportedPicture &out)
{
    if (!m_dispatcher)
        return false;
    const picture::DecodedPicture &picture = m_dispatcher->picture();
    if (picture.codes.empty())
        return false;
    out = {};
    m_app.exportEngine().render(picture, m_app.input.palette, out);
    if (out.empty())
        return false;
    m_passHost->showPicture(picture, &out);
    return true;
}

void RunWiring::followOutputFormat()
{
    // The input dialog may choose another format at Start (text cannot go into a picture script).
    const int page = m_app.config.main.activePage;
    if (isValidOutputFormat(page) && OutputFormat(page) != m_subtitles->outputFormat())
        (void)m_subtitles->setOutput(OutputFormat(page), m_app.formatOptions);
}

void RunWiring::readFile(const QString &)
{
    ripping::BatchState &batch = m_app.batch;
    if (!m_dispatcher || batch.startCount != m_startCount)
        startRun();
    // A Start on a new text emptied the store: the Subtitles window follows.
    m_subtitles->followStore();
    const core::GlobalOptions &options = m_app.config.options;
    m_dispatchOptions.withTiming = batch.withTiming;
    m_dispatchOptions.forcedOnly = options.forcedSubsOnly;
    m_dispatchOptions.minDurationMs = std::clamp(options.minSubDuration, 0, core::GlobalOptions::MinSubDurationMax);
    m_dispatchOptions.showPictures = showPicturesTicked(m_app);
    m_dispatchOptions.pictureBase = batch.pictureBaseName;
    m_dispatchOptions.outputFormat = m_subtitles->outputFormat();
    m_dispatchOptions.dvdPalette = m_app.input.palette;
    subtitles::ExportBitmapEngine &exporter = m_app.exportEngine();
    if (!m_dispatcher)
        m_dispatcher = std::make_unique<ripping::SpuDispatcher>(m_dispatchOptions, batch, m_app.subtitleSink,
                                                                *m_recognition, exporter, *m_passHost);

    ripping::VobPass pass(batch, *m_passHost, *m_dispatcher);
    const ripping::PassOutcome outcome = pass.readCurrentFile();
    m_passHost->showCounts();
    m_subtitles->showSkippedCount(batch.skippedCount);
    if (outcome.error)
        m_app.prompt().error(m_app.message(core::Msg::Error) + QStringLiteral("\r\n") + outcome.error->message());

    ripping::ui::MainWindow *main = m_app.mainWindow();
    if (m_runControl->takeAutomaticResume() && batch.paused && main) {
        // A colour change or a fill-matrix request paused only to read the picture again.
        main->togglePause(nullptr);
    } else if (outcome.end == ripping::PassEnd::Paused && main) {
        // A question paused the run (Pause in the New Character(s) dialog): the button says so.
        main->showRunPaused();
    }
    if (outcome.runFinished) {
        if (main)
            main->showProgramTitle();
        closeLastSubtitle();
        // Each damaged unit was passed over as the run met it; at the end the user learns how many
        // subtitles are missing for it, in the windows as on the command line.
        if (batch.damagedUnits > 0)
            m_app.prompt().warn(QStringLiteral("%1 damaged subpicture unit(s) could not be read: their subtitles are missing.")
                                    .arg(batch.damagedUnits));
        std::vector<ripping::TimeRange> ranges;
        for (const Subtitle &s : m_subtitles->store().subs)
            ranges.push_back({s.start, s.stop});
        if (const int overlapping = ripping::countOverlappingTimes(ranges); overlapping > 0 && !m_app.commandLineMode)
            m_app.prompt().warn(m_app.message(core::Msg::Warning) + QStringLiteral("\r\n") +
                                m_app.message(core::Msg::TimeCodesOverlapping) + QStringLiteral(" %1x").arg(overlapping));
    }
}

void RunWiring::finishRun()
{
    ripping::BatchState &batch = m_app.batch;
    if (batch.processing || batch.finished())
        return;
    batch.currentFile = int(batch.vobList.size());
    closeLastSubtitle();
    if (ripping::ui::MainWindow *main = m_app.mainWindow()) {
        if (batch.paused)
            main->togglePause(nullptr);
        main->setPauseAvailable(false);
        main->showProgramTitle();
    } else {
        batch.paused = false;
    }
}

void RunWiring::closeLastSubtitle()
{
    ripping::closeLastSubtitle(m_app.subtitleSink, m_maxDurationMs);
}

void RunWiring::showCodePicture(const picture::CodeImage &codes, const std::array<uint32_t, 256> &palette,
                                const picture::Rect &area)
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
    main->showSubtitlePicture(image, area, true);
}

void RunWiring::applySettings()
{
    const core::Config::Main &main = m_app.config.main;
    if (isValidOutputFormat(main.activePage))
        (void)m_subtitles->setOutput(OutputFormat(main.activePage), m_app.formatOptions);
    m_subtitles->setFilterIndex(m_app.inputType);
    if (!main.openDialogCharMatrix.isEmpty())
        m_matrixCommands->setFolder(main.openDialogCharMatrix);
    m_subtitles->setDialogFolders(main.openDialogGlyfexText, main.saveDialogText);
}

void RunWiring::collectSettings()
{
    core::Config::Main &main = m_app.config.main;
    main.activePage = int(m_subtitles->outputFormat());
    m_app.inputType = m_subtitles->filterIndex();
    main.openDialogCharMatrix = m_matrixCommands->folder();
    main.saveDialogCharMatrix = m_matrixCommands->folder();
    main.openDialogGlyfexText = m_subtitles->openFolder();
    main.saveDialogText = m_subtitles->saveFolder();
}

bool RunWiring::confirmClose()
{
    if (!m_matrixCommands->confirmSaveMatrix())
        return false;
    return true;
}

bool RunWiring::eventFilter(QObject *watched, QEvent *event)
{
    // A close while a pass runs is put off by the main window until the pass returns; both questions
    // are asked then, this one first.
    if (watched == m_app.mainWindow() && event->type() == QEvent::Close && !m_app.batch.processing) {
        if (!confirmClose()) {
            event->ignore();
            return true;
        }
        collectSettings(); // the main window saves the configuration if it closes
    }
    return QObject::eventFilter(watched, event);
}

} // namespace glyfex::app
