// Joins a run through the program's windows: the reading pass with the windows as its host, recognition, the Subtitles window and the matrix.
#pragma once

#include "recognition/char_matrix.h"
#include "recognition/glyph_asker.h"
#include "recognition/run_control.h"
#include "ripping/spu_dispatch.h"
#include "ripping/ui/main_window.h"
#include "ripping/vob_source_run.h"

#include <QObject>
#include <QPointer>

#include <memory>

namespace glyfex::recognition {
class RecognitionDriver;
struct DriverOptions;
}
namespace glyfex::recognition::ui {
class MatrixCommands;
class MatrixEditor;
class NewCharacterDialog;
class OcrAssistantDialog;
}
namespace glyfex::ripping::ui {
class WindowPassHost;
}
namespace glyfex::subtitles::ui {
class SubtitlesWindow;
}

namespace glyfex::app {

class App;
class ImageSequenceCommand;
class VideoCommand;

// The application owns one; the main window's batch timer reads each file through it.
class RunWiring : public QObject, public ripping::ui::BatchFileReader {
    Q_OBJECT
public:
    // The windows must exist.
    explicit RunWiring(App &app);
    ~RunWiring() override;

    recognition::CharMatrix &matrix() { return m_matrix; }
    recognition::MainRunControl &runControl() { return *m_runControl; }
    recognition::ui::MatrixCommands &matrixCommands() { return *m_matrixCommands; }
    subtitles::ui::SubtitlesWindow &subtitlesWindow() { return *m_subtitles; }
    recognition::ui::NewCharacterDialog *newCharacterDialog() const;
    recognition::ui::MatrixEditor *matrixEditor() const;
    recognition::ui::OcrAssistantDialog *ocrAssistant() const;
    // Tolerances and spacing of recognition (the Advanced OCR Setup's values).
    recognition::DriverOptions &driverOptions();
    // The driver takes the recognition settings as the application holds them now (tuning, reading
    // direction, charset): before every picture, every fill reading and every matrix search.
    void followRecognitionSettings();
    recognition::RecognitionDriver &driver() { return *m_driver; }
    recognition::OcrAssistState &assistState() { return m_assist; }
    // The source recognition rewinds: another source's loop while it runs (null: the DVD batch again).
    void setSourceRun(picture::SourceRun *run);
    ImageSequenceCommand &imageSequence() { return *m_imageSequence; }
    // File > Open Hard Subbed Video Files and the video viewer's run; null without a viewer.
    VideoCommand *video() { return m_video.get(); }
    // Recognition of each picture of any source's run, after which an open matrix editor lists what the
    // picture taught.
    picture::PictureSink &recognition();

    // Who answers "what is this shape?": the New Character(s) dialog unless another answerer is given
    // here (null goes back to the dialog).
    void setGlyphAsker(recognition::GlyphAsker *asker) { m_asker = asker; }
    recognition::GlyphAsker *glyphAsker() const;

    // After the configuration is loaded: the output format and the matrix dialogs' folder.
    void applySettings();
    // Into the configuration before it is saved at close.
    void collectSettings();

    // Before the main window closes: the matrix's save question (false keeps the program open);
    // the main window then asks about unsaved subtitles.
    bool confirmClose();

    // One pass over the batch's current file, from its resume position: units go through dispatch
    // and recognition into the Subtitles window.
    void readFile(const QString &path) override;
    // Ends a run that has not read all its files (no pass reading now), as the end of its last file
    // does: the last subtitle gets its stop, the pause is released and nothing is left to read.
    void finishRun();

    // The latest picture of the run rendered again through the current export settings and shown in
    // the preview (the Bitmap adjustment dialog's view of its changes); false without a picture.
    bool showExportPreview(picture::ExportedPicture &out);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    class Asker;
    class SkippedItems;
    class ActiveRun;
    class Recognition;

    // The main window's matrix menu and the input dialog's matrix buttons reach the matrix commands.
    void attachMatrixCommands();
    void startRun();
    void followOutputFormat();
    void closeLastSubtitle();
    void showCodePicture(const picture::CodeImage &codes, const std::array<uint32_t, 256> &palette, const picture::Rect &area);

    App &m_app;
    ripping::VobSourceRun m_sourceRun; // the batch as recognition rewinds it
    std::unique_ptr<ActiveRun> m_activeRun; // the batch, or the image sequence while it runs
    subtitles::ui::SubtitlesWindow *m_subtitles = nullptr;
    recognition::CharMatrix m_matrix;
    recognition::OcrAssistState m_assist;
    ripping::DispatchOptions m_dispatchOptions;
    int m_maxDurationMs = 2500; // a last subtitle without a stop shows this long
    int m_startCount = -1;      // the batch's Start that the current run belongs to
    recognition::GlyphAsker *m_asker = nullptr;
    QPointer<recognition::ui::NewCharacterDialog> m_newCharacter;
    QPointer<recognition::ui::MatrixEditor> m_editor;
    QPointer<recognition::ui::OcrAssistantDialog> m_assistant;

    std::unique_ptr<ripping::ui::WindowPassHost> m_passHost;
    std::unique_ptr<recognition::MainRunControl> m_runControl;
    std::unique_ptr<recognition::ui::MatrixCommands> m_matrixCommands;
    std::unique_ptr<SkippedItems> m_skipped;
    std::unique_ptr<Asker> m_forwardingAsker;
    std::unique_ptr<recognition::RecognitionDriver> m_driver;
    std::unique_ptr<Recognition> m_recognition; // the driver, then the matrix editor follows
    std::unique_ptr<ripping::SpuDispatcher> m_dispatcher; // one per run: it keeps the previous unit's colours
    std::unique_ptr<ImageSequenceCommand> m_imageSequence;
    std::unique_ptr<VideoCommand> m_video;
};

} // namespace glyfex::app
