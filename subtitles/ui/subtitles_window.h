// The Subtitles window: the store's subtitles as the lines of the output format, the save commands and the conversion panel.
#pragma once

#include "core/text_codec.h"
#include "core/time_code.h"
#include "core/user_prompt.h"
#include "subtitles/output_format.h"
#include "subtitles/renderer.h"
#include "subtitles/store_subtitle_sink.h"
#include "subtitles/subtitle_saver.h"
#include "subtitles/subtitle_store.h"

#include <QByteArray>
#include <QFont>
#include <QList>
#include <QMainWindow>
#include <QString>

#include <functional>
#include <optional>

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QListWidget;
class QMenu;
class QPushButton;
class QToolButton;

namespace glyfex::app {
class App;
}

namespace glyfex::subtitles::ui {

class SubtitlesWindow : public QMainWindow, public StoreView {
    Q_OBJECT
public:
    // The conversion panel: load mode after an ANSI file was read (pick the page, read again),
    // save mode before an ANSI save (pick the page, save).
    enum class PanelMode { Load, Save };

    SubtitlesWindow(app::App &app, QWidget *parent);
    ~SubtitlesWindow() override;

    SubtitleStore &store() { return m_store; }
    const SubtitleStore &store() const { return m_store; }
    Renderer &renderer() { return m_renderer; }

    // --- what the other windows use -------------------------------------------------------------

    OutputFormat outputFormat() const { return m_renderer.format(); }
    // Takes a format (from the configuration or the Output Format dialog) and rebuilds the list;
    // an invalid frame rate in the options is refused and nothing changes. The application's
    // configuration keeps the format.
    core::Result<void> setOutputFormat(OutputFormat format);
    core::Result<void> setOutput(OutputFormat format, const FormatOptions &options);
    const QString &fileName() const { return m_fileName; }
    // Keeps name as the window's file name; the caption and the save dialog show it without its
    // folder and with the extension of the output format.
    void setSubtitleFileName(const QString &name);
    // The name the save dialog starts with ("NewFile.gxt" at first).
    const QString &saveDialogFileName() const { return m_saveName; }
    bool isModified() const { return m_renderer.isModified(); }
    bool loadedFromFile() const { return m_loadedFromFile; }
    // Subtitles read from a file have no DVD colours: the picture scripts write the presets' colours
    // for them. A run's Start clears the mark, and the list is shown again as it will now be saved.
    void setLoadedFromFile(bool on);
    bool isUnicode() const { return m_renderer.isUnicode(); }
    // The code page of ANSI files, as the code-page list shows it; 0 (the system page, 1252 here)
    // until a charset or page is chosen.
    uint16_t codePage() const { return m_codePage; }
    uint8_t textCharset() const { return m_textCharset; }
    int filterIndex() const { return m_filterIndex; }
    void setFilterIndex(int index) { m_filterIndex = index; }
    // Raw lines of the last ANSI file read, shown decoded while the panel is in load mode.
    void setRawLines(const QList<QByteArray> &lines) { m_rawLines = lines; }

    // A subtitle was added to the store (rendered at the end of the list) or merged into the last
    // one (the list is rebuilt). Keeps the count label and the main window's count in step.
    void subtitleAdded(const AddReport &report) override;
    // Pictures skipped as too small or too short in this run: shown beside the count when any.
    void showSkippedCount(int count);
    // Lines of this run's pictures that could not be read: shown beside the skipped pictures when any.
    void showUnreadLines(int count);
    // Appends the lines of subtitle index (1-based) and scrolls down when V is ticked.
    void renderSubtitle(int index);
    // Clears and refills the whole list from the store.
    void rebuildSubtitleText();
    // Takes back the lines of the last subtitle (to render it again once its stop is known).
    void removeLastSubtitleLines();

    // Clear: asks first when the text is not saved; false when the user kept it.
    bool clearSubtitles();
    // Clear's question alone, for a command that clears later (a Start on a new text): Yes when the
    // text may go (it is saved, or the user said so), else No.
    core::Answer askToClear();
    // Clear when the user has chosen so elsewhere (a Start on a new text).
    void clearWithoutQuestion();
    // The store was emptied or changed by another window (the input dialog's Clear or Start): the
    // list, the count and the file name follow it.
    void followStore();
    // StoreView: the run's subtitles, listed as the sink adds them.
    void lastStopChanging() override { removeLastSubtitleLines(); }
    void lastStopChanged() override { renderSubtitle(m_store.count()); }
    // Save As with the question between Unicode and a code page.
    void saveAs();
    // The code-page panel's Save: writes ANSI in the chosen page.
    void saveAnsi();
    // Save As for one part of a split file: the same Unicode question and file dialog, but an ANSI
    // text is written at once in the code page chosen now, since the next part replaces the text
    // before the conversion panel could be used. The saved file's path; empty when nothing was
    // saved (the user cancelled, the part is empty, or writing failed and was reported).
    QString saveSplitPart();

    // Split mode: rendering and saving keep to the range (see Renderer::setSplit). The caller rebuilds.
    bool splitMode() const { return m_renderer.splitMode(); }
    const SplitRange &splitRange() const { return m_renderer.splitRange(); }
    void setSplit(bool on, const SplitRange &range) { m_renderer.setSplit(on, range); }
    // The Done button: in load mode the file is read again (through the loader, when there is one).
    void done();

    // The conversion panel.
    void showConversionPanel(PanelMode mode);
    void hideConversionPanel();
    bool conversionPanelShown() const;
    PanelMode panelMode() const { return m_panelMode; }
    // Chooses a charset by its name in the charset list (the code page follows it).
    void chooseCharsetName(const QString &name);
    // Chooses the list font by family name; its charsets refill the charset list.
    void chooseFontName(const QString &family);

    // Frame-rate boxes that show the same rate as this window's (the Output Format dialog's four).
    void linkFrameRateBoxes(const QList<QComboBox *> &boxes);
    // A frame rate given by a source (an image-sequence script): the boxes and the frame-number formats take it.
    void setFrameRateText(const QString &text);
    // From code (sender null): copies this window's rate into the linked boxes; from a change in
    // any box: copies that box's text into the others and into this window's.
    void frameRateChanged(QComboBox *sender);

    // The Open command: asks about unsaved text, takes a file name and hands it to the loader.
    // Without a loader the Open command is disabled and dropped files are refused.
    using Loader = std::function<void(const QString &path, bool firstLoad)>;
    void setLoader(Loader loader);
    void openFile();
    // Reads a subtitle file into the store in place of what is there (the program's loader). A first load
    // reads files without a byte-order mark in the default charset's code page, a load from Done in the
    // chosen one. A file that cannot be read, is not recognised, or whose reading the user cancels leaves
    // the subtitles, their unsaved state and the options as they were.
    void loadSubtitleFile(const QString &path, bool firstLoad);
    QString openDialogFileName() const { return m_openName; }
    // Where the open and save dialogs start (kept in the configuration).
    const QString &openFolder() const { return m_openFolder; }
    const QString &saveFolder() const { return m_saveFolder; }
    void setDialogFolders(const QString &open, const QString &save)
    {
        m_openFolder = open;
        m_saveFolder = save;
    }

    // The font question of bbSetFont; tests answer it. Empty: the user cancelled.
    using FontAsker = std::function<std::optional<QFont>(QWidget *parent, const QFont &current)>;
    void setFontAsker(FontAsker asker) { m_fontAsker = std::move(asker); }
    void chooseListFont();
    // The same question for another window's font (the Output Format dialog's); the list takes the
    // answer through useListFont.
    std::optional<QFont> askFont(QWidget *parent, const QFont &current) const;
    void useListFont(const QFont &font);

    // Command-line mode saves to this name + "." + the format's extension, without any dialog.
    void setCommandLineOutput(const QString &baseName) { m_commandLineOutput = baseName; }

    // The source file that names an ANSI save by default (the video or the first VOB of the run). The save
    // dialog then starts in its folder: the text belongs beside what it was read from, not wherever the
    // program was started.
    void setSourceFileName(const QString &path);
    // A run that saves pictures named base...: the text (their timing script) takes the pictures'
    // name, and Save As starts in their folder, so that the script lands beside its pictures.
    void followPictureBase(const QString &base);
    // The video viewer saves its pictures into this folder: each save writes index.bms there with the
    // renderer's timing entries. Empty: no index.
    void setViewerIndexFolder(const QString &folder) { m_viewerIndexFolder = folder; }
    // The language of the characters (the New Character(s) dialog's location box), which names an
    // ANSI save too.
    void setLanguageText(std::function<QString()> language) { m_languageText = std::move(language); }

    QListWidget *list() const { return m_list; }

    // Under the main window, as wide as it and ending at its bottom edge, as the program places it at its
    // first showing and whenever the main window asks: until the user moves it somewhere else, from
    // then on it stays where the user put it.
    void placeUnderMainWindow();

    // Once shown, the windows beside the run that it would cover (the video viewer) are kept over it.
    void setVisible(bool visible) override;

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void buildMenus();
    QWidget *buildConversionPanel();
    QWidget *buildCommandPanel();
    void syncListTail();
    void refreshList();
    void updateCount();
    void updateUnicodeLabel();
    void setMenusEnabled(bool on);
    void setIndexQuietly(QComboBox *box, int index);
    void fontChanged();
    void charsetChanged();
    void codePageChanged();
    void previewRawLines();
    void showModalForm(const char *formName);
    void outputFormatDialog();
    void applyListFont(const QFont &font);
    // The saved path, or empty when nothing was saved.
    QString saveToFile(bool unicode);
    void updatePictureScriptSource();
    // A bitmap name the script would split: the user says whether to save anyway.
    bool warnAboutScriptNames();
    void warnOverlappingTimes();
    uint16_t effectiveCodePage() const { return core::TextCodec::resolve(m_codePage); }

    app::App &m_app;
    SubtitleStore &m_store; // the program's store, which the application holds
    int m_shownCount = 0;   // subtitles the list was last built or extended with
    Renderer m_renderer;

    QString m_fileName = QStringLiteral("NewFile");
    QString m_saveName;            // SaveDialogText's file name
    QString m_saveFilter;
    QString m_saveFolder;          // where the save dialog starts
    QString m_openName;            // OpenDialogGlyfexText's file name
    QString m_openFolder;
    QString m_commandLineOutput;
    QString m_sourceFile;
    QString m_viewerIndexFolder;
    int m_filterIndex = 7;         // the "Glyfex (*.gxt)" filter
    bool m_loadedFromFile = false;
    bool m_unicodeAfterRender = false; // what Save As found, restored after an ANSI save
    uint16_t m_codePage = 0;
    uint8_t m_textCharset = 1;
    QList<QByteArray> m_rawLines;
    PanelMode m_panelMode = PanelMode::Load;
    QList<QComboBox *> m_linkedRates;
    bool m_syncingRates = false;
    bool m_scrollWhenShown = false; // a subtitle came while the window was hidden
    std::optional<QPoint> m_placedAt; // where the program last put the window
    int m_widthBeforePanel = 0;       // the width the conversion panel found
    bool m_fillingCharsets = false;
    Loader m_loader;
    std::function<QString()> m_languageText;
    FontAsker m_fontAsker;

    QMenu *m_fileMenu = nullptr;
    QMenu *m_correctionsMenu = nullptr;
    QMenu *m_formatMenu = nullptr;
    QAction *m_saveAsAction = nullptr;
    QAction *m_openAction = nullptr;

    QFrame *m_conversion = nullptr;
    QLabel *m_labelFont = nullptr;
    QToolButton *m_setFont = nullptr;
    QComboBox *m_fontBox = nullptr;
    QComboBox *m_charsetBox = nullptr;
    QComboBox *m_codePageBox = nullptr;
    QPushButton *m_done = nullptr;
    QPushButton *m_save = nullptr;

    QWidget *m_panel1 = nullptr;
    QLabel *m_count = nullptr;
    QLabel *m_skip = nullptr;
    QLabel *m_unread = nullptr;
    QComboBox *m_fps = nullptr;
    QLabel *m_subFormat = nullptr;
    QCheckBox *m_format = nullptr;
    QCheckBox *m_scrollDown = nullptr;
    QListWidget *m_list = nullptr;
};

} // namespace glyfex::subtitles::ui
