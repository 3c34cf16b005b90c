// The recognition driver: glyph by glyph in reading order, match, join, ask, learn, space and tag, then hand the lines over.
#include "recognition/recognition_driver.h"

#include "recognition/mask_file.h"
#include "recognition/spacing.h"
#include "recognition/style_tags.h"
#include "recognition/text_colour.h"
#include "subtitles/store_subtitle_sink.h"

#include <algorithm>

namespace glyfex::recognition {

namespace {

// A run may grow by another box only while the boxes together stay narrower than this (pixels), so
// that it still fits the 80-pixel glyph bitmap with room to spare.
constexpr int kMaxRunGrowWidth = 72;

constexpr uint32_t kHighlightColour = 0x33FF33; // green: the asked glyph's pixels
constexpr uint32_t kFrameColour = 0xFF3333;     // (255, 51, 51): the frame around it

// Tags that neighbouring glyphs of one style leave between them, and tags around lone punctuation,
// in the order they are removed; "<i>.</i>" comes twice because the steps between can make new ones.
const std::pair<const char16_t *, const char16_t *> kTagCleanups[] = {
    {u"</b><b>", u""},     {u"</b> <b>", u" "},   {u"</i><i>", u""},     {u"</i> <i>", u" "},
    {u"</u><u>", u""},     {u"</u> <u>", u" "},   {u"<i>...</i>", u"..."}, {u"<i>.</i>", u"."},
    {u"<i>-</i>", u"-"},   {u"<i>--</i>", u"--"}, {u"</i>.<i>", u"."},   {u"</i>. <i>", u". "},
    {u"<i>.</i>", u"."},   {u"<i>. </i>", u". "}, {u"</i>,<i>", u","},   {u"</i>, <i>", u", "},
    {u"<i>,</i>", u","},   {u"<i>, </i>", u", "}, {u"<i></i>", u""},     {u"</i>rv<i>", u"rv"},
    {u"</i>-<i>", u"-"},   {u"</i>'<i>", u"'"},
};

} // namespace

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
    for (const auto &[from, to] : kTagCleanups)
        out.replace(QString::fromUtf16(from), QString::fromUtf16(to));
    return out;
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

GlyphAnswer RecognitionDriver::ask(int lineIndex, int c, int n, const Glyph &descriptor, const AskButtons &buttons)
{
    const TextLine &line = m_lines[size_t(lineIndex)];
    GlyphQuestion q;
    q.shown = m_colours;
    q.palette = displayPalette();
    q.backgroundIndex = m_colourMap[0];
    q.boxes = line.boxes;
    q.box = c;
    q.runLength = n;
    q.rightToLeft = m_options.rightToLeft;
    q.glyph = descriptor;
    if (!isTakeWithNext(descriptor.text)) {
        q.bestGuess = core::fromCharText(descriptor.text);
        q.bestGuessStyle = descriptor.style;
    }
    q.buttons = buttons;
    q.buttons.sameAsLast = m_options.videoViewer;
    const bool assistant = m_env.assistant != nullptr;
    q.buttons.changeColor = assistant && !m_options.videoViewer;
    q.buttons.fillMatrix = assistant;
    q.buttons.fillManually = assistant;
    q.nextEntryNumber = m_env.matrix.count() + 1;
    q.start = m_start;
    q.line = lineIndex;
    q.lineCount = int(m_lines.size());

    // Each box of the run shows its own pixels in the highlight colour; one frame goes around them all.
    int left = INT32_MAX, top = INT32_MAX, right = INT32_MIN, bottom = INT32_MIN;
    for (int b : q.runBoxes()) {
        const CharBox &box = line.boxes[size_t(b)];
        const uint8_t marker = markerOfBox(b);
        for (int y = box.y; y < box.y + box.height; ++y)
            for (int x = box.x; x < box.x + box.width; ++x)
                if (m_codes.contains(x, y) && m_codes.at(x, y) == marker)
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
    ++m_outcome.questions;
    ++m_questionsTotal;
    GlyphAnswer a = m_env.asker.askGlyph(q);
    m_outcome.lastAnswer = a.code;
    return a;
}

void RecognitionDriver::paintMask(const TextLine &line, int c, int boxCount)
{
    const uint8_t pattern = m_colourMap[1];
    for (int i = 0; i < boxCount; ++i) {
        const int b = m_options.rightToLeft ? c - i : c + i;
        if (b < 0 || b >= int(line.boxes.size()))
            continue;
        const CharBox &box = line.boxes[size_t(b)];
        for (int y = box.y; y < box.y + box.height; ++y)
            for (int x = box.x; x < box.x + box.width; ++x)
                if (m_colours.contains(x, y) && m_colours.at(x, y) == pattern)
                    m_mask.at(x, y) = 255;
    }
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

RecognitionDriver::Flow RecognitionDriver::recogniseLine(int lineIndex, QString &out)
{
    const TextLine &line = m_lines[size_t(lineIndex)];
    const std::vector<CharBox> &boxes = line.boxes;
    const int count = int(boxes.size());
    const bool rtl = m_options.rightToLeft;
    const MatchOptions &match = m_options.match;
    const AnswerCode extend = extendCode(rtl);
    const AnswerCode shrink = shrinkCode(rtl);
    // Box i steps after c in reading order, and whether it exists.
    auto step = [rtl](int c, int i) { return rtl ? c - i : c + i; };
    auto exists = [count](int b) { return b >= 0 && b < count; };
    auto setExtend = [rtl](AskButtons &b, bool extendOn, bool shrinkOn) {
        (rtl ? b.extendLeft : b.extendRight) = extendOn;
        (rtl ? b.extendRight : b.extendLeft) = shrinkOn;
    };
    // The boxes as spacing sees them: a glyph read from a run of boxes stands in its first box as the
    // whole run, so that the gap to the next glyph is measured from the run's end, not from inside it
    // (a double quote would otherwise be followed by a blank).
    std::vector<CharBox> spacingBoxes = boxes;
    const SpacingContext spacing{spacingBoxes, rtl, match.settings.spaceWidth, match.charset};

    Glyph previous;
    QString previousText;
    SpacedGlyph previousGlyph{nullptr, {}, -1, 1};

    int c = rtl ? count - 1 : 0;
    while (exists(c)) {
        AskButtons buttons;
        setExtend(buttons, exists(step(c, 1)), false);
        QString text;
        uint8_t style = 0;
        bool joined = false;
        int n = 0;
        int k = 0;
        int used = 1; // boxes this glyph takes

        Glyph current = buildGlyphDescriptor(m_codes, markerOfBox(c), boxes[size_t(c)]);
        bool allowJoin = false;
        if (exists(step(c, 1))) {
            const CharBox &a = boxes[size_t(c)];
            const CharBox &b = boxes[size_t(step(c, 1))];
            const int gap = rtl ? a.x - (b.x + b.width) : b.x - (a.x + a.width);
            allowJoin = gap <= match.settings.spaceWidth;
        }
        int32_t result = matchChar(m_env.matrix, current, boxes[size_t(c)], allowJoin, match);
        Glyph run;
        while (result > 0 && isTakeWithNext(m_env.matrix.entry(result).text)) {
            joined = true;
            if (!exists(step(c, n + 1))) {
                result = -result;
                break;
            }
            ++n;
            ++k;
            run = buildMergedDescriptor(m_codes, boxes, c, n, rtl);
            result = matchChar(m_env.matrix, run, boxOfDescriptor(run), true, match);
        }

        if (result > 0) {
            const Glyph &entry = m_env.matrix.entry(result);
            text = core::fromCharText(entry.text);
            style = entry.style;
            if (joined) {
                current = run;
                used = n + 1;
            }
        } else {
            if (result < 0) {
                current.text = m_env.matrix.entry(-result).text;
                current.style = m_env.matrix.entry(-result).style;
            } else {
                current.text = core::CharText{};
                current.style = 0;
            }
            // The run the answer is given for: the k joined boxes are shown with their first box even
            // when no further box follows, since a learned answer covers all of them.
            if (joined && exists(step(c, k + 1)))
                setExtend(buttons, true, false);
            else if (joined)
                setExtend(buttons, false, false);
            ++m_glyphsAsked;
            GlyphAnswer answer = ask(lineIndex, c, k, current, buttons);
            n = k;
            auto takeAnswer = [&] {
                text = core::fromCharText(answer.text);
                style = answer.style;
            };
            auto runOf = [&](int extra) { return buildMergedDescriptor(m_codes, boxes, c, extra, rtl); };
            // The glyph becomes the run of box c and extra further boxes, which it uses up.
            auto takeRun = [&](int extra) {
                if (extra > 0)
                    current = runOf(extra);
                used = extra + 1;
            };

            if (answer.code == extend && buttons.allows(extend)) {
                // The extension loop: the run grows and shrinks box by box until the user answers
                // with something else. Skipping the line or searching a matrix make no sense for a
                // part of a run, so those buttons are off meanwhile.
                joined = true;
                buttons.skipLine = false;
                buttons.searchMatrix = false;
                run = n > 0 ? runOf(n) : current;
                // Only an enabled button counts: a run never grows past the line or shrinks below one box.
                while ((answer.code == extend || answer.code == shrink) && buttons.allows(answer.code)) {
                    if (answer.code == extend) {
                        ++n;
                        const int before = n - 1 == 0 ? boxes[size_t(c)].width : int(run.width);
                        const bool further = exists(step(c, n + 1));
                        setExtend(buttons, further && boxes[size_t(step(c, n))].width + before < kMaxRunGrowWidth, true);
                        answer = ask(lineIndex, c, n, current, buttons);
                        run = runOf(n);
                        joined = true;
                    } else {
                        n = std::max(n - 1, 0);
                        setExtend(buttons, true, n > k);
                        answer = ask(lineIndex, c, n, current, buttons);
                        run = runOf(n);
                        joined = n > 0;
                    }
                }
                buttons.skipLine = true;
                buttons.searchMatrix = true;
                if (auto end = endOfPicture(answer.code))
                    return *end;
                switch (answer.code) {
                case AnswerCode::UseTextOnly:
                    takeAnswer();
                    if (joined)
                        takeRun(n);
                    break;
                case AnswerCode::Ok:
                    takeAnswer();
                    if (joined) {
                        // Each shorter part of the run is learned as its beginning.
                        for (int i = 1; i <= n; ++i)
                            learn(runOf(i - 1), core::toCharText(QString::fromUtf16(kTakeWithNext)), 0);
                        takeRun(n);
                    }
                    learn(current, answer.text, answer.style);
                    break;
                default:
                    break; // no text
                }
            } else {
                if (auto end = endOfPicture(answer.code))
                    return *end;
                switch (answer.code) {
                case AnswerCode::Ok:
                    takeAnswer();
                    if (joined)
                        takeRun(k); // learned for the joined boxes, as they were shown
                    learn(current, answer.text, answer.style);
                    break;
                case AnswerCode::UseTextOnly:
                case AnswerCode::MatrixLoaded:
                    takeAnswer();
                    // The text was given for the whole run that was shown.
                    if (joined)
                        takeRun(k);
                    break;
                case AnswerCode::SkipLine:
                    out.clear();
                    m_suppressEmpty = true;
                    return Flow::EndLine;
                default:
                    break; // ChangeColor, or a shrink that is never enabled here: no text
                }
            }
        }

        // Box end: the space before the glyph, then the glyph's text in its style.
        if (used > 1) {
            CharBox whole = boxes[size_t(c)];
            for (int i = 1; i < used; ++i) {
                const CharBox &b = boxes[size_t(step(c, i))];
                const int right = std::max(whole.x + whole.width, b.x + b.width);
                const int bottom = std::max(whole.y + whole.height, b.y + b.height);
                whole.x = std::min(whole.x, b.x);
                whole.y = std::min(whole.y, b.y);
                whole.width = right - whole.x;
                whole.height = bottom - whole.y;
                whole.dy = std::min(whole.dy, b.dy);
            }
            spacingBoxes[size_t(c)] = whole;
        }
        // A run's shape for spacing spans all its boxes; its descriptor may stop short of the first.
        const Glyph shape = used > 1 ? buildRunShape(m_codes, boxes, c, used - 1, rtl) : current;
        const SpacedGlyph currentGlyph{&shape, text, c, used};
        if (previousGlyph.descriptor && needSpaceBetween(previousGlyph, currentGlyph, spacing))
            out += QLatin1Char(' ');
        previous = shape;
        previousText = text;
        previousGlyph = SpacedGlyph{&previous, previousText, c, used};
        if (!text.isEmpty()) {
            if (m_options.saveMask)
                paintMask(line, c, used);
            out += addStyleTags(text, style);
        }
        c = step(c, used);
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
    m_codes = picture.codes;
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
    m_colours = buildColourImage(m_codes, m_colourMap);
    if (m_env.showPicture) {
        GlyphQuestion shown;
        shown.shown = m_colours;
        shown.palette = displayPalette();
        shown.backgroundIndex = m_colourMap[0];
        m_env.showPicture(shown, area);
    }

    Segmentation seg = segmentSubtitle(m_codes, ink, codeColours(m_colourMap, m_options.dvdPalette), m_options.match.settings);
    if (seg.glyphTooWide)
        m_suppressEmpty = false;
    m_lines = std::move(seg.lines);

    QStringList out;
    std::vector<uint32_t> colours;
    for (int l = 0; l < int(m_lines.size()); ++l) {
        QString text;
        const Flow flow = recogniseLine(l, text);
        if (flow == Flow::Abandon)
            return abandon(PictureOutcome::End::Abandoned);
        text = cleanLine(text);
        if (!text.isEmpty()) {
            out.append(text);
            colours.push_back(m_lines[size_t(l)].colour);
        }
        if (flow == Flow::EndPicture)
            break;
    }
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
    added.colorWord = seq.colour;
    added.contrastWord = seq.contrast;
    subtitles::AddContext context = m_options.addContext;
    context.recognisedLineColors.fill(0);
    for (size_t i = 0; i < colours.size() && i < context.recognisedLineColors.size(); ++i)
        context.recognisedLineColors[i] = colours[i];
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
