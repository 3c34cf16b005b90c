// OCR benchmark: the whole road (reading pass, decoder, recognition driver) taught from the ground truth, then
// run again with what it learned, against Tesseract 5 on the same decoded pictures.
//
// Usage: ocr_bench [--colours TEXT[,OUTLINE]] [--space-width N] [--sensibility N] [--fill-font FILE --fill-size N]
//                  [--aligned-teacher] [TITLESET-FOLDER|VTS_nn_0.IFO|file.idx GROUND-TRUTH.srt [STREAM]]
// The teacher of run 1 answers each question with what the asked glyph covers, as a user does, where a
// character map lies beside the .idx (file.chars, as make_hd_vobsub writes it): the characters most of
// whose ink the glyph holds, and ">>" while it holds only a piece of the next one. Without a map, or
// with --aligned-teacher, it aligns the ground truth's characters with each line's boxes.
// --colours fixes the pixel codes (0-3) of the text and its outline for every picture, as the OCR
// assistant's colour choice does, instead of detecting them picture by picture.
// --space-width sets the gap that makes a space, as the Advanced OCR Setup does (11 without it);
// --sensibility the per mille a match needs, likewise (980 without it).
// --fill-font fills the matrix from a font file at N pixels instead of teaching, as the OCR assistant's
// fill does: the first line of the first subtitle is the sample, fitted over the first picture so that
// its letters are as wide and as tall as the picture's; the printable ASCII and Latin-1 characters are
// learnt. The run then learns nothing: each question is counted and takes the best guess. It prints
// "ocr fill accuracy=<%> questions=<n> size=<W>x<H>", the pixel sizes the fit drew the font at.
// Run 2 learns nothing: a question it still asks leaves its glyph without text (and is counted).
// Without arguments: both checked-in fixtures and a 1000-subtitle outlined disc made on the first run with
// the shared fixture tool into bench-data/ocr/. For each case it prints characters, character errors
// (edit distance against the ground truth, tags stripped) and questions of each run, and then
// "ocr accuracy=<run 2 %> questions=<run 1> shapes=<distinct glyph shapes> questions_run2=<n>
//  tesseract_accuracy=<%> speed_ratio=<Tesseract seconds / run 2 seconds>", followed by " italic=<words tagged right>/<italic words>"
// when the ground truth has <i> tags (the teacher teaches each glyph in the style of its characters, and
// an italic word is tagged right when run 2 read all its letters inside <i> ... </i>), and by
// " il_corrected_accuracy=<%>", run 2 after the Post OCR Correction's I and l pass. Tesseract runs with
// one thread.
#include "bench/fixture_tool.h"
#include "bench/null_sinks.h"
#include "recognition/char_matrix.h"
#include "recognition/font_fill.h"
#include "recognition/freetype_text_renderer.h"
#include "recognition/picture_reduction.h"
#include "recognition/recognition_driver.h"
#include "recognition/run_control.h"
#include "recognition/scripted_answerer.h"
#include "recognition/segmentation.h"
#include "recognition/text_colour.h"
#include "ripping/spu_dispatch.h"
#include "ripping/vob_pass.h"
#include "ripping/vob_source_run.h"
#include "ripping/vobsub_index.h"
#include "subtitles/il_correction.h"
#include "subtitles/store_subtitle_sink.h"
#include "subtitles/subtitle_store.h"
#include "support/covering_teacher.h"
#include "support/guessing_asker.h"
#include "support/italic_words.h"
#include "support/sample_fit.h"

#include <tesseract/baseapi.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <vector>

#include <unistd.h>

using namespace glyfex;
using namespace glyfex::recognition;

namespace {

// The letters of the generated discs stand up to 10 pixels apart and their words 16 or more (less
// between slanted capitals such as "Y A"): a space takes 11 (Advanced OCR Setup's space width).
constexpr int kDefaultSpaceWidth = 11;

// A font to fill the matrix from instead of teaching it.
struct FillFont {
    QString file;
    double pixels = 0;
};

struct Case {
    QString name;
    QStringList files; // VOBs of the title set in order, or one .sub
    QString truth;
    uint8_t streamId = 0x20;
    QString idx{}; // a VobSub index: the units' times come from it
    std::optional<InkCodes> colours{}; // chosen text and outline codes; detected per picture when unset
    int spaceWidth = kDefaultSpaceWidth;
    int sensibility = OcrSettings{}.sensibility;
    std::optional<FillFont> fill{};
    bool alignedTeacher = false; // teach from the text even where a character map exists
};

// The title set's VOBs (VTS_nn_1.VOB ...) in a folder, for the title set of ifo or the first one.
QStringList titleSetVobs(const QString &folder, const QString &ifo = {})
{
    QDir dir(folder);
    if (dir.exists(QStringLiteral("VIDEO_TS")))
        dir.cd(QStringLiteral("VIDEO_TS"));
    QString prefix;
    if (!ifo.isEmpty())
        prefix = QFileInfo(ifo).fileName().left(7).toUpper(); // "VTS_01_"
    QStringList out;
    const QStringList all = dir.entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
    static const QRegularExpression vob(QStringLiteral("^VTS_\\d\\d_[1-9]\\.VOB$"), QRegularExpression::CaseInsensitiveOption);
    for (const QString &f : all) {
        if (!vob.match(f).hasMatch())
            continue;
        if (prefix.isEmpty())
            prefix = f.left(7).toUpper();
        if (f.left(7).toUpper() == prefix)
            out << dir.filePath(f);
    }
    return out;
}

std::optional<Case> caseFromArguments(const QString &input, const QString &truth, int stream)
{
    Case c;
    c.name = QFileInfo(input).fileName();
    c.truth = truth;
    c.streamId = uint8_t(0x20 + stream);
    const QFileInfo info(input);
    if (info.isDir()) {
        c.files = titleSetVobs(input);
    } else if (input.endsWith(QStringLiteral(".ifo"), Qt::CaseInsensitive)) {
        c.files = titleSetVobs(info.absolutePath(), input);
    } else if (input.endsWith(QStringLiteral(".idx"), Qt::CaseInsensitive)) {
        c.files = {info.absolutePath() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral(".sub")};
        c.idx = input;
    }
    if (c.files.isEmpty()) {
        std::fprintf(stderr, "ocr_bench: no VOB or .sub found for %s\n", qPrintable(input));
        return std::nullopt;
    }
    return c;
}

// Answers every question without text and learns nothing.
class LeaveWithoutText : public GlyphAsker {
public:
    GlyphAnswer askGlyph(const GlyphQuestion &) override { return GlyphAnswer{{}, 0, AnswerCode::UseTextOnly}; }
};

class DropSkipped : public subtitles::SkippedItemAsker {
public:
    Answer askSkippedItem() override { return Answer{true, {}}; }
};

class QuietHost : public ripping::DispatchHost {
public:
    void showPicture(const picture::DecodedPicture &, const picture::ExportedPicture *) override {}
    ripping::StepChoice askStep() override { return ripping::StepChoice::Next; }
    void warn(const QString &) override {}
};

// Keeps every decoded picture that the dispatcher would recognise.
class PictureCollector : public picture::PictureSink {
public:
    core::Result<void> recognise(const picture::DecodedPicture &picture, const picture::DisplayTimes &times,
                                 const picture::Rect &) override
    {
        pictures.push_back(picture);
        starts.push_back(times.start);
        return {};
    }
    std::vector<picture::DecodedPicture> pictures;
    std::vector<core::TimeCode> starts;
};

ripping::RunState runOver(const Case &c)
{
    ripping::RunState run;
    run.vobList = c.files;
    for (const QString &f : c.files)
        run.vobSizes.push_back(QFileInfo(f).size());
    for (int64_t s : run.vobSizes)
        run.totalBytes += s;
    run.streamId = c.streamId;
    run.useMap = false;
    if (!c.idx.isEmpty()) {
        // The frame the index names, as opening the pair in the input dialog takes it: the decoder
        // needs its width for pictures wider than a DVD line, recognition its height.
        if (auto index = ripping::readVobSubIndex(c.idx)) {
            run.frameWidth = index->frameSize.width;
            run.frameHeight = index->frameSize.height;
        } else {
            std::fprintf(stderr, "ocr_bench: %s\n", qPrintable(index.error().message()));
        }
        auto timing = ripping::readVobSubTimes(c.idx, c.streamId - 0x20);
        if (!timing) {
            std::fprintf(stderr, "ocr_bench: %s\n", qPrintable(timing.error().message()));
        } else {
            run.idxFileName = c.idx;
            run.vobSubUnits = timing->units;
        }
    }
    return run;
}

void passOver(ripping::RunState &run, ripping::UnitHandler &handler)
{
    ripping::SilentVobPassHost host(core::Answer::YesToAll);
    ripping::VobPass pass(run, host, handler);
    while (!run.finished() && !run.stopped) {
        const ripping::PassOutcome o = pass.readCurrentFile();
        if (o.end == ripping::PassEnd::Paused)
            run.paused = false;
    }
}

struct RoadResult {
    std::vector<core::TimeCode> starts;
    std::vector<QString> texts; // lines joined by LF, tags stripped
    std::vector<QString> tagged; // the same with their style tags
    int questions = 0;
    int glyphsAsked = 0;
    double seconds = 0;
    int shapes = 0;
};

QString stripTags(QString s)
{
    static const QRegularExpression tags(QStringLiteral("</?[biu]>"));
    return s.remove(tags);
}

RoadResult runRoad(const Case &c, CharMatrix &matrix, GlyphAsker &asker)
{
    ripping::RunState run = runOver(c);
    ripping::VobSourceRun source(run);
    subtitles::SubtitleStore store;
    DropSkipped skipped;
    OcrAssistState assist;
    if (c.colours) {
        assist.mode = OcrAssistState::Fixed;
        assist.fixedInk = *c.colours;
    }
    core::SilentPrompt prompt(core::Answer::No);
    DriverOptions options;
    options.match.settings.spaceWidth = c.spaceWidth;
    options.match.settings.sensibility = c.sensibility;
    RecognitionDriver driver(DriverEnvironment{matrix, store, skipped, asker, assist, prompt, nullptr, &source}, options);
    subtitles::StoreSubtitleSink sink(store, skipped);
    ripping::DispatchOptions dispatch;
    ripping::PlainExport exporter;
    QuietHost host;
    ripping::SpuDispatcher dispatcher(dispatch, run, sink, driver, exporter, host);
    QElapsedTimer timer;
    timer.start();
    passOver(run, dispatcher);
    RoadResult r;
    r.seconds = double(timer.nsecsElapsed()) / 1e9;
    r.questions = driver.questionsAsked();
    r.glyphsAsked = driver.glyphsAsked();
    for (const subtitles::Subtitle &s : store.subs) {
        r.starts.push_back(s.start);
        r.tagged.push_back(s.lines.join(QLatin1Char('\n')));
        r.texts.push_back(stripTags(r.tagged.back()));
    }
    return r;
}

// The work picture as recognition segments it: reduced on a tall frame; factor says by how much.
ReducedPicture workPicture(const picture::DecodedPicture &p, InkCodes ink, int &factor)
{
    factor = reductionFactor(p.frameHeight);
    return reduceByBands(p.codes, ink, factor);
}

// The distinct glyph shapes of the material: every box of every picture, clustered by the matcher at the
// driver's settings (a box that matches no earlier shape is a new one). This is how many questions a
// teacher who answers each shape once would need, pieces of several-box characters counted on their own.
// A box that holds characters of its own carries their text, as the entry learned for it would: the
// matcher takes an "o", "i", "I" or "l" only at a perfect score, so each of their variants is a shape.
// A character of several boxes side by side (a double quote) is a shape of its own too, beside its
// pieces: the matrix holds its run.
int distinctShapes(const std::vector<picture::DecodedPicture> &pictures, const std::vector<core::TimeCode> &starts,
                   const std::vector<TruthEntry> &truth, int spaceWidth, int sensibility)
{
    CharMatrix shapes;
    MatchOptions match;
    match.settings.spaceWidth = spaceWidth;
    match.settings.sensibility = sensibility;
    for (size_t i = 0; i < pictures.size(); ++i) {
        const picture::DecodedPicture &p = pictures[i];
        ColourCandidates candidates = p.colourCandidates;
        const auto ink = detectTextColours(p.codes, candidates);
        if (!ink)
            continue;
        int factor = 1;
        picture::CodeImage work = workPicture(p, *ink, factor).image;
        match.reducedPicture = factor > 1;
        const Segmentation seg = segmentSubtitle(work, *ink, {}, match.settings, factor > 1);
        const TruthEntry *entry = i < starts.size() ? truthEntryAt(truth, starts[i]) : nullptr;
        const bool aligned = entry && entry->lines.size() == qsizetype(seg.lines.size());
        for (size_t l = 0; l < seg.lines.size(); ++l) {
            const TextLine &line = seg.lines[l];
            GroundTruthAnswerer::Alignment a;
            if (aligned)
                a = GroundTruthAnswerer::align(line.boxes, entry->lines[qsizetype(l)]);
            for (size_t b = 0; b < line.boxes.size(); ++b) {
                const int group = b < a.groupOfBox.size() ? a.groupOfBox[b] : -1;
                const int pieces = group >= 0 ? int(std::count(a.groupOfBox.begin(), a.groupOfBox.end(), group)) : 0;
                Glyph g = buildGlyphDescriptor(work, markerOfBox(int(b)), line.boxes[b]);
                if (!matchChar(shapes, g, line.boxes[b], false, match).matched()) {
                    if (pieces == 1)
                        g.text = core::toCharText(a.groupText[size_t(group)]);
                    (void)shapes.add(g);
                }
                if (pieces > 1 && (b == 0 || a.groupOfBox[b - 1] != group)) {
                    Glyph run = buildMergedDescriptor(work, line.boxes, int(b), pieces - 1, false);
                    if (!matchChar(shapes, run, boxOfDescriptor(run), false, match).matched()) {
                        run.text = core::toCharText(a.groupText[size_t(group)]);
                        (void)shapes.add(run);
                    }
                }
            }
        }
    }
    return shapes.count();
}

// The decoded pictures the dispatcher would have recognised.
PictureCollector collectPictures(const Case &c)
{
    PictureCollector collector;
    bench::NullSubtitles none;
    QuietHost host;
    ripping::PlainExport exporter;
    ripping::DispatchOptions dispatch;
    ripping::RunState run = runOver(c);
    ripping::SpuDispatcher dispatcher(dispatch, run, none, collector, exporter, host);
    passOver(run, dispatcher);
    return collector;
}

// Tesseract on each picture's text lines (found by the segmentation the driver uses), ink black on
// white at twice the size of a DVD picture (an HD picture as it is), one text line at a time.
RoadResult runTesseract(const Case &c, const std::vector<TruthEntry> &truth, tesseract::TessBaseAPI &api)
{
    const PictureCollector collector = collectPictures(c);
    RoadResult r;
    r.starts = collector.starts;
    r.shapes = distinctShapes(collector.pictures, collector.starts, truth, c.spaceWidth, c.sensibility);
    QElapsedTimer timer;
    timer.start();
    constexpr int margin = 8;
    for (const picture::DecodedPicture &p : collector.pictures) {
        ColourCandidates candidates = p.colourCandidates;
        const auto ink = detectTextColours(p.codes, candidates);
        QStringList lines;
        if (ink) {
            int factor = 1;
            ReducedPicture work = workPicture(p, *ink, factor);
            const int scale = std::max(1, 2 / factor);
            const Segmentation seg = segmentSubtitle(work.image, *ink, {}, OcrSettings{}, factor > 1);
            for (const TextLine &line : seg.lines) {
                const int top = std::max(0, work.sourceTop[size_t(line.top)] - 2);
                const int bottom = std::min(p.codes.height - 1, work.sourceTop[size_t(line.bottom) + 1] - 1 + 2);
                const int w = p.codes.width * scale + 2 * margin;
                const int h = (bottom - top + 1) * scale + 2 * margin;
                std::vector<uint8_t> grey(size_t(w) * size_t(h), 255);
                for (int y = top; y <= bottom; ++y)
                    for (int x = 0; x < p.codes.width; ++x)
                        if (ink->isInk(p.codes.at(x, y)))
                            for (int dy = 0; dy < scale; ++dy)
                                for (int dx = 0; dx < scale; ++dx)
                                    grey[size_t(margin + (y - top) * scale + dy) * size_t(w) + size_t(margin + x * scale + dx)] = 0;
                api.SetImage(grey.data(), w, h, 1, w);
                std::unique_ptr<char[]> text(api.GetUTF8Text());
                const QString t = QString::fromUtf8(text ? text.get() : "").simplified();
                if (!t.isEmpty())
                    lines << t;
            }
        }
        r.texts.push_back(lines.join(QLatin1Char('\n')));
    }
    r.seconds = double(timer.nsecsElapsed()) / 1e9;
    return r;
}

int editDistance(const QString &a, const QString &b)
{
    std::vector<int> prev(size_t(b.size()) + 1), cur(size_t(b.size()) + 1);
    for (int j = 0; j <= b.size(); ++j)
        prev[size_t(j)] = j;
    for (int i = 1; i <= a.size(); ++i) {
        cur[0] = i;
        for (int j = 1; j <= b.size(); ++j) {
            const int sub = prev[size_t(j - 1)] + (a[i - 1] == b[j - 1] ? 0 : 1);
            cur[size_t(j)] = std::min({sub, prev[size_t(j)] + 1, cur[size_t(j - 1)] + 1});
        }
        std::swap(prev, cur);
    }
    return prev[size_t(b.size())];
}

// Character errors of a run: each ground-truth subtitle against the recognised one nearest in time
// (within a second); a subtitle that was not found counts all its characters.
struct Score {
    int characters = 0;
    int errors = 0;
    test::ItalicWords italic; // the italic words of the truth and how the run tagged them
    double accuracy() const { return characters ? 100.0 * (1.0 - double(errors) / characters) : 0.0; }
};

Score score(const std::vector<TruthEntry> &truth, const RoadResult &r, QStringList *wrong = nullptr)
{
    Score s;
    size_t k = 0;
    for (const TruthEntry &e : truth) {
        const QString expected = e.lines.join(QLatin1Char('\n'));
        s.characters += int(expected.size());
        const int64_t t = core::timeCodeToMilliseconds(e.start);
        while (k < r.starts.size() && core::timeCodeToMilliseconds(r.starts[k]) < t - 1000)
            ++k;
        QString got, tagged;
        if (k < r.starts.size() && std::llabs(core::timeCodeToMilliseconds(r.starts[k]) - t) < 1000) {
            got = r.texts[k];
            tagged = k < r.tagged.size() ? r.tagged[k] : QString();
            ++k;
        }
        s.italic += test::italicWords(e, tagged);
        const int d = editDistance(expected, got);
        s.errors += d;
        if (d && wrong && wrong->size() < 10)
            wrong->append(QStringLiteral("    expected \"%1\", got \"%2\"").arg(expected, got));
    }
    return s;
}

// The run's text after the Post OCR Correction's I and l pass (English rules, as the dialog starts),
// each line judged after the one before it as the dialog does: the remedy for the two letters that
// many typefaces draw alike, so that no matrix can tell them apart.
RoadResult withIlCorrected(RoadResult r)
{
    QString previous;
    for (size_t i = 0; i < r.tagged.size(); ++i) {
        QStringList lines = r.tagged[i].split(QLatin1Char('\n'));
        for (QString &line : lines) {
            line = subtitles::correctIl(line, i == 0 && &line == &lines.front() ? nullptr : &previous,
                                        subtitles::IlLanguage::English, 0);
            previous = line;
        }
        r.tagged[i] = lines.join(QLatin1Char('\n'));
        r.texts[i] = stripTags(r.tagged[i]);
    }
    return r;
}

int distinctCharacters(const std::vector<TruthEntry> &truth)
{
    QSet<QChar> set;
    for (const TruthEntry &e : truth)
        for (const QString &l : e.lines)
            for (QChar ch : l)
                if (!ch.isSpace())
                    set.insert(ch);
    return int(set.size());
}

// The matrix filled from a font as the OCR assistant fills it, then one run that learns nothing.
bool runFilled(const Case &c, const std::vector<TruthEntry> &truth)
{
    const PictureCollector collected = collectPictures(c);
    if (collected.pictures.empty() || truth.empty() || truth.front().lines.isEmpty()) {
        std::fprintf(stderr, "ocr_bench: no picture or no ground truth to fit the sample line over\n");
        return false;
    }
    const picture::DecodedPicture &first = collected.pictures.front();
    std::optional<InkCodes> ink = c.colours;
    if (!ink) {
        ColourCandidates candidates = first.colourCandidates;
        ink = detectTextColours(first.codes, candidates);
    }
    auto font = FreeTypeTextRenderer::open(c.fill->file, 0, c.fill->pixels, c.fill->pixels);
    if (!font) {
        std::fprintf(stderr, "ocr_bench: %s\n", qPrintable(font.error().message()));
        return false;
    }
    const QString sample = truth.front().lines.front();
    const auto geometry = ink ? test::fitSampleLine(**font, sample, first.codes, *ink) : std::nullopt;
    if (!geometry) {
        std::fprintf(stderr, "ocr_bench: the sample \"%s\" does not fit over the first picture's first line\n",
                     qPrintable(sample));
        return false;
    }
    const double width = std::round(c.fill->pixels * geometry->fittedWidth / geometry->sampleWidth);
    const double height = std::round(c.fill->pixels * geometry->fittedHeight / geometry->sampleHeight);
    CharMatrix matrix;
    FillReading reading;
    reading.settings.spaceWidth = c.spaceWidth;
    reading.settings.sensibility = c.sensibility;
    reading.reduction = reductionFactor(first.frameHeight);
    const QStringList items = fillItems(rangeCharacters(0x21, 0x7E) + rangeCharacters(0xA1, 0xFF));
    const FillReport report = fillMatrixFromFont(matrix, **font, items, *geometry, reading);
    std::printf("  filled from %s at %g pixels: sample \"%s\" fitted %g x %g over %d x %d, drawn %g x %g; "
                "characters=%d entries=%d missing=%d\n",
                qPrintable(QFileInfo(c.fill->file).fileName()), c.fill->pixels, qPrintable(sample), geometry->fittedWidth,
                geometry->fittedHeight, geometry->sampleWidth, geometry->sampleHeight, width, height, report.added,
                matrix.count(), report.missing);

    test::GuessingAsker guesses;
    const RoadResult r = runRoad(c, matrix, guesses);
    QStringList wrong;
    const Score s = score(truth, r, &wrong);
    std::printf("  run (filled matrix, nothing learnt): characters=%d errors=%d questions=%d\n", s.characters, s.errors,
                guesses.asked);
    for (const QString &w : wrong)
        std::printf("%s\n", qPrintable(w));
    std::printf("ocr fill accuracy=%.1f questions=%d size=%gx%g\n", s.accuracy(), guesses.asked, width, height);
    std::fflush(stdout);
    return true;
}

bool runCase(const Case &c, tesseract::TessBaseAPI &api)
{
    auto truth = readGroundTruth(c.truth);
    if (!truth) {
        std::fprintf(stderr, "ocr_bench: %s\n", qPrintable(truth.error().message()));
        return false;
    }
    std::printf("%s (%zu subtitles, %d distinct characters, space width %d, sensibility %d)\n", qPrintable(c.name),
                truth->size(), distinctCharacters(*truth), c.spaceWidth, c.sensibility);
    if (c.colours)
        std::printf("  colours chosen: text=%d outline=%d\n", int(c.colours->text),
                    c.colours->outline == 255 ? -1 : int(c.colours->outline));
    else
        std::printf("  colours detected per picture\n");
    if (c.fill)
        return runFilled(c, *truth);

    CharMatrix matrix;
    // Material drawn by make_hd_vobsub has a map of where each character lies: its teacher answers
    // what each asked glyph covers, as a user does. Other material is taught from its text alone.
    std::optional<test::CoveringTeacher> covering;
    std::optional<GroundTruthAnswerer> aligned;
    const QString charsFile = c.idx.isEmpty() ? QString()
                                              : QFileInfo(c.idx).path() + QLatin1Char('/') + QFileInfo(c.idx).completeBaseName()
                                                    + QStringLiteral(".chars");
    if (!c.alignedTeacher && !charsFile.isEmpty() && QFileInfo::exists(charsFile)) {
        auto maps = test::readCharacterMaps(charsFile);
        if (!maps) {
            std::fprintf(stderr, "ocr_bench: %s\n", qPrintable(maps.error().message()));
            return false;
        }
        covering.emplace(std::move(*maps));
        std::printf("  teacher: what each asked glyph covers (%s)\n", qPrintable(QFileInfo(charsFile).fileName()));
    } else {
        aligned.emplace(*truth);
        std::printf("  teacher: the text's characters aligned with the line's boxes\n");
    }
    GlyphAsker &teacher = covering ? static_cast<GlyphAsker &>(*covering) : static_cast<GlyphAsker &>(*aligned);
    const RoadResult taught = runRoad(c, matrix, teacher);
    const int unanswerable = covering ? covering->unanswerable() : aligned->unanswerable();
    QStringList wrong1;
    const Score s1 = score(*truth, taught, &wrong1);
    std::printf("  run 1 (taught): characters=%d errors=%d questions=%d (glyphs asked %d, the rest grew runs) "
                "unanswerable=%d entries=%d\n",
                s1.characters, s1.errors, taught.questions, taught.glyphsAsked, unanswerable, matrix.count());
    if (covering)
        std::printf("  teacher: %d questions answered with \">>\" (a piece of a character), %d glyphs covering no "
                    "character used without text\n",
                    covering->grown(), covering->specks());
    for (const QString &w : wrong1)
        std::printf("%s\n", qPrintable(w));

    // Run 2 reads with what was learnt. A question it still asks (a speck of a letter that a glyph
    // before took, which no answer can teach) is counted and its glyph left without text, as a user
    // passes over it; abandoning the picture instead would count its whole text as lost.
    LeaveWithoutText passOver;
    const RoadResult again = runRoad(c, matrix, passOver);
    QStringList wrong2;
    const Score s2 = score(*truth, again, &wrong2);
    std::printf("  run 2 (matrix): characters=%d errors=%d questions=%d seconds=%.4f\n", s2.characters, s2.errors,
                again.questions, again.seconds);
    if (s2.italic.italic > 0)
        std::printf("  run 2 italics: %d of %d italic words tagged italic, %d upright words tagged italic\n",
                    s2.italic.taggedRight, s2.italic.italic, s2.italic.uprightTagged);
    for (const QString &w : wrong2)
        std::printf("%s\n", qPrintable(w));

    const RoadResult tess = runTesseract(c, *truth, api);
    QStringList wrongT;
    const Score st = score(*truth, tess, &wrongT);
    std::printf("  tesseract:      characters=%d errors=%d seconds=%.4f (distinct glyph shapes: %d)\n", st.characters,
                st.errors, tess.seconds, tess.shapes);
    for (const QString &w : wrongT.mid(0, 3))
        std::printf("%s\n", qPrintable(w));

    std::printf("ocr accuracy=%.1f questions=%d shapes=%d questions_run2=%d tesseract_accuracy=%.1f speed_ratio=%.1f",
                s2.accuracy(), taught.questions, tess.shapes, again.questions, st.accuracy(),
                again.seconds > 0 ? tess.seconds / again.seconds : 0.0);
    if (s2.italic.italic > 0)
        std::printf(" italic=%d/%d", s2.italic.taggedRight, s2.italic.italic);
    std::printf(" il_corrected_accuracy=%.1f", score(*truth, withIlCorrected(again)).accuracy());
    std::printf("\n");
    std::fflush(stdout);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    // Tesseract's OpenMP runtime takes its thread limit from the environment when it is loaded, before
    // main. With as many threads as cores its time swings with the machine's load by a hundredfold, so
    // the program runs itself again with one thread.
    if (qgetenv("OMP_THREAD_LIMIT") != "1") {
        setenv("OMP_THREAD_LIMIT", "1", 1);
        execv("/proc/self/exe", argv);
        std::perror("ocr_bench: cannot run again with one Tesseract thread");
        return 1;
    }
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    // Removes an option and its value from the arguments; nullopt when it is not given.
    auto takeOption = [&args](const char *name) -> std::optional<QString> {
        const qsizetype at = args.indexOf(QLatin1String(name));
        if (at < 0)
            return std::nullopt;
        const QString value = at + 1 < args.size() ? args[at + 1] : QString();
        args.remove(at, std::min<qsizetype>(2, args.size() - at));
        return value;
    };
    // A whole-number option within lo..hi, or its default; false (and a line on stderr) when it is not one.
    auto intOption = [&takeOption](const char *name, int lo, int hi, const char *what, int &value) {
        const auto text = takeOption(name);
        if (!text)
            return true;
        bool ok = false;
        value = text->toInt(&ok);
        if (ok && value >= lo && value <= hi)
            return true;
        std::fprintf(stderr, "ocr_bench: %s takes %s, %d to %d\n", name, what, lo, hi);
        return false;
    };
    int spaceWidth = kDefaultSpaceWidth;
    int sensibility = OcrSettings{}.sensibility;
    if (!intOption("--space-width", 1, 255, "a width in pixels", spaceWidth)
        || !intOption("--sensibility", 1, 1000, "a per mille", sensibility))
        return 1;
    const qsizetype alignedAt = args.indexOf(QStringLiteral("--aligned-teacher"));
    const bool alignedTeacher = alignedAt >= 0;
    if (alignedTeacher)
        args.remove(alignedAt);
    std::optional<FillFont> fill;
    const auto fillFile = takeOption("--fill-font");
    const auto fillSize = takeOption("--fill-size");
    if (fillFile || fillSize) {
        bool ok = false;
        const double pixels = fillSize ? fillSize->toDouble(&ok) : 0;
        if (!fillFile || fillFile->isEmpty() || !ok || pixels < 1 || pixels > FreeTypeTextRenderer::kMaxPixelSize) {
            std::fprintf(stderr, "ocr_bench: --fill-font takes a font file and --fill-size its size in pixels\n");
            return 1;
        }
        fill = FillFont{*fillFile, pixels};
    }
    std::optional<InkCodes> colours;
    if (const auto value = takeOption("--colours")) {
        const QStringList codes = value->isEmpty() ? QStringList() : value->split(QLatin1Char(','));
        bool ok = !codes.isEmpty() && codes.size() <= 2;
        InkCodes ink;
        for (qsizetype i = 0; ok && i < codes.size(); ++i) {
            const uint code = codes[i].toUInt(&ok);
            ok = ok && code <= 3;
            (i == 0 ? ink.text : ink.outline) = uint8_t(code);
        }
        if (!ok) {
            std::fprintf(stderr, "ocr_bench: --colours takes one or two pixel codes 0-3, as 1 or 1,3\n");
            return 1;
        }
        colours = ink;
    }
    tesseract::TessBaseAPI api;
    if (api.Init(nullptr, "eng") != 0) {
        std::fprintf(stderr, "ocr_bench: Tesseract could not load its English data\n");
        return 1;
    }
    api.SetPageSegMode(tesseract::PSM_SINGLE_LINE);
    std::printf("tesseract %s, one thread (OMP_THREAD_LIMIT=1)\n", tesseract::TessBaseAPI::Version());

    std::vector<Case> cases;
    if (args.size() >= 2) {
        auto c = caseFromArguments(args[0], args[1], args.size() >= 3 ? args[2].toInt() : 0);
        if (!c)
            return 1;
        cases.push_back(*c);
    } else {
        for (const char *fixture : {"dvd-pal-sans", "dvd-pal-sans-outline"}) {
            const QString dir = QStringLiteral(GLYFEX_SOURCE_DIR "/tests/data/") + QLatin1String(fixture);
            cases.push_back(Case{QLatin1String(fixture), titleSetVobs(dir + QStringLiteral("/dvd")), dir + QStringLiteral("/gt.srt"), 0x20, {}});
        }
        const QString out = QStringLiteral(GLYFEX_SOURCE_DIR "/bench-data/ocr");
        const QString name = QStringLiteral("lines1000-outline2");
        if (!bench::ensureFixture("ocr_bench", out, name, {QStringLiteral("--lines"), QStringLiteral("1000"), QStringLiteral("--outline"), QStringLiteral("2")}))
            return 1;
        const QString dir = out + QLatin1Char('/') + name;
        cases.push_back(Case{name, titleSetVobs(dir + QStringLiteral("/dvd")), dir + QStringLiteral("/gt.srt"), 0x20, {}});
    }
    bool ok = true;
    for (Case &c : cases) {
        c.colours = colours;
        c.spaceWidth = spaceWidth;
        c.sensibility = sensibility;
        c.fill = fill;
        c.alignedTeacher = alignedTeacher;
        ok = runCase(c, api) && ok;
    }
    return ok ? 0 : 1;
}
