// Joins a run through the program's windows: the reading pass with the main window's hosts, recognition, the Subtitles window and the matrix.
#pragma once

#include "recognition/char_matrix.h"
#include "recognition/glyph_asker.h"
#include "recognition/run_control.h"
#include "ripping/run_state.h"
#include "ripping/spu_dispatch.h"

#include <QObject>
#include <QPointer>

#include <memory>

namespace glyfex::ripping::ui {
class App;
}
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

namespace glyfex::subtitles::ui {

class SubtitlesWindow;

class RunWiring : public QObject {
    Q_OBJECT
public:
    // Installs itself in the application's hooks; the windows must exist.
    explicit RunWiring(ripping::ui::App &app);
    ~RunWiring() override;

    recognition::CharMatrix &matrix() { return m_matrix; }
    recognition::MainRunControl &runControl() { return *m_runControl; }
    recognition::ui::MatrixCommands &matrixCommands() { return *m_matrixCommands; }
    SubtitlesWindow &subtitlesWindow() { return *m_subtitles; }
    recognition::ui::NewCharacterDialog *newCharacterDialog() const;
    recognition::ui::MatrixEditor *matrixEditor() const;
    recognition::ui::OcrAssistantDialog *ocrAssistant() const;
    // Tolerances and spacing of recognition (the Advanced OCR Setup's values).
    recognition::DriverOptions &driverOptions();

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

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    class Subtitles;
    class Recognition;
    class Asker;
    class SkippedItems;

    void startRun();
    void followOutputFormat();
    void readFile(const QString &path);
    void closeLastSubtitle();
    void showCodePicture(const ripping::CodeImage &codes, const std::array<uint32_t, 256> &palette);

    ripping::ui::App &m_app;
    SubtitlesWindow *m_subtitles = nullptr;
    recognition::CharMatrix m_matrix;
    recognition::OcrAssistState m_assist;
    ripping::DispatchOptions m_dispatchOptions;
    int m_maxDurationMs = 2500; // a last subtitle without a stop shows this long
    int m_startCount = -1;      // the batch's Start that the current run belongs to
    recognition::GlyphAsker *m_asker = nullptr;
    QPointer<recognition::ui::NewCharacterDialog> m_newCharacter;
    QPointer<recognition::ui::MatrixEditor> m_editor;
    QPointer<recognition::ui::OcrAssistantDialog> m_assistant;

    std::unique_ptr<recognition::MainRunControl> m_runControl;
    std::unique_ptr<recognition::ui::MatrixCommands> m_matrixCommands;
    std::unique_ptr<Subtitles> m_subtitleSink;
    std::unique_ptr<SkippedItems> m_skipped;
    std::unique_ptr<Asker> m_forwardingAsker;
    std::unique_ptr<recognition::RecognitionDriver> m_driver;
    std::unique_ptr<Recognition> m_recognition;
    std::unique_ptr<ripping::SpuDispatcher> m_dispatcher; // one per run: it keeps the previous unit's colours
};

} // namespace glyfex::subtitles::ui
