// Matching benchmark: a matrix taught from generated DVD subtitles, and the glyph boxes of 1000 subtitles
// matched against it, by the word-wise matcher and by a pixel-by-pixel walk of the same rules.
//
// Material is made on the first run with the shared fixture tool (rendered by spumux), kept in
// bench-data/match/, demuxed by FFmpeg and decoded by the program's subpicture decoder. Prints, as its last line, "match glyphs_per_s=<n>".
#include "bench/fixture_tool.h"
#include "recognition/char_matrix.h"
#include "recognition/matcher.h"
#include "recognition/segmentation.h"
#include "recognition/text_colour.h"
#include "ripping/spu_decoder.h"
#include "tests/recognition/pixel_walk_match.h"
#include "tests/support/av_spu_demuxer.h"

#include <benchmark/benchmark.h>


#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QString>

#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace glyfex;
using namespace glyfex::recognition;

namespace {

struct Sample {
    Glyph descriptor;
    CharBox box;
    bool allowJoin = false;
};

struct Material {
    std::vector<Sample> samples;
    int subtitles = 0;
};

// Appends the glyph boxes of the subtitle pictures of a title set's VOB, up to maxSubtitles pictures.
bool collect(const QString &vob, int maxSubtitles, Material &material)
{
    const auto units = test::demuxSpuUnits(vob);
    if (!units) {
        std::fprintf(stderr, "match_bench: %s\n", qPrintable(units.error().message()));
        return false;
    }
    const OcrSettings settings;
    int taken = 0;
    for (const test::AvSpuUnit &unit : *units) {
        if (taken >= maxSubtitles)
            break;
        picture::DecodedPicture picture;
        ripping::decodeSubpicture(unit.bytes, 720, 576, picture);
        ColourCandidates candidates = picture.colourCandidates;
        const auto ink = detectTextColours(picture.codes, candidates);
        if (!ink)
            continue;
        const auto seg = segmentSubtitle(picture.codes, *ink, {}, settings);
        for (const TextLine &line : seg.lines)
            for (size_t i = 0; i < line.boxes.size(); ++i) {
                const CharBox &b = line.boxes[i];
                const bool join =
                    i + 1 < line.boxes.size() && line.boxes[i + 1].x - (b.x + b.width) <= settings.spaceWidth;
                material.samples.push_back({buildGlyphDescriptor(picture.codes, markerOfBox(int(i)), b), b, join});
            }
        ++taken;
    }
    material.subtitles += taken;
    return taken > 0;
}

// Teaches every shape that no entry matches perfectly, as the user answering each new glyph would.
void teach(CharMatrix &matrix, const std::vector<Sample> &samples)
{
    MatchOptions strict;
    strict.settings.sensibility = 1000;
    for (const Sample &s : samples) {
        if (matchChar(matrix, s.descriptor, s.box, s.allowJoin, strict) > 0)
            continue;
        Glyph g = s.descriptor;
        g.text = core::toCharText(QStringLiteral("g%1").arg(matrix.count() + 1));
        if (matrix.add(g) != CharMatrix::AddOutcome::Added)
            return;
    }
}

CharMatrix g_matrix;
Material g_queries;
std::vector<Sample> g_referenceQueries; // a slice: the pixel walk is slow
double g_fastRate = 0;
double g_referenceRate = 0;

double threadSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

template <class Match>
void runMatching(benchmark::State &state, const std::vector<Sample> &queries, Match match, double &rate)
{
    const MatchOptions options;
    int64_t glyphs = 0;
    // Processor time of this thread, so that other work on a shared machine does not count.
    const double start = threadSeconds();
    for (auto _ : state) {
        int64_t sum = 0;
        for (const Sample &s : queries)
            sum += match(g_matrix, s.descriptor, s.box, s.allowJoin, options);
        benchmark::DoNotOptimize(sum);
        glyphs += int64_t(queries.size());
    }
    const double seconds = threadSeconds() - start;
    rate = seconds > 0 ? double(glyphs) / seconds : 0;
    state.counters["glyphs_per_s"] = benchmark::Counter(double(glyphs), benchmark::Counter::kIsRate);
}

void BM_Match(benchmark::State &state)
{
    runMatching(state, g_queries.samples, matchChar, g_fastRate);
}

void BM_PixelWalkReference(benchmark::State &state)
{
    runMatching(state, g_referenceQueries, test::pixelWalkMatch, g_referenceRate);
}

} // namespace

BENCHMARK(BM_Match)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_PixelWalkReference)->Unit(benchmark::kMillisecond)->MinTime(2.0);

int main(int argc, char **argv)
{
    const QString out = QStringLiteral(GLYFEX_SOURCE_DIR "/bench-data/match");
    struct Source {
        QString name;
        QStringList options;
    };
    // The queries: 1000 subtitles of prose. The teaching material adds other fonts and sizes so that the
    // matrix holds well over 1000 shapes, as a matrix used on many discs does.
    const Source queries{QStringLiteral("sans28"), {QStringLiteral("--lines"), QStringLiteral("1000")}};
    struct Face {
        const char *font;
        int size;
    };
    const Face faces[] = {
        {"DejaVuSerif.ttf", 24},          {"DejaVuSans-Bold.ttf", 32},         {"DejaVuSansMono.ttf", 26},
        {"DejaVuSerif-Bold.ttf", 30},     {"DejaVuSansCondensed.ttf", 22},     {"DejaVuSerifCondensed.ttf", 34},
        {"DejaVuSans-Oblique.ttf", 28},   {"DejaVuSerif-Italic.ttf", 26},      {"DejaVuSansMono-Bold.ttf", 30},
        {"DejaVuSans-ExtraLight.ttf", 32}, {"DejaVuSansCondensed-Bold.ttf", 24}, {"DejaVuSerif-BoldItalic.ttf", 22},
        {"DejaVuSans.ttf", 20},           {"DejaVuSans.ttf", 36},              {"DejaVuSansMono-Oblique.ttf", 24},
        {"DejaVuSerifCondensed-Bold.ttf", 28}, {"DejaVuSansCondensed-Oblique.ttf", 30}, {"DejaVuSerif.ttf", 32},
    };
    std::vector<Source> teaching;
    for (const Face &f : faces)
        teaching.push_back({QStringLiteral("%1-%2").arg(QString::fromLatin1(f.font).chopped(4)).arg(f.size), {QStringLiteral("--lines"), QStringLiteral("120"), QStringLiteral("--font"),
                                     QString::fromLatin1(f.font), QStringLiteral("--size"), QString::number(f.size)}});
    if (!bench::ensureFixture("match_bench", out, queries.name, queries.options))
        return 1;
    for (const Source &s : teaching)
        if (!bench::ensureFixture("match_bench", out, s.name, s.options))
            return 1;

    const QString vob = QStringLiteral("/dvd/VIDEO_TS/VTS_01_1.VOB");
    if (!collect(out + QStringLiteral("/sans28") + vob, 1000, g_queries)) {
        std::fprintf(stderr, "match_bench: no subtitle pictures decoded\n");
        return 1;
    }
    Material teachingMaterial;
    for (const Source &s : teaching)
        collect(out + QLatin1Char('/') + s.name + vob, 1000,
                teachingMaterial);
    teach(g_matrix, teachingMaterial.samples);
    teach(g_matrix, g_queries.samples);

    // Same answers from both matchers, checked on the slice the reference is timed on.
    const MatchOptions options;
    const size_t slice = std::min<size_t>(g_queries.samples.size(), 2000);
    g_referenceQueries.assign(g_queries.samples.begin(), g_queries.samples.begin() + ptrdiff_t(slice));
    int differences = 0;
    for (const Sample &s : g_referenceQueries)
        if (matchChar(g_matrix, s.descriptor, s.box, s.allowJoin, options)
            != test::pixelWalkMatch(g_matrix, s.descriptor, s.box, s.allowJoin, options))
            ++differences;
    std::printf("material: %d subtitles, %zu glyph boxes; matrix: %d entries; differing answers: %d\n",
                g_queries.subtitles, g_queries.samples.size(), g_matrix.count(), differences);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    if (g_referenceRate > 0)
        std::printf("match speed-up over the pixel walk: %.1fx\n", g_fastRate / g_referenceRate);
    std::printf("match glyphs_per_s=%.0f\n", g_fastRate);
    return differences == 0 ? 0 : 2;
}
