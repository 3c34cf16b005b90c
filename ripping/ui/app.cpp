// The application object: shared state, the prompt seams and the windows in their fixed creation order.
#include "ripping/ui/app.h"

#include "core/ui/message_box_prompt.h"
#include "ripping/ui/input_dialog.h"
#include "ripping/ui/main_window.h"
#include "ripping/ui/progress_controller.h"
#include "ripping/ui/shell_window.h"
#include "ripping/ui/stream_scan_window.h"
#include "subtitles/ui/subtitles_window.h"

#include <QCoreApplication>
#include <QDir>

namespace glyfex::ripping::ui {

App::App() : paths(core::Paths::systemFolders())
{
    appDir = QCoreApplication::applicationDirPath();
    if (!appDir.endsWith(QLatin1Char('/')))
        appDir += QLatin1Char('/');
    m_ownPrompt = std::make_unique<core::ui::MessageBoxPrompt>();
    m_prompt = m_ownPrompt.get();
}

App::~App()
{
    // Later windows may refer to earlier ones (the main window above all): free them in reverse order.
    for (auto it = m_windows.rbegin(); it != m_windows.rend(); ++it)
        delete *it;
}

void App::createWindows()
{
    if (!m_windows.empty())
        return;
    m_mainWindow = new MainWindow(*this);
    m_windows.push_back(m_mainWindow);
    auto shell = [this](const char *form, const char *caption) {
        m_windows.push_back(new ShellWindow(QString::fromLatin1(form), QString::fromLatin1(caption), m_mainWindow));
    };
    shell("Form2", "New Character(s)");
    m_windows.push_back(new subtitles::ui::SubtitlesWindow(*this, m_mainWindow));
    shell("Form4", "Advanced OCR Setup");
    shell("Form5", "View/Edit Character Matrix");
    m_inputDialog = new InputDialog(*this, m_mainWindow);
    m_windows.push_back(m_inputDialog);
    shell("Form21", "Video Viewer");
    shell("Form22", "AviSynth script");
    shell("Form10", "Post OCR Correction");
    m_progressController = new ProgressController(*this, m_mainWindow);
    m_windows.push_back(m_progressController);
    shell("Form12", "About Glyfex");
    shell("Form13", "Output Format");
    shell("Form14", "Time Correction");
    shell("Form15", "OCR Assistant");
    shell("Form16", "Global Options");
    shell("Form17", "Time Range");
    shell("Form18", "Bitmap adjustment");
    m_streamScan = new StreamScanWindow(*this, m_mainWindow);
    m_windows.push_back(m_streamScan);
    shell("Form20", "Check New Version");

    // The matrix folder must exist before any matrix is saved; a folder that cannot be made is
    // no reason to stop here: saving a matrix there will say what failed.
    (void)paths.createMissingFolders();
}

QWidget *App::window(const QString &formName) const
{
    for (QWidget *w : m_windows) {
        if (w->objectName() == formName)
            return w;
    }
    return nullptr;
}

void App::setPrompt(core::UserPrompt *prompt)
{
    m_prompt = prompt ? prompt : m_ownPrompt.get();
}

void App::setFileChooser(core::ui::FileChooser *files)
{
    m_files = files ? files : &m_dialogFiles;
}

} // namespace glyfex::ripping::ui
