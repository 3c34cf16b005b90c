// The recognition driver: glyph by glyph in reading order, match, join, ask, learn, space and tag, then hand the lines over.
#include "recognition/recognition_driver.h"

#include "recognition/mask_file.h"
#include "recognition/picture_reduction.h"
#include "recognition/spacing.h"
#include "recognition/text_colour.h"
#include "subtitles/store_subtitle_sink.h"
#include "subtitles/style_tags.h"

#include <algorithm>

namespace glyfex::recognition {

namespace {

// A run may grow by another box only while the boxes together stay narrower than this (pixels), so
// that it still fits the 80-pixel glyph bitmap with room to spare.
constexpr int kMaxRunGrowWidth = 72;

constexpr uint32_t kHighlightColour = 0x3333FF; // (51, 51, 255), the work palette's blue: the asked glyph's pixels
constexpr uint32_t kFrameColour = 0xFF3333;     // (255, 51, 51): the frame around it

} // namespace

QString unreadLineMarker()
{
    return QStringLiteral("[ Line not read ]");
}

QString cleanLine(const QString &line)
{
    int begin = 0;
    int end = int(line.size());
    while (begin < end && line[begin].unicode() < 0x21)
        ++begin;
    while (end > begin && line[end - 1].unicode() < 0x21)
        --end;
    QString out = line.mid(begin, end - begin);
    if (out.isEmpty())
        return out;
    return subtitles::mergeStyleTags(std::move(out));
}

RecognitionDriver::RecognitionDriver(DriverEnvironment environment, DriverOptions options)
    : m_env(environment), m_options(std::move(options))
{
}

QString RecognitionDriver::message(int index) const
{
    return m_env.messages ? m_env.messages->text(index) : core::builtInMessage(index);
}

std::array<uint32_t, 256> RecognitionDriver::displayPalette() const
{
    std::array<uint32_t, 256> p{};
    for (int i = 0; i < 16; ++i) {
        const uint32_t bgr = m_options.dvdPalette[size_t(i)];
        p[size_t(i)] = (bgr & 0x00FF00) | (bgr & 0xFF) << 16 | (bgr >> 16 & 0xFF);
    }
    p[kHighlightIndex] = kHighlightColour;
    p[kFrameIndex] = kFrameColour;
    return p;
}

core::Result<void> RecognitionDriver::recognise(const picture::DecodedPicture &picture, const picture::DisplayTimes &times,
                                                const picture::Rect &area)
{
    auto outcome = recognisePicture(picture, times.start, times.stop, area);
    if (!outcome)
        return outcome.error();
    return {};
}

void RecognitionDriver::learn(Glyph glyph, const core::CharText &text, uint8_t style)
{
    glyph.text = text;
    glyph.style = style;
    switch (m_env.matrix.add(glyph)) {
    case CharMatrix::AddOutcome::Added:
        break;
    case CharMatrix::AddOutcome::Full:
        m_env.prompt.warn(message(core::Msg::Warning) + QStringLiteral("\r\n") + message(core::Msg::MaxCharactersReached)
                          + QLatin1Char(' ') + QString::number(m_env.matrix.count()) + QLatin1Char('\r')
                          + message(core::Msg::UseOwnMatrixPerDvd));
        break;
    case CharMatrix::AddOutcome::OutOfMemory:
        m_env.prompt.error(message(core::Msg::Error) + QStringLiteral("\r\n") + message(core::Msg::NoMemoryToAddCharacter)
                           + QLatin1Char('\r') + message(core::Msg::MatrixSizeInBytes) + QLatin1Char(' ')
                           + QString::number(qint64(m_env.matrix.count() + 1) * 498));
        break;
    }
}

GlyphAnswer RecognitionDriver::ask(int lineIndex, int first, int extraBoxes, const Glyph &descriptor, const AskButtons &buttons)
{
    const TextLine &line = m_lines[size_t(lineIndex)];
    GlyphQuestion q;
    q.shown = m_colours;
    q.palette = displayPalette();
    q.backgroundIndex = m_colourMap[0];
    q.boxes.reserve(line.boxes.size());
    for (const CharBox &box : line.boxes)
        q.boxes.push_back(shownBox(box));
    q.box = first;
    q.runLength = extraBoxes;
    q.rightToLeft = m_options.rightToLeft;
    q.glyph = descriptor;
    q.matchBox = line.boxes[size_t(first)];
    q.reducedPicture = m_scale > 1;
    if (!isTakeWithNext(descriptor.text)) {
        q.bestGuess = core::fromCharText(descriptor.text);
        q.bestGuessStyle = descriptor.style;
    }
    q.buttons = buttons;
    q.buttons.sameAsLast = m_options.videoViewer;
    const bool assistant = m_env.assistant != nullptr;
    q.buttons.changeColour = assistant && !m_options.videoViewer;
    q.buttons.fillMatrix = assistant;
    q.buttons.fillManually = assistant;
    q.nextEntryNumber = m_env.matrix.count() + 1;
    q.start = m_start;
    q.line = lineIndex;
    q.lineCount = int(m_lines.size());

    // Each box of the run shows its own pixels in the highlight colour; one frame goes around them all.
    int left = INT32_MAX, top = INT32_MAX, right = INT32_MIN, bottom = INT32_MIN;
    for (int b : q.runBoxes()) {
        const CharBox &box = q.boxes[size_t(b)];
        const uint8_t marker = markerOfBox(b);
        for (int y = box.y; y < box.y + box.height; ++y)
            for (int x = box.x; x < box.x + box.width; ++x)
                if (paintedWith(x, y, marker))
                    q.shown.at(x, y) = kHighlightIndex;
        left = std::min(left, box.x - 1);
        top = std::min(top, box.y - 1);
        right = std::max(right, box.x + box.width);
        bottom = std::max(bottom, box.y + box.height);
    }
    for (int x = left; x <= right; ++x) {
        if (q.shown.contains(x, top))
            q.shown.at(x, top) = kFrameIndex;
        if (q.shown.contains(x, bottom))
            q.shown.at(x, bottom) = kFrameIndex;
    }
    for (int y = top; y <= bottom; ++y) {
        if (q.shown.contains(left, y))
            q.shown.at(left, y) = kFrameIndex;
        if (q.shown.contains(right, y))
            q.shown.at(right, y) = kFrameIndex;
    }
    // The main window shows the picture as asked, so the glyph can be seen where it stands on the frame.
    if (m_env.showQuestion)
        m_env.showQuestion(q, m_area);
    ++m_outcome.questions;
    ++m_questionsTotal;
    GlyphAnswer a = m_env.asker.askGlyph(q);
    m_outcome.lastAnswer = a.code;
    return a;
}

void RecognitionDriver::paintMask(const TextLine &line, int first, int boxCount)
{
    const uint8_t pattern = m_colourMap[1];
    for (int i = 0; i < boxCount; ++i) {
        const int b = m_options.rightToLeft ? first - i : first + i;
        if (b < 0 || b >= int(line.boxes.size()))
            continue;
        const CharBox box = shownBox(line.boxes[size_t(b)]);
        for (int y = box.y; y < box.y + box.height; ++y)
            for (int x = box.x; x < box.x + box.width; ++x)
                if (m_colours.contains(x, y) && m_colours.at(x, y) == pattern)
                    m_mask.at(x, y) = 255;
    }
}

CharBox RecognitionDriver::shownBox(const CharBox &box) const
{
    if (m_scale == 1)
        return box;
    const int s = m_scale;
    const int top = m_sourceTop[size_t(box.y)];
    const int bottom = m_sourceTop[size_t(box.y + box.height)];
    CharBox out{box.x * s, top, box.width * s, bottom - top, box.dy * s};
    out.width = std::min(out.width, m_colours.width - out.x);
    out.height = std::min(out.height, m_colours.height - out.y);
    return out;
}

bool RecognitionDriver::paintedWith(int x, int y, uint8_t marker) const
{
    if (m_scale == 1)
        return m_codes.contains(x, y) && m_codes.at(x, y) == marker;
    // The ink of the picture as shown whose reduced pixel carries the glyph's paint.
    if (!m_fullCodes.contains(x, y) || !m_ink.isInk(m_fullCodes.at(x, y)))
        return false;
    const int rx = x / m_scale;
    const int ry = m_reducedRow[size_t(y)];
    const uint8_t here = m_codes.at(rx, ry);
    if (here == marker)
        return true;
    // Ink at the glyph's edge whose block held less than half ink: no glyph has it, and left plain it
    // would speckle the highlighted glyph. It goes with the glyph beside it.
    if (here == kFillMarkers[0] || here == kFillMarkers[1] || m_ink.isInk(here))
        return false;
    const auto marked = [&](int cx, int cy) { return m_codes.contains(cx, cy) && m_codes.at(cx, cy) == marker; };
    return marked(rx - 1, ry) || marked(rx + 1, ry) || marked(rx, ry - 1) || marked(rx, ry + 1);
}

std::optional<RecognitionDriver::Flow> RecognitionDriver::endOfPicture(AnswerCode code)
{
    switch (code) {
    case AnswerCode::SkipSubPicture:
    case AnswerCode::Pause:
    case AnswerCode::SameAsLast:
    case AnswerCode::FillMatrix:
        return Flow::Abandon;
    case AnswerCode::FillManually:
        m_fillManually = true;
        return Flow::EndPicture;
    default:
        return std::nullopt;
    }
}

// The walk along one line: its boxes in reading order, and the glyph before the current one, which the
// space decision compares with.
struct RecognitionDriver::LineWalk {
    LineWalk(int lineIndex, const TextLine &line, const DriverOptions &options)
        : lineIndex(lineIndex), line(line), boxes(line.boxes), count(int(line.boxes.size())),
          rtl(options.rightToLeft), spacingBoxes(line.boxes),
          spacing{spacingBoxes, rtl, options.match.settings.spaceWidth, options.match.charset}
    {
    }
    LineWalk(const LineWalk &) = delete;
    LineWalk &operator=(const LineWalk &) = delete;

    // Box i steps after box b in reading order, and whether a box exists.
    int step(int b, int i) const { return rtl ? b - i : b + i; }
    bool exists(int b) const { return b >= 0 && b < count; }
    // The buttons that grow the run in reading order and shrink it back.
    void setExtend(AskButtons &buttons, bool extendOn, bool shrinkOn) const
    {
        (rtl ? buttons.extendLeft : buttons.extendRight) = extendOn;
        (rtl ? buttons.extendRight : buttons.extendLeft) = shrinkOn;
    }
    Glyph runOf(const picture::CodeImage &codes, int first, int extraBoxes) const
    {
        return buildMergedDescriptor(codes, boxes, first, extraBoxes, rtl);
    }

    const int lineIndex;
    const TextLine &line;
    const std::vector<CharBox> &boxes;
    const int count;
    const bool rtl;
    // The boxes as spacing sees them: a glyph read from a run of boxes stands in its first box as the
    // whole run, so that the gap to the next glyph is measured from the run's end, not from inside it
    // (a double quote would otherwise be followed by a blank).
    std::vector<CharBox> spacingBoxes;
    const SpacingContext spacing;
    Glyph previous;
    QString previousText;
    SpacedGlyph previousGlyph{nullptr, {}, -1, 1};
};

// One glyph of the line: where it starts, how many boxes it takes, its descriptor, and what it reads as.
struct RecognitionDriver::GlyphRead {
    int first = 0;     // the box it starts at
    int boxCount = 1;  // the boxes it takes from there in reading order
    Glyph descriptor;  // of its first box, or of the whole run once it takes several
    QString text;      // empty: no text (an unanswered glyph)
    uint8_t style = 0;
    bool joined = false;   // read or asked as a run of boxes
    int joinedBoxes = 0;   // boxes after the first that "take with next" entries joined
    Glyph joinedRun;       // the run those boxes make, when joined
};

RecognitionDriver::GlyphRead RecognitionDriver::matchGlyph(const LineWalk &walk, int first, MatchResult &result)
{
    MatchOptions match = m_options.match;
    match.reducedPicture = m_scale > 1;
    GlyphRead glyph;
    glyph.first = first;
    glyph.descriptor = buildGlyphDescriptor(m_codes, markerOfBox(first), walk.boxes[size_t(first)]);
    // A "take with next" entry may only match while the next box stands close enough to join it.
    bool allowJoin = false;
    if (walk.exists(walk.step(first, 1))) {
        const CharBox &a = walk.boxes[size_t(first)];
        const CharBox &b = walk.boxes[size_t(walk.step(first, 1))];
        const int gap = walk.rtl ? a.x - (b.x + b.width) : b.x - (a.x + a.width);
        allowJoin = gap <= match.settings.spaceWidth;
    }
    result = matchChar(m_env.matrix, glyph.descriptor, walk.boxes[size_t(first)], allowJoin, match);
    // Each "take with next" match joins the next box; the run is matched again as a whole.
    while (result.matched() && isTakeWithNext(m_env.matrix.entry(result.index).text)) {
        glyph.joined = true;
        if (!walk.exists(walk.step(first, glyph.joinedBoxes + 1))) {
            result = MatchResult::guess(result.index); // no box left to join: the entry is only a guess
            break;
        }
        ++glyph.joinedBoxes;
        glyph.joinedRun = walk.runOf(m_codes, first, glyph.joinedBoxes);
        result = matchChar(m_env.matrix, glyph.joinedRun, boxOfDescriptor(glyph.joinedRun), true, match);
    }
    // A shape that starts a longer character and is also a character of its own (the first stroke of a
    // double quote and an apostrophe) reads as the latter when the run it started matches nothing.
    if (glyph.joined && !result.matched()) {
        const MatchResult alone = matchChar(m_env.matrix, glyph.descriptor, walk.boxes[size_t(first)], false, match);
        if (alone.matched()) {
            result = alone;
            glyph.joined = false;
            glyph.joinedBoxes = 0;
        }
    }
    if (result.matched() && !glyph.joined && allowJoin && isQuoteStroke(m_env.matrix.entry(result.index).text))
        result = matchStrokePair(walk, glyph, result);
    if (result.matched()) {
        const Glyph &entry = m_env.matrix.entry(result.index);
        glyph.text = core::fromCharText(entry.text);
        glyph.style = entry.style;
        if (glyph.joined) {
            glyph.descriptor = glyph.joinedRun;
            glyph.boxCount = glyph.joinedBoxes + 1;
        }
    }
    return glyph;
}

// A stroke that reads as an apostrophe (or another one-stroke mark) may be the first of a double
// quote's two. The pair is tried as a whole before the stroke is taken alone; when the matrix does not
// know the pair but the next box reads as the same mark, the pair is asked as one glyph, so that the
// user sees the whole double quote rather than only its second stroke.
MatchResult RecognitionDriver::matchStrokePair(const LineWalk &walk, GlyphRead &glyph, const MatchResult &alone)
{
    MatchOptions match = m_options.match;
    match.reducedPicture = m_scale > 1;
    const int first = glyph.first;
    const int next = walk.step(first, 1);
    const Glyph pair = walk.runOf(m_codes, first, 1);
    const MatchResult both = matchChar(m_env.matrix, pair, boxOfDescriptor(pair), false, match);
    const auto takePair = [&] {
        glyph.joined = true;
        glyph.joinedBoxes = 1;
        glyph.joinedRun = pair;
    };
    if (both.matched()) {
        takePair();
        return both;
    }
    const Glyph second = buildGlyphDescriptor(m_codes, markerOfBox(next), walk.boxes[size_t(next)]);
    const MatchResult secondAlone = matchChar(m_env.matrix, second, walk.boxes[size_t(next)], false, match);
    // Only two strokes of one mark: a comma before a closing double quote is two characters. At half
    // size the two strokes of one quote often differ by a pixel row, so the second need only come
    // closest to the same mark, at about the first one's size and height in the line.
    const CharBox &a = walk.boxes[size_t(first)];
    const CharBox &b = walk.boxes[size_t(next)];
    const auto near = [](int u, int v) { return std::abs(u - v) <= std::max(2, std::max(u, v) / 4); };
    const bool alike = near(a.height, b.height) && near(a.width, b.width) && near(a.dy, b.dy);
    if (secondAlone.kind == MatchResult::Kind::None || !alike
        || m_env.matrix.entry(secondAlone.index).text != m_env.matrix.entry(alone.index).text)
        return alone;
    takePair();
    // The pair's own best guess, if it has one; a guess of the lone stroke's text would be wrong for two.
    return both.guessed() && !isTakeWithNext(m_env.matrix.entry(both.index).text) ? both : MatchResult{};
}

// The glyph becomes the run of its first box and extraBoxes further boxes, which it uses up.
void RecognitionDriver::takeRun(const LineWalk &walk, GlyphRead &glyph, int extraBoxes)
{
    if (extraBoxes > 0)
        glyph.descriptor = walk.runOf(m_codes, glyph.first, extraBoxes);
    glyph.boxCount = extraBoxes + 1;
}

GlyphAnswer RecognitionDriver::extendRun(const LineWalk &walk, GlyphRead &glyph, AskButtons &buttons, GlyphAnswer answer,
                                         int &extraBoxes)
{
    const AnswerCode extend = extendCode(walk.rtl);
    const AnswerCode shrink = shrinkCode(walk.rtl);
    const int first = glyph.first;
    // Skipping the line or searching a matrix make no sense for a part of a run, so those buttons are
    // off meanwhile.
    glyph.joined = true;
    buttons.skipLine = false;
    buttons.searchMatrix = false;
    Glyph run = extraBoxes > 0 ? walk.runOf(m_codes, first, extraBoxes) : glyph.descriptor;
    // Only an enabled button counts: a run never grows past the line or shrinks below the joined boxes.
    while ((answer.code == extend || answer.code == shrink) && buttons.allows(answer.code)) {
        if (answer.code == extend) {
            ++extraBoxes;
            const int before = extraBoxes - 1 == 0 ? walk.boxes[size_t(first)].width : int(run.width);
            const bool further = walk.exists(walk.step(first, extraBoxes + 1));
            walk.setExtend(buttons, further && walk.boxes[size_t(walk.step(first, extraBoxes))].width + before < kMaxRunGrowWidth,
                           true);
            answer = ask(walk.lineIndex, first, extraBoxes, glyph.descriptor, buttons);
            run = walk.runOf(m_codes, first, extraBoxes);
            glyph.joined = true;
        } else {
            extraBoxes = std::max(extraBoxes - 1, 0);
            walk.setExtend(buttons, true, extraBoxes > glyph.joinedBoxes);
            answer = ask(walk.lineIndex, first, extraBoxes, glyph.descriptor, buttons);
            run = walk.runOf(m_codes, first, extraBoxes);
            glyph.joined = extraBoxes > 0;
        }
    }
    return answer;
}

std::optional<RecognitionDriver::Flow> RecognitionDriver::askGlyph(const LineWalk &walk, GlyphRead &glyph,
                                                                   const MatchResult &guess)
{
    const int first = glyph.first;
    const int joinedBoxes = glyph.joinedBoxes;
    // The question shows the best guess's text and style; the descriptor stays the first box's.
    if (guess.guessed()) {
        glyph.descriptor.text = m_env.matrix.entry(guess.index).text;
        glyph.descriptor.style = m_env.matrix.entry(guess.index).style;
    } else {
        glyph.descriptor.text = core::CharText{};
        glyph.descriptor.style = 0;
    }
    AskButtons buttons;
    // The run the answer is given for: the joined boxes are shown with their first box even when no
    // further box follows, since a learned answer covers all of them.
    walk.setExtend(buttons, walk.exists(walk.step(first, joinedBoxes + 1)), false);
    ++m_glyphsAsked;
    GlyphAnswer answer = ask(walk.lineIndex, first, joinedBoxes, glyph.descriptor, buttons);
    if (answer.code == extendCode(walk.rtl) && buttons.allows(answer.code)) {
        int extraBoxes = joinedBoxes;
        answer = extendRun(walk, glyph, buttons, answer, extraBoxes);
        return takeAnswer(walk, glyph, answer, extraBoxes, true);
    }
    return takeAnswer(walk, glyph, answer, joinedBoxes, false);
}

std::optional<RecognitionDriver::Flow> RecognitionDriver::takeAnswer(const LineWalk &walk, GlyphRead &glyph,
                                                                     const GlyphAnswer &answer, int extraBoxes, bool grown)
{
    if (auto end = endOfPicture(answer.code))
        return end;
    // The text was given for the whole run that was shown last.
    const auto takeText = [&] {
        glyph.text = core::fromCharText(answer.text);
        glyph.style = answer.style;
        if (glyph.joined)
            takeRun(walk, glyph, extraBoxes);
    };
    switch (answer.code) {
    case AnswerCode::Ok:
        // An entry without text would make every later glyph of its shape vanish: nothing is learned.
        if (answer.text.length == 0) {
            takeText();
            break;
        }
        // Each shorter part of a run the user grew is learned as its beginning.
        if (grown && glyph.joined) {
            for (int i = 1; i <= extraBoxes; ++i)
                learn(walk.runOf(m_codes, glyph.first, i - 1), core::toCharText(QString::fromUtf16(kTakeWithNext)), 0);
        }
        takeText();
        learn(glyph.descriptor, answer.text, answer.style);
        break;
    case AnswerCode::UseTextOnly:
        takeText();
        break;
    case AnswerCode::MatrixLoaded:
        // Searching a matrix is off while a run grows.
        if (!grown)
            takeText();
        break;
    case AnswerCode::SkipLine:
        // Skipping the line is off while a run grows.
        if (grown)
            break;
        m_suppressEmpty = true;
        return Flow::EndLine;
    default:
        break; // ChangeColor, or a shrink that is never enabled here: no text
    }
    return std::nullopt;
}

void RecognitionDriver::appendGlyph(LineWalk &walk, const GlyphRead &glyph, QString &out)
{
    // The space before the glyph, then the glyph's text in its style.
    const int first = glyph.first;
    if (glyph.boxCount > 1) {
        CharBox whole = walk.boxes[size_t(first)];
        for (int i = 1; i < glyph.boxCount; ++i) {
            const CharBox &b = walk.boxes[size_t(walk.step(first, i))];
            const int right = std::max(whole.x + whole.width, b.x + b.width);
            const int bottom = std::max(whole.y + whole.height, b.y + b.height);
            whole.x = std::min(whole.x, b.x);
            whole.y = std::min(whole.y, b.y);
            whole.width = right - whole.x;
            whole.height = bottom - whole.y;
            whole.dy = std::min(whole.dy, b.dy);
        }
        walk.spacingBoxes[size_t(first)] = whole;
    }
    // A run's shape for spacing spans all its boxes; its descriptor may stop short of the first.
    const Glyph shape = glyph.boxCount > 1 ? buildRunShape(m_codes, walk.boxes, first, glyph.boxCount - 1, walk.rtl)
                                           : glyph.descriptor;
    const SpacedGlyph current{&shape, glyph.text, first, glyph.boxCount};
    if (walk.previousGlyph.descriptor && needSpaceBetween(walk.previousGlyph, current, walk.spacing))
        out += QLatin1Char(' ');
    walk.previous = shape;
    walk.previousText = glyph.text;
    walk.previousGlyph = SpacedGlyph{&walk.previous, walk.previousText, first, glyph.boxCount};
    if (!glyph.text.isEmpty()) {
        if (m_options.saveMask)
            paintMask(walk.line, first, glyph.boxCount);
        out += subtitles::addStyleTags(glyph.text, glyph.style);
    }
}

RecognitionDriver::Flow RecognitionDriver::recogniseLine(int lineIndex, QString &out)
{
    LineWalk walk(lineIndex, m_lines[size_t(lineIndex)], m_options);
    for (int first = walk.rtl ? walk.count - 1 : 0; walk.exists(first);) {
        MatchResult result;
        GlyphRead glyph = matchGlyph(walk, first, result);
        if (!result.matched()) {
            if (const auto end = askGlyph(walk, glyph, result)) {
                if (*end == Flow::EndLine)
                    out.clear();
                return *end;
            }
        }
        appendGlyph(walk, glyph, out);
        first = walk.step(first, glyph.boxCount);
    }
    return Flow::NextBox;
}

core::Result<PictureOutcome> RecognitionDriver::recognisePicture(const picture::DecodedPicture &picture,
                                                                 const core::TimeCode &start, const core::TimeCode &stop,
                                                                 const picture::Rect &area)
{
    m_outcome = PictureOutcome{};
    m_fillManually = false;
    m_start = start;
    m_area = area;
    m_codes = picture.codes;
    m_fullCodes = {};
    m_scale = 1;
    m_colourMap = picture.colourMap;
    m_lines.clear();
    if (m_options.saveMask)
        m_mask.reset(m_codes.width, m_codes.height, 0);

    auto abandon = [this](PictureOutcome::End end) -> core::Result<PictureOutcome> {
        m_outcome.end = end;
        // The store never sees this picture: a line skipped in it must not make the store drop the
        // next picture without text silently.
        m_suppressEmpty = false;
        return m_outcome;
    };

    OcrAssistState &assist = m_env.assist;
    if (assist.mode >= OcrAssistState::FillMatrixRequested) {
        const bool fillRequest = assist.mode == OcrAssistState::FillMatrixRequested;
        if (!m_env.assistant) {
            // Nobody can serve the request: dropping the picture for it would drop every later one
            // too, so the colours are detected again and the picture is read as usual.
            const bool restore = fillRequest && assist.savedMode < OcrAssistState::FillMatrixRequested;
            assist.mode = restore ? assist.savedMode : OcrAssistState::Automatic;
        } else {
            const bool ok = m_env.assistant->assist(picture, assist);
            if (fillRequest && assist.mode == OcrAssistState::FillMatrixRequested)
                assist.mode = assist.savedMode;
            if (!ok)
                return abandon(PictureOutcome::End::Abandoned);
        }
    }

    InkCodes ink = assist.fixedInk;
    if (assist.mode != OcrAssistState::Fixed) {
        ColourCandidates candidates = picture.colourCandidates;
        auto detected = detectTextColours(m_codes, candidates);
        if (!detected) {
            if (m_env.run)
                m_env.run->countSkipped();
            return abandon(PictureOutcome::End::NoColour);
        }
        ink = *detected;
    }
    m_ink = ink;
    m_colours = buildColourImage(m_codes, m_colourMap);
    if (m_env.showPicture) {
        GlyphQuestion shown;
        shown.shown = m_colours;
        shown.palette = displayPalette();
        shown.backgroundIndex = m_colourMap[0];
        m_env.showPicture(shown, area);
    }

    // Only recognition sees the picture of a tall frame reduced; questions, the shown picture and the
    // mask keep its own size.
    m_scale = reductionFactor(picture.frameHeight);
    if (m_scale > 1) {
        m_fullCodes = std::move(m_codes);
        ReducedPicture reduced = reduceByBands(m_fullCodes, ink, m_scale);
        m_codes = std::move(reduced.image);
        m_sourceTop = std::move(reduced.sourceTop);
        m_reducedRow = std::move(reduced.reducedRow);
    }
    Segmentation seg = segmentSubtitle(m_codes, ink, codeColours(m_colourMap, m_options.dvdPalette),
                                       m_options.match.settings, m_scale > 1);
    if (seg.glyphTooWide)
        m_suppressEmpty = false;
    m_lines = std::move(seg.lines);

    QStringList out;
    std::vector<uint32_t> colours;
    // A line passed over leaves a marker where it stood, so that the missing text shows.
    size_t unread = 0;
    int unreadCount = 0;
    const auto markUnread = [&](int linesAbove) {
        while (unread < seg.unreadLines.size() && seg.unreadLines[unread] <= linesAbove) {
            out.append(unreadLineMarker());
            const int near = std::min(linesAbove, int(m_lines.size()) - 1);
            colours.push_back(near >= 0 ? m_lines[size_t(near)].colour : 0);
            ++unread;
            ++unreadCount;
        }
    };
    bool endedEarly = false;
    for (int l = 0; l < int(m_lines.size()); ++l) {
        markUnread(l);
        QString text;
        const Flow flow = recogniseLine(l, text);
        if (flow == Flow::Abandon)
            return abandon(PictureOutcome::End::Abandoned);
        text = cleanLine(text);
        if (!text.isEmpty()) {
            out.append(text);
            colours.push_back(m_lines[size_t(l)].colour);
        }
        if (flow == Flow::EndPicture) {
            endedEarly = true;
            break;
        }
    }
    if (!endedEarly)
        markUnread(int(m_lines.size()));
    if (unreadCount == int(out.size()) && unreadCount > 0) {
        // Nothing was read: the picture goes to the skipped items, where its text can be typed, even
        // when the user skipped one of its lines.
        out.clear();
        colours.clear();
        m_suppressEmpty = false;
    }
    m_outcome.unreadLines = unreadCount;
    m_unreadLines += unreadCount;
    if (m_fillManually) {
        out.clear();
        colours.clear();
        // The user chose to type this picture's text: a line skipped earlier in the picture must not
        // make the store drop the empty picture without opening the assistant.
        m_suppressEmpty = false;
    }

    subtitles::NewSubtitle added;
    added.lines = out;
    added.fromPicture = true;
    added.start = start;
    added.stop = stop;
    added.rect = area;
    const picture::SpuControlSequence &seq = picture.first();
    added.colourWord = seq.colour;
    added.contrastWord = seq.contrast;
    subtitles::AddContext context = m_options.addContext;
    context.recognisedLineColours.fill(0);
    for (size_t i = 0; i < colours.size() && i < context.recognisedLineColours.size(); ++i)
        context.recognisedLineColours[i] = colours[i];
    m_outcome.lines = out;

    added.suppressEmpty = m_suppressEmpty;
    m_suppressEmpty = false;
    subtitles::StoreSubtitleSink sink(m_env.store, m_env.skippedAsker);
    sink.setView(m_env.storeView);
    auto report = sink.add(added, context);
    if (!report)
        return report.error();
    switch (report->outcome) {
    case subtitles::AddReport::Outcome::Added:
        m_outcome.end = PictureOutcome::End::Added;
        break;
    case subtitles::AddReport::Outcome::Merged:
        m_outcome.end = PictureOutcome::End::Merged;
        if (m_env.mergedIntoLast)
            m_env.mergedIntoLast();
        break;
    case subtitles::AddReport::Outcome::NothingAdded:
        m_outcome.end = PictureOutcome::End::NothingAdded;
        break;
    }
    if (!report->warning.isEmpty())
        m_env.prompt.warn(report->warning);

    // The mask belongs to a stored subtitle and is named after it; a picture that stored nothing
    // would otherwise overwrite the mask of the subtitle before it.
    if (m_options.saveMask && m_outcome.end == PictureOutcome::End::Added) {
        const QString path = maskFilePath(m_options.maskDir, m_env.store.count() - 1);
        if (auto written = writePgmMask(path, m_mask); !written)
            return written.error();
        m_outcome.maskWritten = true;
        const subtitles::Subtitle &last = m_env.store.last();
        m_textRect = last.rect;
    }
    return m_outcome;
}

} // namespace glyfex::recognition
