// Turns one subtitle picture into the text lines of one subtitle: colours, segmentation, matching, questions, learning, hand-over.
#pragma once

#include "core/messages.h"
#include "core/result.h"
#include "core/user_prompt.h"
#include "recognition/char_matrix.h"
#include "recognition/glyph_asker.h"
#include "recognition/matcher.h"
#include "recognition/run_control.h"
#include "recognition/segmentation.h"
#include "picture/code_image.h"
#include "picture/decoded_picture.h"
#include "picture/display_times.h"
#include "picture/picture_sink.h"
#include "picture/rect.h"
#include "picture/source_run.h"
#include "subtitles/subtitle_store.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace glyfex::subtitles {
class StoreView;
}

namespace glyfex::recognition {

// The OCR assistant, opened before a picture when a colour change or the fill-matrix assistant was
// requested. It may fix the ink codes (assist.mode := Fixed). true when it ended with OK.
class OcrAssistant {
public:
    virtual ~OcrAssistant() = default;
    virtual bool assist(const picture::DecodedPicture &picture, OcrAssistState &assist) = 0;
};

struct DriverOptions {
    MatchOptions match;        // tolerances, sensibility, image-sequence mode, charset
    bool rightToLeft = false;  // lines are read from their last box to their first
    std::array<uint32_t, 16> dvdPalette{}; // 0x00BBGGRR, the title's colours
    subtitles::AddContext addContext;      // the video merge rule; the line colours are filled in here
    // The video viewer: a mask of the recognised pixels is written for every stored subtitle.
    bool saveMask = false;
    QString maskDir;
    // While the video viewer runs, "same as last" replaces "change text colour" in the dialog.
    bool videoViewer = false;
};

// Everything around the driver that it reads and changes.
struct DriverEnvironment {
    DriverEnvironment(CharMatrix &matrix, subtitles::SubtitleStore &store, subtitles::SkippedItemAsker &skippedAsker,
                      GlyphAsker &asker, OcrAssistState &assist, core::UserPrompt &prompt,
                      OcrAssistant *assistant = nullptr, picture::SourceRun *run = nullptr)
        : matrix(matrix), store(store), skippedAsker(skippedAsker), asker(asker), assist(assist), prompt(prompt),
          assistant(assistant), run(run)
    {
    }

    CharMatrix &matrix;
    subtitles::SubtitleStore &store;
    subtitles::SkippedItemAsker &skippedAsker;
    GlyphAsker &asker;
    OcrAssistState &assist;
    core::UserPrompt &prompt;
    // None: the questions offer none of the buttons that open it (change text colour, fill matrix,
    // enter manually), and a request left from elsewhere is dropped rather than the picture.
    OcrAssistant *assistant = nullptr;
    picture::SourceRun *run = nullptr;      // counts pictures without a text colour as skipped
    const core::MessageTable *messages = nullptr; // built-in English texts when null
    // The list that follows the store (the Subtitles window); null for none.
    subtitles::StoreView *storeView = nullptr;
    // Shows the coloured picture in the main window (the "show subpicture" option) where it lies on the
    // frame; may be empty.
    std::function<void(const GlyphQuestion &, const picture::Rect &area)> showPicture;
    // Shows the picture of each question in the main window, with the asked boxes highlighted and
    // framed, whatever the "show subpicture" option says; may be empty.
    std::function<void(const GlyphQuestion &, const picture::Rect &area)> showQuestion;
    // A picture's text continued the last subtitle (the video viewer's merge): its stop becomes the
    // viewer's current frame, as "Same as last sub" sets it; may be empty.
    std::function<void()> mergedIntoLast;
};

// How one picture ended.
struct PictureOutcome {
    enum class End {
        Added,       // a new subtitle is in the store
        Merged,      // the last subtitle was continued (video viewer)
        NothingAdded, // the store dropped the picture (empty and suppressed, or the assistant said so)
        Abandoned,   // an answer (skip picture, pause, same as last, fill matrix) or the assistant dropped it
        NoColour,    // no candidate text colour: counted as skipped
    };
    End end = End::NothingAdded;
    AnswerCode lastAnswer = AnswerCode::Ok; // of the last question, when one was asked
    int questions = 0;
    QStringList lines; // as handed over
    bool maskWritten = false;
    // Lines of the picture that could not be read (each stands as unreadLineMarker() in lines, or the
    // picture went to the skipped items when nothing else was read).
    int unreadLines = 0;
};

class RecognitionDriver : public picture::PictureSink {
public:
    RecognitionDriver(DriverEnvironment environment, DriverOptions options);

    // The reading pass's entry: the picture's times and screen rectangle. A failure (a full store, a
    // mask file that cannot be written) stops the run.
    core::Result<void> recognise(const picture::DecodedPicture &picture, const picture::DisplayTimes &times,
                                 const picture::Rect &area) override;

    // The same for any source; the outcome says what became of the picture.
    core::Result<PictureOutcome> recognisePicture(const picture::DecodedPicture &picture, const core::TimeCode &start,
                                                  const core::TimeCode &stop, const picture::Rect &area);

    DriverOptions &options() { return m_options; }
    const PictureOutcome &lastOutcome() const { return m_outcome; }
    // Every showing of the question, the re-asks of a growing or shrinking run included.
    int questionsAsked() const { return m_questionsTotal; }
    // Glyphs asked about: the first question of each glyph only.
    int glyphsAsked() const { return m_glyphsAsked; }
    // Lines passed over in every picture so far: too tall to read even reduced, or after the tenth.
    int unreadLines() const { return m_unreadLines; }
    // The state a call leaves: the work picture with its marker paint (reduced for a tall frame), the
    // coloured picture (at its own size), the lines (in the work picture's pixels).
    const picture::CodeImage &codeImage() const { return m_codes; }
    const picture::CodeImage &colourImage() const { return m_colours; }
    const std::vector<TextLine> &lines() const { return m_lines; }
    // The viewer's text rectangle after the last stored subtitle, in picture coordinates.
    const picture::Rect &lastTextRect() const { return m_textRect; }

private:
    enum class Flow { NextBox, EndLine, EndPicture, Abandon };

    struct LineWalk;
    struct GlyphRead;

    // One line, glyph by glyph in reading order: match, ask about what does not match, then append
    // the glyph with the space before it.
    Flow recogniseLine(int lineIndex, QString &out);
    // The glyph starting at box first as the matrix knows it, following "take with next" entries from
    // box to box; result says whether it matched and else what the best guess is.
    GlyphRead matchGlyph(const LineWalk &walk, int first, MatchResult &result);
    // The glyph whose first box matched the one-stroke mark alone, as the pair of it and the next box:
    // matched, asked as a pair (not matched), or else alone as it was.
    MatchResult matchStrokePair(const LineWalk &walk, GlyphRead &glyph, const MatchResult &alone);
    // Asks about a glyph that did not match, lets the user grow or shrink its run, takes the answer and
    // learns it. A flow when the answer ends the line or the picture.
    std::optional<Flow> askGlyph(const LineWalk &walk, GlyphRead &glyph, const MatchResult &guess);
    // The question's extension loop: the run grows and shrinks box by box until another answer comes.
    GlyphAnswer extendRun(const LineWalk &walk, GlyphRead &glyph, AskButtons &buttons, GlyphAnswer answer, int &extraBoxes);
    // Takes the answer given for the run of extraBoxes further boxes (grown: by the extension loop):
    // its text, the boxes it uses up, what OK teaches the matrix. A flow when it ends the line or picture.
    std::optional<Flow> takeAnswer(const LineWalk &walk, GlyphRead &glyph, const GlyphAnswer &answer, int extraBoxes,
                                   bool grown);
    void takeRun(const LineWalk &walk, GlyphRead &glyph, int extraBoxes);
    void appendGlyph(LineWalk &walk, const GlyphRead &glyph, QString &out);
    // The answers that end the picture wherever they are given: abandoned, or typed in by hand.
    std::optional<Flow> endOfPicture(AnswerCode code);
    // Shows the run of box first and extraBoxes further boxes, with descriptor's text as the guess.
    GlyphAnswer ask(int lineIndex, int first, int extraBoxes, const Glyph &descriptor, const AskButtons &buttons);
    void learn(Glyph glyph, const core::CharText &text, uint8_t style);
    void paintMask(const TextLine &line, int first, int boxCount);
    // A box of the work picture where it lies in the picture as shown.
    CharBox shownBox(const CharBox &box) const;
    // Whether the shown picture's pixel belongs to the glyph painted with marker.
    bool paintedWith(int x, int y, uint8_t marker) const;
    QString message(int index) const;
    std::array<uint32_t, 256> displayPalette() const;

    DriverEnvironment m_env;
    DriverOptions m_options;
    picture::CodeImage m_codes;
    // The picture at its own size while m_codes holds it reduced (m_scale > 1), and which of its rows
    // each reduced row stands for (the reduction goes band by band, so rows do not map by the factor).
    picture::CodeImage m_fullCodes;
    int m_scale = 1;
    std::vector<int> m_sourceTop;
    std::vector<int> m_reducedRow;
    InkCodes m_ink;
    picture::CodeImage m_colours;
    picture::CodeImage m_mask;
    std::array<uint8_t, 4> m_colourMap{};
    std::vector<TextLine> m_lines;
    core::TimeCode m_start;
    picture::Rect m_area; // where the picture lies on the frame
    PictureOutcome m_outcome;
    int m_questionsTotal = 0;
    int m_glyphsAsked = 0;
    int m_unreadLines = 0;
    bool m_fillManually = false;
    // A line of a picture was skipped: without text, that picture adds nothing and asks nothing.
    bool m_suppressEmpty = false;
    picture::Rect m_textRect;
};

// What stands in a subtitle's text for a line of its picture that could not be read.
QString unreadLineMarker();

// The clean-up of a finished line: blanks and control characters cut at both ends, then the style
// tags between neighbouring glyphs of one style merged, and tags around lone punctuation dropped.
QString cleanLine(const QString &line);

} // namespace glyfex::recognition
