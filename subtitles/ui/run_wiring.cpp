// The run through the windows: Start arms the reading pass, each unit goes through dispatch and recognition into the Subtitles window.
#include "subtitles/ui/run_wiring.h"

#include "core/config.h"
#include "core/messages.h"
#include "core/text_codec.h"
#include "recognition/recognition_driver.h"
#include "recognition/ui/matrix_commands.h"
#include "recognition/ui/matrix_editor.h"
#include "recognition/ui/new_character_dialog.h"
#include "recognition/ui/ocr_assistant_dialog.h"
#include "ripping/ui/app.h"
#include "ripping/ui/input_dialog.h"
#include "ripping/ui/main_window.h"
#include "ripping/ui/picture_image.h"
#include "ripping/ui/run_driver.h"
#include "ripping/ui/run_subtitles.h"
#include "ripping/vob_pass.h"
#include "subtitles/ui/subtitles_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPushButton>

#include <algorithm>

namespace glyfex::subtitles::ui {

namespace {


bool showPicturesTicked(ripping::ui::App &app)
{
    return app.mainWindow() && app.mainWindow()->showPictures();
}

} // namespace

// The store as dispatch sees it, with the Subtitles window following every change.
class RunWiring::Subtitles : public ripping::SubtitleSink {
public:
    Subtitles(SubtitlesWindow &window, ripping::ui::RunSubtitles &sink) : m_window(window), m_sink(sink) {}
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
    ripping::ui::RunSubtitles &m_sink;
};

// Recognition of each picture, then the Subtitles window and the counters follow the store.
class RunWiring::Recognition : public ripping::PictureSink {
public:
    Recognition(recognition::RecognitionDriver &driver, SubtitlesWindow &window, std::function<void()> learnt)
        : m_driver(driver), m_window(window), m_learnt(std::move(learnt))
    {
    }

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
        // The matrix editor lists what the picture taught, in one refresh.
        if (m_learnt)
            m_learnt();
        return done;
    }

private:
    recognition::RecognitionDriver &m_driver;
    SubtitlesWindow &m_window;
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
        return m_wiring.m_assistant->askSkippedItem(m_wiring.m_driver->colourImage());
    }

private:
    RunWiring &m_wiring;
};

RunWiring::RunWiring(ripping::ui::App &app) : m_app(app)
{
    m_subtitles = qobject_cast<SubtitlesWindow *>(app.subtitlesWindow());
    Q_ASSERT(m_subtitles);
    // Open and dropped files read subtitle files into the window's store.
    m_subtitles->setLoader([this](const QString &path, bool firstLoad) { m_subtitles->loadSubtitleFile(path, firstLoad); });
    m_runControl = std::make_unique<recognition::MainRunControl>(&m_app.batch, m_assist, m_matrix, app.prompt());
    m_matrixCommands = std::make_unique<recognition::ui::MatrixCommands>(
        app, m_matrix, [this] { return m_subtitles->codePage(); });
    m_matrixCommands->attach();
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
    m_assistant->setDvdPalette([this] { return m_app.input.palette; });
    m_assistant->setRunState(&m_app.batch);
    m_assistant->setFilledHandler([this] {
        if (m_editor)
            m_editor->followMatrix();
    });

    m_skipped = std::make_unique<SkippedItems>(*this);
    m_subtitleSink = std::make_unique<Subtitles>(*m_subtitles, app.subtitleSink);
    m_forwardingAsker = std::make_unique<Asker>(*this);
    recognition::DriverEnvironment env{m_matrix, m_subtitles->store(), *m_skipped, *m_forwardingAsker,
                                       m_assist, app.prompt(), m_assistant.data()};
    env.run = &m_app.batch;
    env.messages = &app.messages;
    env.showPicture = [this](const recognition::GlyphQuestion &shown) {
        if (showPicturesTicked(m_app))
            showCodePicture(shown.shown, shown.palette);
    };
    m_driver = std::make_unique<recognition::RecognitionDriver>(env, recognition::DriverOptions{});
    m_recognition = std::make_unique<Recognition>(*m_driver, *m_subtitles, [this] {
        if (m_editor)
            m_editor->followMatrix();
    });

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
    m_assistant->setPaletteSource(m_newCharacter);
    m_newCharacter->setResumeRun([this] {
        if (m_app.batch.paused && m_app.mainWindow())
            m_app.mainWindow()->togglePause(nullptr);
    });
    m_subtitles->setLanguageText([this]() -> QString {
        auto *box = m_newCharacter ? m_newCharacter->findChild<QComboBox *>(QStringLiteral("ComboBoxCharLoc")) : nullptr;
        return box ? box->currentText() : QString();
    });

    // The gui's pass runs with its hosts; units go to recognition and the Subtitles window here.
    app.readFile = [this](const QString &path) { readFile(path); };
    m_subtitles->setClearedHandler([this] { m_app.subtitleSink.modified = false; });
    // The input dialog's Clear empties the store after its own question: the list follows.
    if (QWidget *input = app.inputDialog()) {
        if (auto *clear = input->findChild<QPushButton *>(QStringLiteral("ButtonClearText")))
            connect(clear, &QPushButton::clicked, m_subtitles, &SubtitlesWindow::followStore);
    }
    if (QWidget *main = app.mainWindow())
        main->installEventFilter(this);
}

RunWiring::~RunWiring()
{
    // The dialog belongs to the application now; it must not answer for this run any more.
    if (m_newCharacter)
        m_newCharacter->hide();
    m_matrixCommands->setEditor(nullptr);
    m_subtitles->setClearedHandler(nullptr);
    if (ripping::ui::RunDriver *driver = m_app.runDriver())
        m_app.readFile = [driver](const QString &path) { driver->readFile(path); };
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

recognition::DriverOptions &RunWiring::driverOptions()
{
    return m_driver->options();
}

void RunWiring::startRun()
{
    // A new run: the decoded-picture state (the previous unit's colours) starts afresh, and the
    // settings of the run are taken as they are now.
    const ripping::BatchState &batch = m_app.batch;
    m_dispatchOptions.action = batch.actionMode == ripping::ActionMode::SaveBitmaps     ? ripping::SpuAction::SaveBitmaps
                               : batch.actionMode == ripping::ActionMode::SaveRawSubpictures ? ripping::SpuAction::SaveRawSubpictures
                               : batch.actionMode == ripping::ActionMode::OnlyShow   ? ripping::SpuAction::OnlyShow
                                                                                      : ripping::SpuAction::Recognise;
    const core::GlobalOptions &options = m_app.config.options;
    m_maxDurationMs = std::clamp(options.maxTmpDuration, int(core::GlobalOptions::MaxTmpLowest),
                                 int(core::GlobalOptions::MaxTmpHighest));
    // The recognition tuning of Advanced OCR Setup, as the application holds it.
    m_driver->options().match.settings = m_app.ocr;
    m_driver->options().rightToLeft = options.rightToLeft;
    m_driver->options().match.charset = m_subtitles->textCharset();
    m_driver->options().dvdPalette = m_app.input.palette;
    if (!batch.vobList.isEmpty())
        m_subtitles->setSourceFileName(batch.vobList.constFirst());
    // Colours are detected anew for every picture: a colour choice or assistant request of an earlier
    // run must not apply to this one.
    m_assist.mode = recognition::OcrAssistState::Automatic;
    // The fill's sample line starts in the font the Subtitles window lists the text in.
    if (auto *list = m_subtitles->findChild<QWidget *>(QStringLiteral("ListBoxSubtitle")))
        m_assistant->setStartFont(list->font());
    // The palette offers the characters of the stream's language.
    if (m_newCharacter && batch.actionMode == ripping::ActionMode::RecogniseText && !batch.characterLocation.isEmpty())
        m_newCharacter->chooseLocation(batch.characterLocation);
    followOutputFormat();
    m_dispatcher.reset();
    m_startCount = batch.startCount;
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
    ripping::ui::RunDriver *hosts = m_app.runDriver();
    if (!hosts)
        return;
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
    m_dispatchOptions.outputFormat = int(m_subtitles->outputFormat());
    m_dispatchOptions.dvdPalette = m_app.input.palette;
    ExportBitmapEngine &exporter = m_app.exportEngine();
    if (!m_dispatcher)
        m_dispatcher = std::make_unique<ripping::SpuDispatcher>(m_dispatchOptions, batch, *m_subtitleSink,
                                                                *m_recognition, exporter, *hosts);

    ripping::VobPass pass(batch, *hosts, *m_dispatcher);
    const ripping::PassOutcome outcome = pass.readCurrentFile();
    m_subtitles->showSkippedCount(batch.skippedCount);
    if (outcome.error)
        m_app.prompt().error(m_app.message(core::Msg::Error) + QStringLiteral("\r\n") + outcome.error->message());

    ripping::ui::MainWindow *main = m_app.mainWindow();
    if (m_runControl->takeAutomaticResume() && batch.paused && main) {
        // A colour change or a fill-matrix request paused only to read the picture again.
        main->togglePause(nullptr);
    } else if (outcome.end == ripping::PassEnd::Paused && main) {
        // A question paused the run (Pause in the New Character(s) dialog): the button says so.
        if (auto *button = main->findChild<QPushButton *>(QStringLiteral("ButtonPause")))
            button->setText(m_app.message(core::Msg::Continue));
    }
    if (outcome.runFinished) {
        closeLastSubtitle();
        std::vector<ripping::TimeRange> ranges;
        for (const Subtitle &s : m_subtitles->store().subs)
            ranges.push_back({s.start, s.stop});
        if (const int overlapping = ripping::countOverlappingTimes(ranges); overlapping > 0 && !m_app.commandLineMode)
            m_app.prompt().warn(m_app.message(core::Msg::Warning) + QStringLiteral("\r\n") +
                                m_app.message(core::Msg::TimeCodesOverlapping) + QStringLiteral(" %1x").arg(overlapping));
    }
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
    // The main window asks next about the text, which is unsaved when the Subtitles window says so.
    m_app.subtitleSink.modified = m_subtitles->isModified();
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
        collectSettings(); // the main window saves the configuration if it closes
    }
    return QObject::eventFilter(watched, event);
}

} // namespace glyfex::subtitles::ui
