// The application object: shared state, the prompt seams and the windows in their fixed creation order.
#include "app/app.h"

#include "app/run_wiring.h"
#include "app/screen_keeper.h"

#include "core/file_read.h"
#include "core/language_file.h"
#include "core/ui/config_binding.h"
#include "core/ui/global_options_dialog.h"
#include "core/ui/language_applier.h"
#include "core/ui/message_box_prompt.h"
#include "core/version.h"
#include "recognition/ui/ocr_setup_dialog.h"
#include "ripping/ui/about_box.h"
#include "ripping/ui/input_dialog.h"
#include "ripping/ui/main_window.h"
#include "ripping/ui/progress_controller.h"
#include "ripping/ui/shell_window.h"
#include "ripping/ui/stream_scan_window.h"
#include "ripping/ui/version_check_window.h"
#include "sources/ui/video_viewer.h"
#include "subtitles/ui/bitmap_adjust_dialog.h"
#include "subtitles/ui/output_format_dialog.h"
#include "subtitles/ui/post_ocr_dialog.h"
#include "subtitles/ui/split_dialog.h"
#include "subtitles/ui/subtitles_window.h"
#include "subtitles/ui/time_correction_dialog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLocale>
#include <QMenu>
#include <QPointer>

#include <utility>

namespace glyfex::app {

App::App(const core::Paths::Folders &folders) : paths(folders)
{
    appDir = QCoreApplication::applicationDirPath();
    if (!appDir.endsWith(QLatin1Char('/')))
        appDir += QLatin1Char('/');
    config = core::Config::defaults({paths.chMatrixDir(), QDir::homePath()});
    m_exportEngine.followSettings([this] {
        return subtitles::ExportSettings{presets.settings, presets.current, exportFrameHeight(), input.frameSize.width(),
                                         input.frameSize.height()};
    });
    // Message boxes open over the window the user works in; over the main window when none of the
    // program's is active.
    m_ownPrompt = std::make_unique<core::ui::MessageBoxPrompt>([this]() -> QWidget * { return m_mainWindow; });
    m_prompt = m_ownPrompt.get();
}

App::~App()
{
    m_language.reset();
    m_run.reset(); // it refers to the windows
    // Later windows may refer to earlier ones (the main window above all): free them in reverse order.
    // A dialog belongs to the window it was last opened over, which may free it first.
    std::vector<QPointer<QWidget>> windows(m_windows.rbegin(), m_windows.rend());
    for (const QPointer<QWidget> &w : windows)
        delete w.data();
}

void App::createWindows()
{
    if (!m_windows.empty())
        return;
    m_screenKeeper = std::make_unique<ScreenKeeper>();
    QCoreApplication::instance()->installEventFilter(m_screenKeeper.get());
    m_mainWindow = new ripping::ui::MainWindow(*this);
    m_windows.push_back(m_mainWindow);
    auto shell = [this](const char *form, const char *caption) {
        m_windows.push_back(new ripping::ui::ShellWindow(QString::fromLatin1(form), QString::fromLatin1(caption), m_mainWindow));
    };
    shell("Form2", "New Character(s)");
    m_subtitlesWindow = new subtitles::ui::SubtitlesWindow(*this, m_mainWindow);
    m_windows.push_back(m_subtitlesWindow);
    m_windows.push_back(new recognition::ui::OcrSetupDialog(
        ocr, [this](const recognition::OcrSettings &s) { return core::saveOcrSettings(paths.configFile(), ocrConfigOf(s)); },
        [this]() -> core::UserPrompt & { return prompt(); }, m_mainWindow));
    shell("Form5", "View/Edit Character Matrix");
    m_inputDialog = new ripping::ui::InputDialog(*this, m_mainWindow);
    m_windows.push_back(m_inputDialog);
    m_videoViewer = new sources::ui::VideoViewer(&messages, m_mainWindow);
    m_windows.push_back(m_videoViewer);
    shell("Form22", "AviSynth script");
    m_windows.push_back(new subtitles::ui::PostOcrDialog(*this, m_mainWindow));
    m_progressController = new ripping::ui::ProgressController(*this, m_mainWindow);
    m_windows.push_back(m_progressController);
    m_windows.push_back(new ripping::ui::AboutBox(QLatin1String(core::kProgramVersion),
                                     paths.findDataFile(QStringLiteral("Credits.txt")), m_mainWindow));
    m_windows.push_back(new subtitles::ui::OutputFormatDialog(*this, m_mainWindow));
    m_windows.push_back(new subtitles::ui::TimeCorrectionDialog(*this, *m_subtitlesWindow, m_mainWindow));
    shell("Form15", "OCR Assistant");
    m_windows.push_back(new core::ui::GlobalOptionsDialog(config.options, QStringLiteral("&Global Options"), m_mainWindow));
    m_windows.push_back(new subtitles::ui::SplitDialog(*this, *m_subtitlesWindow, m_mainWindow));
    m_windows.push_back(new subtitles::ui::BitmapAdjustDialog(*this, m_mainWindow));
    m_streamScan = new ripping::ui::StreamScanWindow(*this, m_mainWindow);
    m_windows.push_back(m_streamScan);
    m_windows.push_back(new ripping::ui::VersionCheckWindow(*this, m_mainWindow));

    // The matrix folder must exist before any matrix is saved; a folder that cannot be made is
    // no reason to stop here: saving a matrix there will say what failed.
    (void)paths.createMissingFolders();

    // The run joins the windows; the New Character(s) dialog it makes takes Form2's place.
    m_run = std::make_unique<RunWiring>(*this);
    m_mainWindow->setFileReader(m_run.get());
}

QWidget *App::window(const QString &formName) const
{
    for (QWidget *w : m_windows) {
        if (w->objectName() == formName)
            return w;
    }
    return nullptr;
}

void App::adoptWindow(QWidget *window)
{
    for (QWidget *&w : m_windows) {
        if (w->objectName() == window->objectName()) {
            delete std::exchange(w, window);
            return;
        }
    }
    m_windows.push_back(window);
}

bool App::textModified() const
{
    return m_subtitlesWindow && m_subtitlesWindow->isModified();
}

QString App::dialogFolder(const QString &remembered) const
{
    // Older configurations remember the program's folder as every dialog's default.
    if (!remembered.isEmpty() && QDir::cleanPath(QFileInfo(remembered).absoluteFilePath()) != QDir::cleanPath(appDir))
        return remembered;
    return QDir::homePath();
}

void App::setPrompt(core::UserPrompt *prompt)
{
    m_prompt = prompt ? prompt : m_ownPrompt.get();
}

void App::setFileChooser(core::ui::FileChooser *files)
{
    m_files = files ? files : &m_dialogFiles;
}

namespace {

ripping::PreviewSettings previewOf(const core::Config::Preview &c)
{
    ripping::PreviewSettings p;
    p.atTruePos = c.atTruePos;
    p.transparentBackground = c.transparentBackground;
    p.zoom = c.zoom;
    p.autoZoom = c.autoZoom;
    p.borderColour = uint32_t(c.borderColour) & 0xFFFFFF;
    p.innerColour = uint32_t(c.innerColour) & 0xFFFFFF;
    p.backMode = uint8_t(c.backMode);
    p.aspectRatioMode = uint8_t(c.aspectRatioMode);
    p.freeAspectRatio = c.freeAspectRatio;
    p.backImageName = c.backImageName;
    return p;
}

core::Config::Preview configOf(const ripping::PreviewSettings &p)
{
    core::Config::Preview c;
    c.atTruePos = p.atTruePos;
    c.transparentBackground = p.transparentBackground;
    c.zoom = p.zoom;
    c.autoZoom = p.autoZoom;
    c.borderColour = int(p.borderColour);
    c.innerColour = int(p.innerColour);
    c.backMode = p.backMode;
    c.aspectRatioMode = p.aspectRatioMode;
    c.freeAspectRatio = p.freeAspectRatio;
    c.backImageName = p.backImageName;
    return c;
}

QList<QWidget *> windowList(const std::vector<QWidget *> &windows)
{
    return QList<QWidget *>(windows.begin(), windows.end());
}

} // namespace

subtitles::ExportBitmapEngine &App::exportEngine()
{
    return m_exportEngine;
}

int App::exportFrameHeight() const
{
    return core::exportFrameHeight(input.frameSize.height(), formatOptions.frameRateIndex == 1);
}

void App::loadSettings()
{
    if (m_windows.empty() || commandLineMode)
        return;
    const QString file = paths.configFile();
    const QStringList languages = core::LanguageFiles(paths.dataDirs()).languages();
    // The recognition's current tuning is what OCR SETTING falls back to, key by key.
    config = core::ui::loadConfigAtStart(file, {paths.chMatrixDir(), QDir::homePath()}, ocrConfigOf(ocr), QLocale::system(),
                                         languages, prompt());
    core::Result<core::BmpOutPresets> readPresets = core::loadBmpOutPresets(file, presets.current);
    if (readPresets)
        presets = *readPresets;
    else if (core::plainFileProblem(file).isEmpty()) // a file that cannot be opened at all was said just now
        prompt().warn(readPresets.error().message());

    // In the order of the file's sections, as later steps may depend on earlier ones.
    m_inputDialog->setOpenFolder(config.main.openDialogVob);
    core::ui::ConfigBinding(windowList(m_windows)).apply(config, QFontDatabase::families());
    m_mainWindow->restorePriority(config.main.priority);
    preview = previewOf(config.preview);
    m_mainWindow->applyPreviewSettings();
    ocr = ocrSettingsOf(config.ocr);
    applyOutputConfig(config, formatOptions);
    inputType = config.inputType;

    m_language = std::make_unique<core::ui::LanguageApplier>(windowList(m_windows), messages);
    if (QMenu *menu = m_mainWindow->languageMenu()) {
        menu->setEnabled(!languages.isEmpty());
        core::ui::buildLanguageMenu(menu, languages, config.main.languageName,
                                    [this](const QString &name) { applyLanguage(name); });
    }
    if (!config.main.languageName.isEmpty())
        applyLanguage(config.main.languageName);
    m_run->applySettings();
    m_settingsLoaded = true;
}

void App::applyLanguage(const QString &name)
{
    if (!m_language)
        return;
    // Found without regard to letter case; a name that could leave the Lang folder, like one without
    // a file, means the built-in English texts.
    const QString file = core::LanguageFiles(paths.dataDirs()).fileOf(name);
    core::Result<void> applied = m_language->apply(file, batch.paused);
    if (!applied) {
        prompt().error(message(core::Msg::Error) + QStringLiteral("\r\n") + applied.error().message());
        return;
    }
    config.main.languageName = name;
}

void App::saveSettings()
{
    if (!m_settingsLoaded || commandLineMode)
        return;
    // The controls first, then the writers' options: the Output Format dialog's boxes that show one of
    // them (frame rate, MicroDVD rate line) pass every change on to the options, which readers may
    // also have set since.
    core::ui::ConfigBinding(windowList(m_windows)).collect(config);
    collectOutputConfig(formatOptions, config);
    config.preview = configOf(preview);
    if (m_mainWindow->priorityLevel() >= 0)
        config.main.priority = m_mainWindow->priorityLevel();
    config.main.openDialogVob = m_inputDialog->openFolder();
    // OCR SETTING is written only by the Advanced OCR Setup's Save; the copy is kept in step all the same.
    config.ocr = ocrConfigOf(ocr);
    config.inputType = inputType;
    // The presets are kept as a PAL frame has them: a height an NTSC title lowered is not the preset's own.
    core::BmpOutPresets kept = presets;
    core::followFrameHeight(kept, core::PalFrameHeight);
    core::ui::saveConfigAtClose(paths.configFile(), config, kept, prompt());
}

} // namespace glyfex::app
