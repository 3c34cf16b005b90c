// Scripted answerers: button presses from a list, or answers from the true text of each picture.
#include "recognition/scripted_answerer.h"

#include "core/file_read.h"
#include "subtitles/style_tags.h"

#include <QRegularExpression>

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace glyfex::recognition {

namespace {

GlyphAnswer answerOf(AnswerCode code, const QString &text = {}, uint8_t style = 0)
{
    return GlyphAnswer{core::toCharText(text), style, code};
}

// Text with a flag for each UTF-16 unit: drawn in italics.
struct DrawnText {
    QString text;
    std::vector<bool> italic;

    void append(QChar ch, bool slanted)
    {
        text.append(ch);
        italic.push_back(slanted);
    }
    // As QString::simplified: no blanks at the ends, one blank for each run of them inside.
    void simplify()
    {
        DrawnText out;
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (!text[i].isSpace())
                out.append(text[i], italic[size_t(i)]);
            else if (!out.text.isEmpty() && !out.text.back().isSpace())
                out.append(QLatin1Char(' '), italic[size_t(i)]);
        }
        if (!out.text.isEmpty() && out.text.back().isSpace()) {
            out.text.chop(1);
            out.italic.pop_back();
        }
        *this = std::move(out);
    }
};

} // namespace

GlyphAnswer ScriptedAnswerer::askGlyph(const GlyphQuestion &question)
{
    m_seen.push_back({question.box, question.runLength, question.bestGuess, question.buttons, question.line});
    while (!m_script.empty()) {
        ScriptedStep step = std::move(m_script.front());
        m_script.pop_front();
        const AskButtons &b = question.buttons;
        switch (step.code) {
        case AnswerCode::ChangeColour:
            if (!b.changeColour)
                break;
            m_control.requestColourChange();
            return answerOf(AnswerCode::Pause);
        case AnswerCode::FillMatrix:
            if (!b.fillMatrix)
                break;
            m_control.requestFillMatrix();
            return answerOf(AnswerCode::Pause);
        case AnswerCode::Pause:
            m_control.pauseAndRewind();
            return answerOf(AnswerCode::Pause);
        case AnswerCode::SameAsLast:
            if (!b.sameAsLast)
                break;
            m_control.sameAsLast();
            return answerOf(AnswerCode::SameAsLast);
        case AnswerCode::MatrixLoaded:
            if (!b.searchMatrix || !step.adopt)
                break;
            if (!m_control.adoptMatrix(*step.adopt))
                continue; // the dialog stays open for the next press
            return answerOf(AnswerCode::MatrixLoaded, step.text, step.style);
        default:
            if (!b.allows(step.code))
                break;
            if (step.useBestGuess) {
                if (question.bestGuess.isEmpty())
                    break;
                return answerOf(step.code, question.bestGuess, question.bestGuessStyle);
            }
            return answerOf(step.code, step.text, step.style);
        }
        m_violations.append(QStringLiteral("question %1 (box %2): answer %3 is not possible")
                                .arg(m_seen.size())
                                .arg(question.box)
                                .arg(int(step.code)));
        m_control.pauseAndRewind();
        return answerOf(AnswerCode::Pause);
    }
    m_violations.append(QStringLiteral("question %1 (box %2): the script has ended").arg(m_seen.size()).arg(question.box));
    m_control.pauseAndRewind();
    return answerOf(AnswerCode::Pause);
}

core::Result<std::vector<TruthEntry>> readGroundTruth(const QString &path)
{
    // A subtitle file: its size cap.
    constexpr qint64 kLargestTruth = 64 * 1024 * 1024;
    const auto bytes = core::readPlainFile(path, kLargestTruth, QStringLiteral("Cannot read the ground truth"));
    if (!bytes)
        return bytes.error();
    QString text = QString::fromUtf8(*bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QStringList rows = text.split(QLatin1Char('\n'));
    static const QRegularExpression timeLine(QStringLiteral("^\\s*(\\d+:\\d+:\\d+[,.]\\d+)\\s*-->\\s*(\\d+:\\d+:\\d+[,.]\\d+)"));
    // Anything between angle brackets is markup to a SubRip renderer (style and font tags) and never
    // reaches the picture.
    static const QRegularExpression tags(QStringLiteral("<[^<>]*>"));
    std::vector<TruthEntry> out;
    int i = 0;
    while (i < rows.size()) {
        if (rows[i].trimmed().isEmpty()) {
            ++i;
            continue;
        }
        ++i; // the entry number
        if (i >= rows.size())
            return core::makeError(QStringLiteral("The ground truth ends inside an entry"),
                                   QStringLiteral("%1, line %2").arg(path).arg(i));
        const auto m = timeLine.match(rows[i]);
        if (!m.hasMatch())
            return core::makeError(QStringLiteral("Expected a time line"), QStringLiteral("%1, line %2").arg(path).arg(i + 1));
        auto start = core::parseTimeCode(m.captured(1));
        if (!start)
            return core::makeError(QStringLiteral("Bad start time"), QStringLiteral("%1, line %2").arg(path).arg(i + 1),
                                   start.error().message());
        TruthEntry e;
        e.start = *start;
        ++i;
        QStringList text;
        while (i < rows.size() && !rows[i].trimmed().isEmpty())
            text.append(rows[i++]);
        // Markup may span lines, and so may italics; an opening bracket left unclosed hides the rest of
        // its line, and a closing one without an opening one is not drawn either.
        const QString joined = text.join(QLatin1Char('\n'));
        DrawnText drawn;
        bool italic = false;
        qsizetype at = 0;
        for (auto it = tags.globalMatch(joined); it.hasNext();) {
            const auto tag = it.next();
            for (; at < tag.capturedStart(); ++at)
                drawn.append(joined[at], italic);
            const QString name = tag.captured().mid(1, tag.capturedLength() - 2).trimmed().toLower();
            if (name == QStringLiteral("i"))
                italic = true;
            else if (name == QStringLiteral("/i"))
                italic = false;
            at = tag.capturedEnd();
        }
        for (; at < joined.size(); ++at)
            drawn.append(joined[at], italic);
        DrawnText line;
        for (qsizetype i = 0; i <= drawn.text.size(); ++i) {
            if (i == drawn.text.size() || drawn.text[i] == QLatin1Char('\n')) {
                line.simplify();
                if (!line.text.isEmpty()) {
                    e.lines.append(line.text);
                    e.italic.push_back(line.italic);
                }
                line = {};
            } else if (drawn.text[i] == QLatin1Char('<')) {
                while (i + 1 < drawn.text.size() && drawn.text[i + 1] != QLatin1Char('\n'))
                    ++i;
            } else if (drawn.text[i] != QLatin1Char('>')) {
                line.append(drawn.text[i], drawn.italic[size_t(i)]);
            }
        }
        out.push_back(std::move(e));
    }
    return out;
}

namespace {

// Characters that a picture may show as several separate pieces side by side, with the usual count.
// A double quote is two strokes; the two chevrons of a guillemet stand apart in many fonts.
int usualPieces(const QString &ch)
{
    if (ch == QStringLiteral("\"") || ch == QStringLiteral("\u00AB") || ch == QStringLiteral("\u00BB"))
        return 2;
    // A dot of the diaeresis stands beside the narrow stem on each side.
    if (ch == QStringLiteral("%") || ch == QStringLiteral("\u00EF"))
        return 3;
    return 1;
}

// Whether the pieces of the character are copies of one shape (strokes, chevrons).
bool piecesAlike(const QString &ch)
{
    return usualPieces(ch) == 2;
}

// Two boxes of about the same size: within 2 pixels, or a quarter of the taller (half of the wider).
bool sameSize(const CharBox &a, const CharBox &b)
{
    const bool height = std::abs(a.height - b.height) <= std::max(2, std::max(a.height, b.height) / 4);
    const bool width = std::abs(a.width - b.width) <= std::max(2, std::max(a.width, b.width) / 2);
    return height && width;
}

// The characters of a line without its blanks, a surrogate pair kept as one character, whether a blank
// follows each, and how many of its UTF-16 units are italic.
std::vector<QString> charactersOf(const QString &line, const std::vector<bool> &italic, std::vector<bool> &spaceAfter,
                                  std::vector<int> &italicUnits)
{
    std::vector<QString> out;
    spaceAfter.clear();
    italicUnits.clear();
    for (int i = 0; i < line.size(); ++i) {
        if (line[i].isSpace()) {
            if (!spaceAfter.empty())
                spaceAfter.back() = true;
            continue;
        }
        spaceAfter.push_back(false);
        const int units = line[i].isHighSurrogate() && i + 1 < line.size() ? 2 : 1;
        int slanted = 0;
        for (int u = i; u < i + units; ++u)
            slanted += size_t(u) < italic.size() && italic[size_t(u)] ? 1 : 0;
        italicUnits.push_back(slanted);
        out.push_back(line.mid(i, units));
        i += units - 1;
    }
    return out;
}

} // namespace

GroundTruthAnswerer::Alignment GroundTruthAnswerer::align(const std::vector<CharBox> &boxes, const QString &line,
                                                          const std::vector<bool> &italic)
{
    std::vector<bool> blankAfter;
    std::vector<int> italicUnits;
    const std::vector<QString> chars = charactersOf(line, italic, blankAfter, italicUnits);
    const int n = int(boxes.size());
    const int m = int(chars.size());
    // Whole-number costs, but for the pair cost below, which grades boxes by their width.
    constexpr double kInf = 1e9;
    // cost[i][j]: the first i boxes aligned with the first j characters.
    std::vector<std::vector<double>> cost(size_t(n + 1), std::vector<double>(size_t(m + 1), kInf));
    struct Step {
        int boxes = 0;
        int chars = 0;
    };
    std::vector<std::vector<Step>> from(size_t(n + 1), std::vector<Step>(size_t(m + 1)));
    cost[0][0] = 0;
    // Touching characters make a box wider than most; a narrow box rarely holds two.
    std::vector<int> widths;
    for (const CharBox &b : boxes)
        widths.push_back(b.width);
    std::sort(widths.begin(), widths.end());
    const int median = widths.empty() ? 0 : widths[widths.size() / 2];
    // The cost of box b holding two touching characters: low for a wide box, and the narrower the box,
    // the dearer (8 to 12), so that of two candidates the wider box takes the pair ("ff" rather than
    // "ne" beside it, "ft" rather than "ty", never "y." in the box of the stop).
    auto pairCost = [&](int b) {
        const int w = boxes[size_t(b)].width;
        const int wideFrom = 3 * median; // twice the width from which a box counts as wide
        if (2 * w >= wideFrom)
            return 4.0;
        return 8.0 + 4.0 * (wideFrom - 2 * w) / wideFrom;
    };
    // gapBefore[i]: empty columns between box i - 1 and box i.
    std::vector<int> gapBefore(size_t(n), 0);
    std::vector<int> gaps;
    for (int i = 1; i < n; ++i) {
        gapBefore[size_t(i)] = boxes[size_t(i)].x - (boxes[size_t(i - 1)].x + boxes[size_t(i - 1)].width);
        gaps.push_back(gapBefore[size_t(i)]);
    }
    std::sort(gaps.begin(), gaps.end());
    // Letters of a word stand about the median gap apart. Pieces of one character stand no further
    // apart than that (a serif double quote's strokes are 3 pixels apart where its letters stand 5).
    const int letterGap = gaps.empty() ? 1 : std::max(1, gaps[gaps.size() / 2]);
    const int farGap = 2 * letterGap + 1;
    // The blanks of the line are its widest gaps: as many as the text has blanks. A glyph whose
    // character is followed by a blank should end at one of them, and only such a glyph; this keeps
    // the words of text and picture in step.
    int blanks = 0;
    for (int j = 0; j < m; ++j)
        blanks += blankAfter[size_t(j)] ? 1 : 0;
    const int wordGap = blanks == 0 || gaps.empty() ? INT_MAX
                                                    : gaps[size_t(std::max(0, int(gaps.size()) - std::min(blanks, int(gaps.size()))))];
    // A box within the columns of the box before it is a piece of the same character: the tail of a
    // serif "9" or "y" below its body, a dot over a stem.
    auto inside = [&](int b) {
        return b > 0 && b < n && boxes[size_t(b)].x >= boxes[size_t(b - 1)].x
            && boxes[size_t(b)].right() <= boxes[size_t(b - 1)].right();
    };
    // The cost of a group that ends with character last (followed by a blank or not) before box next.
    auto boundary = [&](int next, int last) {
        if (next >= n || last < 0)
            return 0;
        const int blank = blankAfter[size_t(last)] == (gapBefore[size_t(next)] >= wordGap) ? 0 : 3;
        return blank + (inside(next) ? 6 : 0);
    };
    auto relax = [&](int i, int j, int di, int dj, double c) {
        if (i + di > n || j + dj > m || cost[i][j] >= kInf)
            return;
        if (cost[i][j] + c < cost[i + di][j + dj]) {
            cost[i + di][j + dj] = cost[i][j] + c;
            from[i + di][j + dj] = {di, dj};
        }
    };
    for (int i = 0; i <= n; ++i) {
        for (int j = 0; j <= m; ++j) {
            if (j < m) {
                const QString &ch = chars[size_t(j)];
                const int pieces = usualPieces(ch);
                for (int take = 1; take <= 3; ++take) {
                    if (i + take > n)
                        break;
                    // Pieces of one character lie close together, and strokes or chevrons are alike.
                    int apart = 0;
                    bool piecesInside = take > 1;
                    for (int t = i + 1; t < i + take; ++t) {
                        piecesInside = piecesInside && inside(t);
                        if (gapBefore[size_t(t)] > farGap)
                            apart += 10;
                        const CharBox &piece = boxes[size_t(t)];
                        if (piecesAlike(ch) && (!sameSize(piece, boxes[size_t(i)]) || piece.width > median))
                            apart += 6;
                    }
                    const int c = take == pieces || piecesInside ? 0 : (pieces > 1 ? 2 : 5 * (take - 1));
                    relax(i, j, take, 1, c + apart + boundary(i + take, j));
                }
                // A character without a box goes with the glyph before it, as if that box held both,
                // so it costs more than taking the pair into that box; at the line's start no glyph
                // stands before it and the character would be lost.
                if (i > 0)
                    relax(i, j, 0, 1, std::max(8.0, pairCost(i - 1) + 2));
            }
            if (i < n) {
                // two touching characters in one box
                relax(i, j, 1, 2, pairCost(i) + (j + 1 < m ? boundary(i + 1, j + 1) : 0));
                relax(i, j, 1, 0, 8); // a box without a character
            }
        }
    }
    Alignment a;
    a.groupOfBox.assign(size_t(n), -1);
    std::vector<std::pair<int, int>> path;
    for (int i = n, j = m; i > 0 || j > 0;) {
        const Step s = from[i][j];
        path.push_back({s.boxes, s.chars});
        i -= s.boxes;
        j -= s.chars;
    }
    std::reverse(path.begin(), path.end());
    int bi = 0, cj = 0;
    for (auto [db, dc] : path) {
        QString text;
        int slanted = 0;
        for (int t = 0; t < dc; ++t) {
            text += chars[size_t(cj + t)];
            slanted += italicUnits[size_t(cj + t)];
        }
        const bool blank = dc > 0 && blankAfter[size_t(cj + dc - 1)];
        if (db > 0) {
            const int g = int(a.groupText.size());
            a.groupText.push_back(text);
            a.spaceAfter.push_back(blank);
            a.italicUnits.push_back(slanted);
            for (int t = 0; t < db; ++t)
                a.groupOfBox[size_t(bi + t)] = g;
        } else if (!a.groupText.empty()) {
            a.groupText.back() += text; // a character without a box goes with the glyph before it
            a.spaceAfter.back() = blank;
            a.italicUnits.back() += slanted;
        }
        bi += db;
        cj += dc;
    }
    return a;
}

GroundTruthAnswerer::GroundTruthAnswerer(std::vector<TruthEntry> truth) : m_truth(std::move(truth))
{
    bool apostrophe = false, quote = false;
    for (const TruthEntry &e : m_truth)
        for (const QString &l : e.lines) {
            apostrophe = apostrophe || l.contains(QLatin1Char('\''));
            quote = quote || l.contains(QLatin1Char('"'));
        }
    m_quoteStrokes = apostrophe && quote;
}

const TruthEntry *truthEntryAt(const std::vector<TruthEntry> &truth, const core::TimeCode &start)
{
    const int64_t t = core::timeCodeToMilliseconds(start);
    const TruthEntry *best = nullptr;
    int64_t bestDiff = 0;
    for (const TruthEntry &e : truth) {
        const int64_t d = std::llabs(core::timeCodeToMilliseconds(e.start) - t);
        if (!best || d < bestDiff) {
            best = &e;
            bestDiff = d;
        }
    }
    // Picture times come from the stream's clock, which may start a little after the authored times
    // (the first pack's clock reference); a second off is another subtitle.
    return best && bestDiff < 1000 ? best : nullptr;
}

GlyphAnswer GroundTruthAnswerer::askGlyph(const GlyphQuestion &question)
{
    const TruthEntry *entry = truthEntryAt(m_truth, question.start);
    if (!entry || question.line >= entry->lines.size() || question.lineCount != entry->lines.size()) {
        ++m_unanswerable;
        return answerOf(AnswerCode::SkipSubPicture);
    }
    const auto key = std::make_pair(core::timeCodeToMilliseconds(entry->start), question.line);
    auto it = m_alignments.find(key);
    if (it == m_alignments.end())
        it = m_alignments.emplace(key, align(question.boxes, entry->lines[question.line],
                                             size_t(question.line) < entry->italic.size() ? entry->italic[size_t(question.line)]
                                                                                          : std::vector<bool>{}))
                 .first;
    const Alignment &a = it->second;
    if (a.groupOfBox.size() != question.boxes.size()) {
        ++m_unanswerable;
        return answerOf(AnswerCode::SkipSubPicture);
    }

    const std::vector<int> run = question.runBoxes();
    const int group = a.groupOfBox[size_t(question.box)];
    // The boxes of the asked box's group, and whether the asked box is where the group starts.
    int groupSize = 0;
    int before = question.rightToLeft ? question.box + 1 : question.box - 1;
    const bool startsGroup = group < 0 || before < 0 || before >= int(a.groupOfBox.size())
                          || a.groupOfBox[size_t(before)] != group;
    for (int g : a.groupOfBox)
        groupSize += g == group ? 1 : 0;
    const int shown = int(run.size());
    const AnswerCode extend = extendCode(question.rightToLeft);
    const AnswerCode shrink = shrinkCode(question.rightToLeft);
    // Italic when most units of the groups' texts are drawn in italics.
    auto styleOf = [&a](const std::vector<int> &groups) {
        int units = 0, slanted = 0;
        for (int g : groups) {
            units += int(a.groupText[size_t(g)].size());
            slanted += a.italicUnits[size_t(g)];
        }
        return uint8_t(slanted > 0 && 2 * slanted >= units ? subtitles::StyleItalic : 0);
    };
    if (m_quoteStrokes && startsGroup && group >= 0 && groupSize == 1 && a.groupText[size_t(group)] == QStringLiteral("'")) {
        // An apostrophe has the shape of either stroke of a double quote, so it is never learned on its
        // own: joined to the glyph after it, it becomes "take with next" and the double quote stays
        // readable. Before a blank it is learned on its own only once the stroke's "take with next"
        // entry exists, which then comes first in the matrix and wins wherever a glyph follows closely.
        const int next = question.rightToLeft ? question.box - 1 : question.box + 1;
        const int nextGroup = next >= 0 && next < int(a.groupOfBox.size()) ? a.groupOfBox[size_t(next)] : -1;
        if (a.spaceAfter[size_t(group)] || nextGroup < 0)
            return answerOf(m_strokeJoinTaught ? AnswerCode::Ok : AnswerCode::UseTextOnly, QStringLiteral("'"),
                            styleOf({group}));
        int wanted = 1;
        for (int g : a.groupOfBox)
            wanted += g == nextGroup ? 1 : 0;
        if (shown < wanted && question.buttons.allows(extend))
            return answerOf(extend);
        if (shown == wanted) {
            m_strokeJoinTaught = true;
            return answerOf(AnswerCode::Ok, QStringLiteral("'") + a.groupText[size_t(nextGroup)],
                            styleOf({group, nextGroup}));
        }
    }
    if (startsGroup && group >= 0) {
        if (groupSize > shown && question.buttons.allows(extend))
            return answerOf(extend);
        if (groupSize < shown && question.buttons.allows(shrink))
            return answerOf(shrink);
    }
    // The text of the shown boxes: every group that starts among them, in reading order.
    QString text;
    int last = -1;
    for (int b : run) {
        const int g = a.groupOfBox[size_t(b)];
        if (g >= 0 && g != last && (b != question.box || startsGroup))
            text += a.groupText[size_t(g)];
        last = g;
    }
    if (question.rightToLeft) {
        // Groups were collected right to left; the text reads in the line's own order.
        text.clear();
        std::vector<int> groups;
        for (int b : run) {
            const int g = a.groupOfBox[size_t(b)];
            if (g >= 0 && (groups.empty() || groups.back() != g) && (b != question.box || startsGroup))
                groups.push_back(g);
        }
        std::sort(groups.begin(), groups.end());
        for (int g : groups)
            text += a.groupText[size_t(g)];
    }
    if (text.isEmpty())
        return answerOf(AnswerCode::UseTextOnly);
    if (shown > 1 && (text.startsWith(QLatin1Char('"')) || text.startsWith(QLatin1Char('\''))))
        m_strokeJoinTaught = true;
    std::vector<int> answered;
    for (int b : run) {
        const int g = a.groupOfBox[size_t(b)];
        if (g >= 0 && (b != question.box || startsGroup) && std::find(answered.begin(), answered.end(), g) == answered.end())
            answered.push_back(g);
    }
    return answerOf(AnswerCode::Ok, text, styleOf(answered));
}

} // namespace glyfex::recognition
