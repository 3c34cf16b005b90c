// The main window: menus and commands, the preview with its options, the run's counters and the batch timer.
#pragma once

#include "core/result.h"
#include "picture/rect.h"
#include "ripping/batch_state.h"
#include "ripping/process_priority.h"

#include <QElapsedTimer>
#include <QFont>
#include <QImage>
#include <QMainWindow>
#include <QPoint>
#include <QTimer>

#include <functional>

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QScreen;
class QButtonGroup;
class QSpinBox;

namespace glyfex::app {
class App;
}

namespace glyfex::ripping::ui {

// Runs the reading pass over one file of the batch, from batch.resumePos; it returns when the file is
// done (batch.currentFile moved on), when the run pauses, or when the file is missing. The
// application's run implements it; the batch timer's own tests give one that only records.
class BatchFileReader {
public:
    virtual ~BatchFileReader() = default;
    virtual void readFile(const QString &path) = 0;
};

class PreviewScreen;

// The screen a window is on: the one under its centre, else the one Qt gives it.
QScreen *screenOf(const QWidget &window);
// Places `window` under `main`, as wide as it and ending at its bottom edge, moved (and cut) as far as
// needed to lie on the available area of main's screen.
void placeUnder(QWidget &window, const QWidget &main);
// Moves a shown window (and cuts it, when it is larger) onto its screen's available area; a maximised or
// full-screen one is left as it is.
void keepWindowOnScreen(QWidget &window);

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(app::App &app);
    ~MainWindow() override;

    // The batch driver, run by the 500 ms timer: starts the reading pass on the current file when
    // nothing runs and the run is not paused.
    void batchTick();
    // Who reads each file of the batch (the application's run); nothing is read without one.
    void setFileReader(BatchFileReader *reader) { m_fileReader = reader; }
    // Pause / Continue. sender is the control that asked; only the main window's own button counts
    // as a press of it (the pass then resumes at the next sector rather than at the unit's start).
    void togglePause(QObject *sender);

    // Shows a picture in the preview: at the preview zoom when zoomed, else at its own size.
    void showSubtitlePicture(const QImage &picture, const picture::Rect &rect, bool zoomed);
    void clearPreviewPicture();
    // The run's displays as Start leaves them: bar at 0, position, clocks at zero.
    void resetRunDisplays();
    // read and total in bytes over all files of the run; the percentage read.
    int showReadProgress(int64_t read, int64_t total);
    // A reading pass's percentage in the title, so that the taskbar tells how far the run is; the
    // program's name and version come back when the run is over.
    void showRunPercent(int percent);
    void showProgramTitle();
    void setSubpictureCounts(int inFile, int inRun);
    void setChapterCount(int cells);
    void setRunTimes(const QString &cellTime, const QString &clockTime);
    // The frame size became known or changed: preview height, bar limits, the standard label, and the
    // bitmap presets and Bitmap adjustment limits of the frame's height.
    void applyFrameSize();
    // The preview options as the configuration left them: controls, background and zoom.
    void applyPreviewSettings();

    void setPriorityHandler(std::function<core::Result<void>(PriorityLevel)> handler);
    bool priorityTicked(PriorityLevel level) const;
    void choosePriority(PriorityLevel level);
    // The configuration's choice at start: applied when the process may take it, else left unticked.
    void restorePriority(int level);
    int priorityLevel() const { return m_priorityLevel; }

    // Closing waits for a running pass: true while a close is pending for the pass to return.
    bool closePending() const { return m_closePending; }
    void renewDragStamp() { m_dragClock.start(); }

    PreviewScreen *previewScreen() const { return m_preview; }
    int screenZoom() const { return m_screenZoom; }
    // "Show Pict.": the save actions show each picture too.
    bool showPictures() const;
    void setShowPictures(bool on);
    // The controller's Next hands the focus back to "Show Pict.".
    void focusShowPictures();
    // A question paused the run from elsewhere (the New Character(s) dialog): the button says Continue.
    void showRunPaused();

    // File > Open Image Sequence, which the application's run takes over.
    QAction *imageSequenceAction() const { return m_openSequence; }
    // File > Open Hard Subbed Video Files; the Open Video button triggers it too.
    QAction *videoAction() const { return m_openVideo; }
    // The five commands that open a source (VOBs, an image sequence, a video, from the menu and the
    // buttons), disabled while a video is open in the viewer.
    void setOpenCommandsEnabled(bool enabled);
    // The video viewer's frame in the progress bar (0..last) and the position label; reset() gives the
    // bar back to the run's percentages.
    void showFramePosition(int position, int last);
    void resetFramePosition();
    // What the preview shows, as its hint (empty: none).
    void setPreviewHint(const QString &hint);
    // A source that runs its own loop (an image sequence) holds the batch timer and the Pause button.
    void setBatchTimerActive(bool active);
    bool batchTimerActive() const { return m_batchTimer.isActive(); }
    void setPauseAvailable(bool available);
    bool pauseAvailable() const;
    // The button's caption as it stands ("Pause" or "Continue"), to be put back after such a loop.
    QString pauseCaption() const;
    void setPauseCaption(const QString &caption);
    // The file being read, in the information panel.
    void showSourceName(const QString &name);

    // The "Characters Matrix" menu's commands, disabled until the run's matrix commands take them over.
    struct MatrixActions {
        QAction *edit = nullptr; // shows the matrix editor
        QAction *open = nullptr;
        QAction *save = nullptr;
        QAction *saveAs = nullptr;
        QAction *newMatrix = nullptr;
    };
    const MatrixActions &matrixActions() const { return m_matrixActions; }
    // Options > GUI Language, filled with the installed language files.
    QMenu *languageMenu() const { return m_languageMenu; }
    // The room the window has on the screen is known only once it is shown, and its title bar and
    // borders once the window manager has framed it: the preview fitted before is fitted again.
    void fitToFrame();

public Q_SLOTS:
    void openVob();
    // Shows the translators' buttons "Save Lang" and "Upd All Lang" (the /lang start).
    void showLanguageTools();

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void buildMenus();
    // "Save Lang" writes the master language file, "Upd All Lang" every language's file.
    void runLanguageTool(bool updateAll);
    QWidget *buildCommandRow();
    QGroupBox *buildPreviewOptions();
    QWidget *buildInfoPanel();
    void runPass(const QString &path);
    void toggleSubtitlesWindow();
    void placeSubtitlesWindow();

    void sizePreviewArea(int zoom);
    // The input's frame as the preview imitates it, and the room the window leaves the screen for it.
    QSize previewFrame() const;
    QSize previewRoom();
    void keepOnScreen();
    void growToContent();
    // The position label keeps room for the widest text it will show, so that it keeps its size.
    void reservePositionRoom(const QString &widest);
    void placePreviewPicture(int zoom);
    void drawPreviewBackground();
    void readPreviewOptions();
    void previewOptionChanged();
    void zoomBoxChanged();
    void applyAutoZoom();
    void aspectRatioChanged();
    void freeBarsChanged();
    void chooseColour(QPushButton *panel);
    void chooseBackgroundImage();
    void togglePreviewOptions();
    void loadPreviewControls();

    app::App &m_app;
    BatchFileReader *m_fileReader = nullptr;
    QTimer m_batchTimer;
    bool m_closePending = false;
    bool m_previewReady = false;
    picture::Rect m_shownRect;
    QImage m_shownPicture;
    bool m_shownZoomed = true;
    int m_screenZoom = 1000; // the zoom the preview screen is shown at: the chosen one, or less to fit the screen
    QSize m_fittedDecorations; // the title bar and borders the preview was last fitted with
    bool m_fittedShown = false; // ... and whether the window was shown then
    QElapsedTimer m_dragClock;
    QPoint m_dragOrigin;
    std::function<core::Result<void>(PriorityLevel)> m_setPriority;
    int m_priorityLevel = int(PriorityLevel::Normal); // the level the process has; -1 when unknown

    QAction *m_openVob = nullptr;
    QAction *m_openSequence = nullptr;
    QAction *m_openVideo = nullptr;
    QPushButton *m_buttonOpenVideo = nullptr;
    QAction *m_quit = nullptr;
    QAction *m_priority[4] = {};
    QPushButton *m_buttonOpenVob = nullptr;
    QPushButton *m_buttonPause = nullptr;
    QPushButton *m_internalButton1 = nullptr;
    QPushButton *m_internalButton2 = nullptr;
    QPushButton *m_buttonShowSubtitles = nullptr;
    QPushButton *m_buttonPreviewOption = nullptr;
    QCheckBox *m_showSubPict = nullptr;
    MatrixActions m_matrixActions;
    QMenu *m_languageMenu = nullptr;

    PreviewScreen *m_preview = nullptr;
    QLabel *m_image = nullptr; // the picture's name for language files, and its hint
    QWidget *m_previewHost = nullptr;
    QGroupBox *m_previewOptions = nullptr;
    QCheckBox *m_truePos = nullptr;
    QCheckBox *m_transparent = nullptr;
    QSpinBox *m_zoomBox = nullptr;
    QCheckBox *m_autoZoom = nullptr;
    QButtonGroup *m_backMode = nullptr;
    QComboBox *m_aspectRatio = nullptr;
    QSpinBox *m_freeBars = nullptr;
    QLabel *m_ratioPanel = nullptr;
    QPushButton *m_borderColour = nullptr;
    QPushButton *m_innerColour = nullptr;
    QPushButton *m_imageBack = nullptr;

    QLabel *m_vobFile = nullptr;
    QLabel *m_vobNum = nullptr;
    QLabel *m_vobNb = nullptr;
    QLabel *m_nbSup = nullptr;
    QLabel *m_totalNbSup = nullptr;
    QLabel *m_chapters = nullptr;
    QLabel *m_fps = nullptr;
    QLabel *m_time = nullptr;
    QLabel *m_time7 = nullptr;
    QLabel *m_pos = nullptr;
    // The width of the widest text the position will show in this font: measured once, since measuring
    // lays the text out and the position changes after each subtitle or video frame.
    QString m_posWidthText;
    QFont m_posWidthFont;
    int m_posWidth = 0;
    QLabel *m_elapsed = nullptr;
    QLabel *m_remaining = nullptr;
    QLabel *m_rectLabels[6] = {}; // X1, Y1, X2, Y2, width, height
    QProgressBar *m_progress = nullptr;
};

} // namespace glyfex::ripping::ui
