// The application object: the program's state and its windows, created once in their fixed order.
#pragma once

#include "core/bmp_out_settings.h"
#include "core/config.h"
#include "core/messages.h"
#include "core/paths.h"
#include "core/ui/file_chooser.h"
#include "core/user_prompt.h"
#include "ripping/batch_state.h"
#include "app/settings_blocks.h"
#include "ripping/start_request.h"
#include "subtitles/export_bitmap.h"
#include "subtitles/store_subtitle_sink.h"
#include "subtitles/subtitle_store.h"

#include <QElapsedTimer>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class QWidget;

namespace glyfex::core::ui {
class LanguageApplier;
}
namespace glyfex::subtitles::ui {
class SubtitlesWindow;
}

namespace glyfex::sources::ui {
class VideoViewer;
}

namespace glyfex::ripping::ui {
class MainWindow;
class InputDialog;
class ProgressController;
class StreamScanWindow;
}

namespace glyfex::app {

class RunWiring;
class ScreenKeeper;

class App {
public:
    // folders: where the configuration and data live (the system's, or a test's scratch folders).
    explicit App(const core::Paths::Folders &folders = core::Paths::systemFolders());
    ~App();
    App(const App &) = delete;
    App &operator=(const App &) = delete;

    // Creates every window in the program's fixed order (Form1 first, the application's main window).
    void createWindows();
    // The first showing's settings: the configuration and bitmap presets into the state and the
    // windows, the language menu and the interface language. Not in command-line mode.
    void loadSettings();
    // At close: the state and the windows back into the configuration file, with the presets.
    // Nothing is written unless the settings were loaded; a failure is reported and closing goes on.
    void saveSettings();
    bool settingsLoaded() const { return m_settingsLoaded; }
    // Applies a language file by its name (empty: the built-in English texts).
    void applyLanguage(const QString &name);
    // What puts language files into the windows and writes them; null until the settings are loaded.
    core::ui::LanguageApplier *language() const { return m_language.get(); }

    // Windows in creation order; their objectName is their form name.
    const std::vector<QWidget *> &windows() const { return m_windows; }
    QWidget *window(const QString &formName) const;
    // A window that needs state made after createWindows takes the place of the shell with its form
    // name, keeping the creation order; the application owns it from then on.
    void adoptWindow(QWidget *window);
    ripping::ui::MainWindow *mainWindow() const { return m_mainWindow; }
    ripping::ui::InputDialog *inputDialog() const { return m_inputDialog; }
    ripping::ui::ProgressController *progressController() const { return m_progressController; }
    ripping::ui::StreamScanWindow *streamScanWindow() const { return m_streamScan; }
    subtitles::ui::SubtitlesWindow *subtitlesWindow() const { return m_subtitlesWindow; }
    sources::ui::VideoViewer *videoViewer() const { return m_videoViewer; }

    // Questions and file dialogs go through these so a test can answer them.
    core::UserPrompt &prompt() { return *m_prompt; }
    void setPrompt(core::UserPrompt *prompt);
    core::ui::FileChooser &files() { return *m_files; }
    void setFileChooser(core::ui::FileChooser *files);

    // Where a file dialog starts: the folder it was last left in, else the user's home; never the
    // program's own folder, where a system install keeps nothing of the user's.
    QString dialogFolder(const QString &remembered) const;

    // The interface text of a message number (the built-in English until a language file replaces it).
    QString message(int index) const { return messages.text(index); }

    QString appDir;                 // the program's folder, with a trailing '/'
    core::Paths paths;
    core::MessageTable messages;
    core::Config config;            // the settings kept between runs; config.options is the live Global Options
    core::BmpOutPresets presets;
    ripping::BatchState batch;
    ripping::PreviewSettings preview;
    ripping::InputInfo input;
    QElapsedTimer runClock;         // started by Start: elapsed and remaining time of the run
    // Settings blocks the configuration fills at start and takes back at close.
    recognition::OcrSettings ocr; // the recognition tuning the driver reads (Advanced OCR Setup's values)
    subtitles::FormatOptions formatOptions; // what the output-format writers read (the format: config.main.activePage)
    int inputType = 7;            // filter of the Subtitles window's open dialog, 1-13
    bool commandLineMode = false;
    bool videoOpen = false;         // the video viewer has a video: the batch timer does nothing
    bool abortSequence = false;     // stops the image-sequence reader
    subtitles::SubtitleStore subtitles; // the subtitle store
    subtitles::StoreSubtitleSink subtitleSink{subtitles}; // the one way the run adds picture subtitles
    // The run: matrix, recognition driver and the reading pass through the windows (made with them).
    RunWiring &run() { return *m_run; }
    // The subtitles differ from what was last saved (the Subtitles window keeps the one flag).
    bool textModified() const;
    // The export-bitmap engine of every run, which takes the current bitmap-export settings and the
    // frames at every picture; its background choice carries over from run to run.
    subtitles::ExportBitmapEngine &exportEngine();
    // The rows of the frame the bitmaps are exported onto: the input's, or for an HD input the DVD frame
    // of the standard the scripts are written in (core::exportFrameHeight).
    int exportFrameHeight() const;

private:
    std::vector<QWidget *> m_windows;
    ripping::ui::MainWindow *m_mainWindow = nullptr;
    ripping::ui::InputDialog *m_inputDialog = nullptr;
    ripping::ui::ProgressController *m_progressController = nullptr;
    ripping::ui::StreamScanWindow *m_streamScan = nullptr;
    subtitles::ui::SubtitlesWindow *m_subtitlesWindow = nullptr;
    sources::ui::VideoViewer *m_videoViewer = nullptr;

    std::unique_ptr<RunWiring> m_run;
    std::unique_ptr<ScreenKeeper> m_screenKeeper; // every window on the screen
    subtitles::ExportBitmapEngine m_exportEngine;
    std::unique_ptr<core::ui::LanguageApplier> m_language;
    bool m_settingsLoaded = false;
    std::unique_ptr<core::UserPrompt> m_ownPrompt;
    core::UserPrompt *m_prompt = nullptr;
    core::ui::DialogFileChooser m_dialogFiles;
    core::ui::FileChooser *m_files = &m_dialogFiles;
};

} // namespace glyfex::app
