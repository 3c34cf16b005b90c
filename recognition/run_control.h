// What an answer to a glyph question does to the run: pause and rewind, assistant requests, adopting a matrix, "same as last".
#pragma once

#include "core/result.h"
#include "core/user_prompt.h"
#include "recognition/char_matrix.h"
#include "recognition/segmentation.h"
#include "picture/source_run.h"

#include <cstdint>
#include <functional>

namespace glyfex::recognition {

// How recognition chooses the text colours, and the assistant requests waiting for the next picture.
struct OcrAssistState {
    static constexpr uint8_t Automatic = 0;      // colours detected for every picture
    static constexpr uint8_t Fixed = 1;          // fixedInk is used as it is
    static constexpr uint8_t FillMatrixRequested = 254;
    static constexpr uint8_t ColourChangeRequested = 255;

    uint8_t mode = Automatic;
    uint8_t savedMode = Automatic; // the mode before a fill-matrix request, restored after it
    InkCodes fixedInk;             // chosen in the assistant, or set by the image and video sources
};

// The side effects of the New Character(s) dialog's buttons. The dialog and the scripted answerers
// call the same object, so a run behaves the same whoever answers.
class RunControl {
public:
    virtual ~RunControl() = default;
    // Pause: the run stops and is rewound so that the picture being recognised is read again on resume.
    virtual void pauseAndRewind() = 0;
    // Change text colour and Fill matrix: the assistant opens for the re-read picture, after the run
    // has paused and resumed by itself.
    virtual void requestColourChange() = 0;
    virtual void requestFillMatrix() = 0;
    // Same as last (video viewer only): the last subtitle lasts until the viewer's current frame.
    virtual bool sameAsLast() = 0;
    // Makes found (a matrix from another file that knows the glyph) the current matrix. false when the
    // user kept the current matrix (Cancel at the save question, or its save failed).
    virtual bool adoptMatrix(CharMatrix &found) = 0;
    // After a colour-change or fill-matrix request: true once, when the paused pass has stopped and
    // the run may resume by itself.
    virtual bool takeAutomaticResume() { return false; }
    // Whether such a request still waits for the run to stop.
    virtual bool automaticResumePending() const { return false; }
};

// The run control of the main road: a DVD or VobSub run, or a picture source without a run.
class MainRunControl : public RunControl {
public:
    // Saves the current matrix before another replaces it (Save, or Save As for a matrix without name).
    using MatrixSaver = std::function<core::Result<void>(CharMatrix &)>;

    // run is null for the image-sequence source, which has nothing to rewind.
    MainRunControl(picture::SourceRun *run, OcrAssistState &assist, CharMatrix &matrix, core::UserPrompt &prompt);

    void setMatrixSaver(MatrixSaver saver) { m_saver = std::move(saver); }
    // Called after a matrix was adopted: the matrix editor and the input dialog show it.
    void setAdoptedHandler(std::function<void()> handler) { m_adopted = std::move(handler); }
    // The main window's pause command, run after the rewind (also for sources without a run).
    void setPauseCommand(std::function<void()> command) { m_pauseCommand = std::move(command); }
    // Whether the source's loop still runs; the run's processing flag when not set.
    void setProcessingQuery(std::function<bool()> query) { m_processing = std::move(query); }
    // The video viewer's "same as last" command.
    void setSameAsLastHandler(std::function<bool()> handler) { m_sameAsLast = std::move(handler); }

    void pauseAndRewind() override;
    void requestColourChange() override;
    void requestFillMatrix() override;
    bool sameAsLast() override;
    bool adoptMatrix(CharMatrix &found) override;

    // A colour-change or fill-matrix request paused the run and waits for it to stop, after which the
    // run resumes by itself. Returns true once, when the run has stopped, and clears the request.
    bool takeAutomaticResume() override;
    bool automaticResumePending() const override { return m_resumePending; }

private:
    picture::SourceRun *m_run;
    OcrAssistState &m_assist;
    CharMatrix &m_matrix;
    core::UserPrompt &m_prompt;
    MatrixSaver m_saver;
    std::function<void()> m_adopted;
    std::function<bool()> m_sameAsLast;
    std::function<void()> m_pauseCommand;
    std::function<bool()> m_processing;
    bool m_resumePending = false;
};

} // namespace glyfex::recognition
