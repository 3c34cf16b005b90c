// The question "what is this shape?" that recognition asks for every glyph it cannot match, and its answer.
#pragma once

#include <cstddef> // before code_image.h, which uses size_t
#include "core/char_text.h"
#include "core/time_code.h"
#include "recognition/char_box.h"
#include "recognition/glyph.h"
#include "picture/code_image.h"

#include <QString>

#include <array>
#include <cstdint>
#include <vector>

namespace glyfex::recognition {

// The answer codes. Their numbers are the ones the answer record has always carried.
enum class AnswerCode : uint8_t {
    Ok = 0,            // the typed text, learned into the matrix
    SkipLine = 1,      // drop this line of the picture
    SkipSubPicture = 2, // drop the picture
    Pause = 3,         // the run was paused and rewound to this picture; it comes back on resume
    ChangeColour = 4,   // the glyph gets no text (the dialog itself answers Pause for a colour change)
    MatrixLoaded = 5,  // a matrix found by search was adopted: the text is used, nothing is learned
    ExtendLeft = 6,    // grow the run by one box leftwards (shrinks it in left-to-right reading)
    ExtendRight = 7,   // grow the run by one box rightwards (shrinks it in right-to-left reading)
    SameAsLast = 8,    // the previous subtitle was extended instead; drop the picture
    FillMatrix = 9,    // drop the picture (the dialog itself answers Pause for a fill-matrix request)
    FillManually = 10, // stop recognising the picture; its text is typed in the OCR assistant
    UseTextOnly = 11,  // the text is used, nothing is learned
};

// What the user answered for one glyph or run of glyphs.
struct GlyphAnswer {
    core::CharText text; // at most 20 UTF-16 units
    uint8_t style = 0;   // GlyphStyle flags: bold 1, italic 2, underline 4
    AnswerCode code = AnswerCode::Pause;
};

// Buttons whose state recognition sets for each question; all other buttons are always enabled.
struct AskButtons {
    bool extendLeft = false;  // "<<"
    bool extendRight = true;  // ">>"
    bool skipLine = true;
    bool searchMatrix = true;
    bool sameAsLast = false;  // only while the video viewer runs
    // These three open the OCR assistant, so they are off while there is none; the video viewer
    // also disables "change text colour".
    bool changeColour = true;
    bool fillMatrix = true;
    bool fillManually = true;

    // Whether an answer with this code can come from an enabled button. Ok needs a text or the best
    // guess, which the asker checks itself.
    bool allows(AnswerCode code) const;
};

// Palette slots of the shown picture beyond the 16 DVD colours.
inline constexpr uint8_t kHighlightIndex = 33; // the asked glyph's own pixels
inline constexpr uint8_t kFrameIndex = 34;     // the frame around the asked box or run

// Everything the New Character(s) dialog shows for one question.
struct GlyphQuestion {
    // The subtitle picture as the main window shows it: DVD palette indexes, the asked boxes' pixels in
    // kHighlightIndex and a frame in kFrameIndex. palette gives each index as 0x00RRGGBB.
    picture::CodeImage shown;
    std::array<uint32_t, 256> palette{};
    uint8_t backgroundIndex = 0; // palette index of pixel code 0, the excerpt's fill colour

    std::vector<CharBox> boxes; // the line's boxes, left to right
    int box = 0;                // 0-based box the view is centred on, where the run starts
    int runLength = 0;          // boxes shown beyond the first, in reading order
    bool rightToLeft = false;

    // The box's descriptor, as the search for another matrix matches it, and the box it was built
    // from as recognition matched it: on a tall frame both are of the reduced picture, which
    // reducedPicture then says, while boxes above are of the picture as shown.
    Glyph glyph;
    CharBox matchBox;
    bool reducedPicture = false;
    // The best guess of matching; empty when there is none (also for a "take with next" guess).
    QString bestGuess;
    uint8_t bestGuessStyle = 0;

    AskButtons buttons;
    int nextEntryNumber = 1; // the number a learned entry will get

    // Where the glyph is: the picture's start time, the line (0-based) and the number of lines.
    core::TimeCode start;
    int line = 0;
    int lineCount = 1;

    // The boxes of the run in reading order: box, then runLength further boxes.
    std::vector<int> runBoxes() const;
    // The box that the dialog's extend button adds, in reading order; -1 when the run reaches the line end.
    int boxAfterRun() const;
};

// Answers questions about unknown glyphs: the New Character(s) dialog, or a script in tests and
// benchmarks. Side effects of an answer (pausing, rewinding, adopting a matrix) go through RunControl.
class GlyphAsker {
public:
    virtual ~GlyphAsker() = default;
    virtual GlyphAnswer askGlyph(const GlyphQuestion &question) = 0;
};

// The code of the button that grows the run in the reading direction, and of the one that shrinks it.
inline AnswerCode extendCode(bool rightToLeft) { return rightToLeft ? AnswerCode::ExtendLeft : AnswerCode::ExtendRight; }
inline AnswerCode shrinkCode(bool rightToLeft) { return rightToLeft ? AnswerCode::ExtendRight : AnswerCode::ExtendLeft; }

} // namespace glyfex::recognition
