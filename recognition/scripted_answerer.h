// Answerers without a window: a fixed script of button presses, and one that reads the true text of each picture.
#pragma once

#include "core/result.h"
#include "core/time_code.h"
#include "recognition/char_matrix.h"
#include "recognition/glyph_asker.h"
#include "recognition/run_control.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <map>
#include <utility>
#include <vector>

namespace glyfex::recognition {

// One press in the dialog. The codes mean the button of that answer; ChangeColor and FillMatrix press
// "Change text color" and "Fill matrix", which pause the run and answer Pause, as the dialog does.
struct ScriptedStep {
    AnswerCode code = AnswerCode::Ok;
    QString text;
    uint8_t style = 0;
    bool useBestGuess = false;   // "&Use": the question's best guess instead of text
    CharMatrix *adopt = nullptr; // for MatrixLoaded: the matrix the search found
};

// Presses the scripted buttons in order, one per question, through the same run control as the dialog.
// A step whose button is disabled in the question, a "Use" without a best guess, or a question past the
// script's end is a violation: it is recorded, and the answer is Pause, as when the dialog is closed.
// An adoption that the user cancels keeps the question open, so the next step answers it.
class ScriptedAnswerer : public GlyphAsker {
public:
    explicit ScriptedAnswerer(RunControl &control) : m_control(control) {}

    void push(ScriptedStep step) { m_script.push_back(std::move(step)); }
    GlyphAnswer askGlyph(const GlyphQuestion &question) override;

    // What each question showed, in order (without the picture).
    struct Seen {
        int box = 0;
        int runLength = 0;
        QString bestGuess;
        AskButtons buttons;
        int line = 0;
    };
    const std::vector<Seen> &seen() const { return m_seen; }
    const QStringList &violations() const { return m_violations; }
    bool scriptDone() const { return m_script.empty(); }

private:
    RunControl &m_control;
    std::deque<ScriptedStep> m_script;
    std::vector<Seen> m_seen;
    QStringList m_violations;
};

// One subtitle of a ground-truth file: its start time and its lines.
struct TruthEntry {
    core::TimeCode start;
    QStringList lines;
    // For each line, whether each of its UTF-16 units was drawn in italics (between <i> and </i>). A
    // line without flags is upright.
    std::vector<std::vector<bool>> italic{};

    bool isItalic(qsizetype line, qsizetype unit) const
    {
        return line >= 0 && size_t(line) < italic.size() && unit >= 0 && size_t(unit) < italic[size_t(line)].size()
            && italic[size_t(line)][size_t(unit)];
    }
};

// Reads a SubRip file as ground truth (UTF-8, with or without byte-order mark), as a renderer draws it:
// markup between angle brackets is removed (an unclosed "<" hides the rest of its line, a lone ">" is
// not drawn), blanks are collapsed and lines left empty are dropped. Text between <i> and </i> (any
// case, also across lines) is marked italic.
// An entry without a valid time line is an error naming its line.
core::Result<std::vector<TruthEntry>> readGroundTruth(const QString &path);

// The entry of truth that a picture starting at start shows: the one nearest in time, within a second
// (picture times come from the stream's clock, which may start a little after the authored times);
// null when none is that close.
const TruthEntry *truthEntryAt(const std::vector<TruthEntry> &truth, const core::TimeCode &start);

// Answers every question from the true text of the picture, found by its start time: the boxes of a
// line are aligned with the line's non-space characters (a character may take several boxes, like a
// double quote, a guillemet of two chevrons or a serif "9" whose tail lies below its body, and touching
// characters may share one box; the blanks of the text fall on the widest gaps). A character of
// several boxes is answered by extending the run; a run that the matrix joined is answered with the
// characters of its boxes. A glyph whose characters are mostly italic in the truth is taught italic, so
// that the run's style tags can be judged.
class GroundTruthAnswerer : public GlyphAsker {
public:
    explicit GroundTruthAnswerer(std::vector<TruthEntry> truth);

    GlyphAnswer askGlyph(const GlyphQuestion &question) override;

    // Questions that the truth could not answer (no entry at that time, or no such line).
    int unanswerable() const { return m_unanswerable; }

    // The alignment: for each box (left to right), the index of its group; for each group, its text.
    struct Alignment {
        std::vector<int> groupOfBox;
        std::vector<QString> groupText;
        std::vector<bool> spaceAfter; // a blank follows the group's text in the line
        std::vector<int> italicUnits; // UTF-16 units of the group's text drawn in italics
    };
    // italic: the line's italic flags per UTF-16 unit (none: upright).
    static Alignment align(const std::vector<CharBox> &boxes, const QString &line, const std::vector<bool> &italic = {});

private:

    std::vector<TruthEntry> m_truth;
    // The text holds both the apostrophe and the double quote, whose strokes look alike.
    bool m_quoteStrokes = false;
    bool m_strokeJoinTaught = false; // a stroke was learned as the first part of a run
    int m_unanswerable = 0;
    std::map<std::pair<int64_t, int>, Alignment> m_alignments; // by start (ms) and line
};

} // namespace glyfex::recognition
