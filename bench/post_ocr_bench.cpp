// The post-OCR correction over a full store: every pass over 15,000 two-line subtitles with tags, against
// a reference that only lower-cases every line once (the least a pass over every line costs).
#include "subtitles/post_ocr_correction.h"

#include "bench/ratio_reporter.h"
#include "bench/subtitle_fixture.h"

#include <benchmark/benchmark.h>

#include <iostream>

namespace {

using namespace glyfex;

constexpr int kSubtitles = 15000;

// A recognised-looking store: the fixture's lines with the faults the passes repair mixed in.
subtitles::SubtitleStore faultyStore()
{
    subtitles::SubtitleStore store = bench::makeSubtitleStore(kSubtitles);
    for (int i = 0; i < kSubtitles; i += 2) {
        QStringList &lines = store.subs[size_t(i)].lines;
        lines[1] = QStringLiteral("<i>Hel</i>lo ,it``s 12 000 l said..but why?no");
    }
    return store;
}

subtitles::PostOcrOptions everyPass()
{
    subtitles::PostOcrOptions o;
    o.orthography = true;
    o.ilLanguage = subtitles::IlLanguage::French;
    return o;
}

subtitles::PostOcrDictionaries dictionaries()
{
    subtitles::PostOcrDictionaries d;
    d.punctuation = {{QStringLiteral(" ,"), QStringLiteral(",")}, {QStringLiteral("?."), QStringLiteral("?")}};
    for (int i = 0; i < 100; ++i)
        d.orthography.append({QStringLiteral("qzx%1").arg(i), QStringLiteral("word%1").arg(i)});
    return d;
}

void allPasses(benchmark::State &state)
{
    const subtitles::SubtitleStore original = faultyStore();
    const subtitles::PostOcrOptions options = everyPass();
    const subtitles::PostOcrDictionaries dicts = dictionaries();
    core::NullPassHost host;
    for (auto _ : state) {
        state.PauseTiming();
        subtitles::SubtitleStore store = original;
        state.ResumeTiming();
        benchmark::DoNotOptimize(subtitles::correctStore(store, options, dicts, host));
    }
}
BENCHMARK(allPasses)->Unit(benchmark::kMillisecond)->Iterations(5);

void lowerCaseOnce(benchmark::State &state)
{
    const subtitles::SubtitleStore original = faultyStore();
    for (auto _ : state) {
        state.PauseTiming();
        subtitles::SubtitleStore store = original;
        state.ResumeTiming();
        for (subtitles::Subtitle &s : store.subs)
            for (QString &line : s.lines)
                line = line.toLower();
        benchmark::DoNotOptimize(store);
    }
}
BENCHMARK(lowerCaseOnce)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double passes = reporter.time("allPasses/iterations:5");
    const double reference = reporter.time("lowerCaseOnce/iterations:5");
    if (passes > 0 && reference > 0)
        std::cout << "\nall seven passes against one lower-casing of every line: " << passes / reference << "\n";
    // Times are reported in the benchmark's unit (milliseconds).
    std::cout << "post_ocr seconds=" << passes / 1000.0 << "\n";
    benchmark::Shutdown();
    return 0;
}
