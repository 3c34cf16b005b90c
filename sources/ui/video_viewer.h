// The video file viewer: one frame of a video with burned-in subtitles, the analysed region and text colour picked on it, and the run's controls.
#pragma once

#include "core/messages.h"
#include "picture/rect.h"
#include "sources/avi_player.h"
#include "sources/frame_analysis.h"
#include "sources/video_run.h"

#include <QImage>
#include <QWidget>

#include <array>
#include <functional>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QScrollArea;
class QSlider;
class QSpinBox;

namespace glyfex::sources::ui {

class FrameView;

// One window for the program's lifetime (objectName "Form21"). It owns the player and the analysis; the
// application opens videos into it, runs it and follows its signals into the main window.
class VideoViewer : public QWidget {
    Q_OBJECT
public:
    explicit VideoViewer(const core::MessageTable *messages = nullptr, QWidget *parent = nullptr);
    ~VideoViewer() override;

    // The player opens the file (any name closes the video shown so far). On failure nothing is open.
    core::Result<void> openFile(const QString &file, core::PassHost *host = nullptr);
    // Shows the opened video at frame 1 with the default region: ranges, sizes, Run disabled and Close
    // enabled. fpsX1000 is the file's rate or the one the user typed. When frame 1 cannot be decoded the
    // viewer shows a black frame in its place; when frame 0 cannot either, it fails and leaves the video
    // closed.
    core::Result<void> startVideo(int fpsX1000);
    // Close: the run and playing stop, the player closes and the window hides.
    void closeVideo();

    bool videoOpen() const { return m_videoOpen; }
    int fpsX1000() const { return m_fpsX1000; }
    const QString &videoFileName() const { return m_videoFileName; }
    int position() const;
    void setPosition(int position);
    int lastFrame() const;
    const picture::Rect &region() const { return m_region; }
    // The region as a right-button drag from (left, top) to (right, bottom) sets it; false when refused.
    bool setRegion(const picture::Rect &dragged);
    // A left click on frame pixel (x, y): a colour pick inside the region.
    void clickFrame(int x, int y);
    bool colourPicked() const { return m_colourPicked; }
    bool saveChecked() const;
    sources::VideoRunOptions runOptions() const;
    AviPlayer &player() { return m_player; }
    FrameAnalysis &analysis() { return m_analysis; }
    const BgrFrame &frame() const { return m_frame; }
    const QImage &shownImage() const;

    // The run's flag: Stop, Close and the last frame set it; a run clears it when it starts.
    bool stopped() const { return m_stopped; }
    void setStopped(bool stopped) { m_stopped = stopped; }
    bool playing() const { return m_playing; }
    // The controls a run leaves to the user (Stop in Run's place), or all of them again afterwards.
    void setRunning(bool running);
    // While a run waits for the main window's pause: Prev. takes back the last subtitle.
    void setPrevEnabled(bool enabled);
    // A frame the run has drawn and analysed.
    void showRunFrame(int pos, const BgrFrame &frame);
    // The frame a subtitle was found on, shown when it goes to recognition.
    void showFrame(const BgrFrame &frame);
    // The current frame drawn and analysed again (a full analysis).
    void refreshFrame();

    // The commands, as their buttons run them.
    void play();
    void pause();
    void rewind();
    void stop();

Q_SIGNALS:
    // The frame at pos (of last) is shown; analysed says the mask in analysis() belongs to it.
    void frameShown(int pos, int last, bool analysed);
    void runRequested();
    void prevRequested();
    void stopRequested();
    void videoClosed();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    friend class FrameView;
    enum Kind { Text = 0, Outline = 1, Fatten = 2 };

    QWidget *buildCommands();
    QGroupBox *buildLineOptions();
    QGroupBox *buildColourOptions();
    QSpinBox *spin(const char *name, int min, int max, int value, QWidget *parent);
    QCheckBox *check(const char *name, const QString &caption, bool checked, QWidget *parent);
    QPushButton *button(const char *name, const QString &caption, QWidget *parent);
    QLabel *swatch(const char *name, QWidget *parent);

    void positionChanged(int position);
    void drawFocus();
    void syncOptions();
    void toleranceChanged(Kind kind, int channel);
    void applyRanges();
    void showSwatches();
    void showMode();
    void showMode(int message, QColor colour);
    void setPanelColour(QWidget *panel, const Rgb &colour);
    void chooseColour(Kind kind);
    void lineOptionsChanged();
    void durationChanged();
    void toggleOptionPanel(QGroupBox *panel);
    void fitWindow();
    void keepRowsWhole();
    void scrollToRegion();
    void regionPressed(int x, int y);
    void regionMoved(int x, int y);
    void regionReleased(int x, int y);
    QString text(int message, const char *fallback) const;

    const core::MessageTable *m_messages;
    AviPlayer m_player;
    FrameAnalysis m_analysis;
    BgrFrame m_frame;

    bool m_stopped = false;
    bool m_dragging = false;
    bool m_playing = false;
    bool m_colourPicked = false;
    bool m_videoOpen = false;
    bool m_running = false;
    bool m_closeAfterRun = false; // closed while a run went on
    int m_fpsX1000 = 0;
    picture::Rect m_region;
    picture::Rect m_dragRect; // while dragging: the region as pressed and moved, not yet ordered
    QString m_videoFileName;
    Rgb m_textColour{255, 255, 255};
    Rgb m_outlineColour{0, 0, 0};
    // The tolerances last applied, [kind][channel], and the guards of their "Change all" linking.
    std::array<std::array<int, 3>, 3> m_lastTolerance{};
    std::array<bool, 3> m_propagate{true, true, true};

    QScrollArea *m_panelVideo = nullptr;
    FrameView *m_imageVideo = nullptr;
    QWidget *m_commandPanel = nullptr;
    QPushButton *m_process = nullptr;
    QPushButton *m_stopVideo = nullptr;
    QPushButton *m_play = nullptr;
    QPushButton *m_pause = nullptr;
    QPushButton *m_rewind = nullptr;
    QPushButton *m_prevSub = nullptr;
    QPushButton *m_closeVideo = nullptr;
    QSlider *m_position = nullptr;
    QSpinBox *m_frameNo = nullptr;
    QSpinBox *m_diffTol = nullptr;
    QSpinBox *m_minPixels = nullptr;
    QSpinBox *m_skipFirst = nullptr;
    QSpinBox *m_minDuration = nullptr;
    QSpinBox *m_updateEvery = nullptr;
    QCheckBox *m_save = nullptr;
    QLabel *m_mode = nullptr;

    QLabel *m_textColourPanel = nullptr;
    QLabel *m_outlineColourPanel = nullptr;
    QSpinBox *m_textLineWidth = nullptr;
    QSpinBox *m_outlineWidth = nullptr;
    QCheckBox *m_useOutline = nullptr;
    QCheckBox *m_fillOpen = nullptr;
    QCheckBox *m_fillLarge = nullptr;
    QCheckBox *m_fatten = nullptr;
    QLabel *m_outlineLabel = nullptr;
    QLabel *m_outlineLabel2 = nullptr;
    QLabel *m_fattenLabel = nullptr;
    QPushButton *m_lineOptionsButton = nullptr;
    QPushButton *m_colourOptionsButton = nullptr;

    QGroupBox *m_lineOptions = nullptr;
    QCheckBox *m_drawLines = nullptr;
    QCheckBox *m_fillSides = nullptr;
    QSpinBox *m_lineCount = nullptr;
    QSpinBox *m_topOffset = nullptr;
    QSpinBox *m_lineHeight = nullptr;
    QSpinBox *m_space = nullptr;
    QGroupBox *m_align = nullptr;
    QButtonGroup *m_alignGroup = nullptr;

    QGroupBox *m_colourOptions = nullptr;
    std::array<std::array<QSpinBox *, 3>, 3> m_tolerance{}; // [kind][channel]
    std::array<QCheckBox *, 3> m_changeAll{};               // [kind]
    QLabel *m_textMin = nullptr;
    QLabel *m_textMax = nullptr;
    QLabel *m_fattenMin = nullptr;
    QLabel *m_fattenMax = nullptr;
    QLabel *m_outlineMin = nullptr;
    QLabel *m_outlineMax = nullptr;
};

} // namespace glyfex::sources::ui
