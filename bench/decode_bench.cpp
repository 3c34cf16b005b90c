// Decode benchmark: every subpicture unit of a VOB through our decoder and through FFmpeg's, with their speed ratio.
//
// Usage: decode_bench [benchmark flags] [VOB or VobSub .sub]
// Without a file it decodes bench-data/decode-1000 (1000 subtitles), made on first use by the
// make-dvd-fixture tool that GLYFEX_FIXTURE_TOOL names. Its last line is "decode ratio=<our units per second / FFmpeg's>".
#include "bench/fixture_tool.h"
#include "ripping/spu_decoder.h"

#include "tests/support/av_spu_demuxer.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QString>

#include <cstdio>
#include <limits>
#include <map>
#include <string>

namespace {

using glyfex::picture::DecodedPicture;
using glyfex::test::AvSpuUnit;

constexpr int defaultLines = 1000;

// The default material, made once and kept in the untracked bench-data folder.
QString defaultMaterial()
{
    const QString out = QStringLiteral(GLYFEX_SOURCE_DIR "/bench-data");
    const QString name = QStringLiteral("decode-%1").arg(defaultLines);
    const QString vob = out + QLatin1Char('/') + name + QStringLiteral("/dvd/VIDEO_TS/VTS_01_1.VOB");
    if (QFileInfo::exists(vob))
        return vob;
    if (!glyfex::bench::ensureFixture("decode_bench", out, name, {QStringLiteral("--lines"), QString::number(defaultLines)})
        || !QFileInfo::exists(vob)) {
        std::fprintf(stderr, "decode_bench: no material; pass a VOB or VobSub .sub instead\n");
        return {};
    }
    return vob;
}

// Keeps the fastest time per iteration of each benchmark so the ratio can be printed last.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration)
                continue;
            double &best = m_best.try_emplace(run.run_name.function_name, std::numeric_limits<double>::max()).first->second;
            best = std::min(best, run.GetAdjustedRealTime());
        }
    }
    double best(const std::string &name) const
    {
        const auto it = m_best.find(name);
        return it == m_best.end() ? 0.0 : it->second;
    }

private:
    std::map<std::string, double> m_best;
};

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    const QString path = argc > 1 ? QString::fromLocal8Bit(argv[1]) : defaultMaterial();
    if (path.isEmpty())
        return 1;

    auto demuxed = glyfex::test::demuxSpuUnits(path);
    if (!demuxed.ok()) {
        std::fprintf(stderr, "decode_bench: %s\n", qPrintable(demuxed.error().message()));
        return 1;
    }
    const std::vector<AvSpuUnit> units = std::move(demuxed).value();
    auto reference = glyfex::test::AvSpuDecoder::open();
    if (!reference.ok()) {
        std::fprintf(stderr, "decode_bench: %s\n", qPrintable(reference.error().message()));
        return 1;
    }
    const auto ffmpeg = std::move(reference).value();
    std::printf("%zu subpicture units from %s\n", units.size(), qPrintable(path));
    if (units.empty())
        return 1;

    // The state is reused from unit to unit, as a run does; FFmpeg's decoder likewise stays open.
    const auto ours = [&units](benchmark::State &state) {
        DecodedPicture picture;
        for (auto _ : state) {
            for (const AvSpuUnit &unit : units) {
                glyfex::ripping::decodeSubpicture(unit.bytes, 720, 576, picture);
                benchmark::DoNotOptimize(picture.codes.bytes.data());
            }
        }
        state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(units.size()));
    };
    const auto theirs = [&units, &ffmpeg](benchmark::State &state) {
        size_t shown = 0;
        for (auto _ : state) {
            for (const AvSpuUnit &unit : units)
                shown += ffmpeg->decodeOnly(unit.bytes);
        }
        if (shown != size_t(state.iterations()) * units.size())
            state.SkipWithError("FFmpeg decoded fewer units than it was given");
        state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(units.size()));
    };
    // The two take turns, several rounds each, and the fastest round of each counts: a machine busy
    // with other work then slows both alike instead of whichever ran at the wrong moment.
    constexpr int rounds = 5;
    for (int round = 0; round < rounds; ++round) {
        benchmark::RegisterBenchmark("ours", ours)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("ffmpeg", theirs)->Unit(benchmark::kMillisecond);
    }

    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    const double oursTime = reporter.best("ours");
    const double theirsTime = reporter.best("ffmpeg");
    if (oursTime <= 0 || theirsTime <= 0) {
        std::fprintf(stderr, "decode_bench: a benchmark did not run\n");
        return 1;
    }
    // Same units each iteration, so units per second compare as the inverse of the times.
    std::printf("decode ratio=%.2f\n", theirsTime / oursTime);
    return 0;
}
