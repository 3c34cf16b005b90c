// Opening files of 15,000 subtitles in each format aeidon also reads, against aeidon reading the same files.
#include "bench/aeidon_rates.h"
#include "bench/subtitle_fixture.h"
#include "subtitles/format_writers.h"
#include "subtitles/renderer.h"
#include "subtitles/subtitle_loader.h"
#include "subtitles/subtitle_saver.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <string>

namespace {

using namespace glyfex;
using namespace glyfex::subtitles;

constexpr int kCount = 15000;

// Our format for each aeidon format both read (aeidon takes .gxt files for SubRip).
const std::map<std::string, OutputFormat> kShared{{"SUBRIP", OutputFormat::Glyfex},
                                                  {"MICRODVD", OutputFormat::MicroDvd},
                                                  {"MPL2", OutputFormat::Mpl2},
                                                  {"SUBVIEWER2", OutputFormat::Subviewer2},
                                                  {"TMPLAYER", OutputFormat::TmPlayer}};

QTemporaryDir &scratch()
{
    static QTemporaryDir dir;
    return dir;
}

QString fileOf(const std::string &name)
{
    return scratch().filePath(QStringLiteral("readers.") + QString::fromStdString(name).toLower());
}

// The benchmark subtitles, written by our writers in code page 1252.
bool writeFiles()
{
    const SubtitleStore store = bench::makeSubtitleStore(kCount);
    for (const auto &[name, format] : kShared) {
        Renderer renderer;
        if (!renderer.setOutput(format, FormatOptions{}))
            return false;
        renderer.rebuild(store);
        auto bytes = encodeSubtitleText(renderer.lines() + trailerLines(format), false, 1252);
        QFile f(fileOf(name));
        if (!bytes || !f.open(QIODevice::WriteOnly) || f.write(*bytes) != bytes->size())
            return false;
    }
    return true;
}

// Best subtitles per second seen for each format.
std::map<std::string, double> &ours()
{
    static std::map<std::string, double> rates;
    return rates;
}

void openFile(benchmark::State &state, const std::string &name)
{
    LoadSettings settings;
    settings.codePage = 1252;
    const ParseErrorHandler stop = [](int, const core::Error &) { return ParseErrorAnswer::Stop; };
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        auto loaded = loadSubtitleFile(fileOf(name), settings, stop);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        if (!loaded || loaded->cancelled || loaded->store.count() != kCount) {
            state.SkipWithError("the file did not load whole");
            return;
        }
        double &best = ours()[name];
        best = std::max(best, kCount / seconds);
    }
    state.counters["subs_per_s"] = benchmark::Counter(double(kCount) * double(state.iterations()),
                                                      benchmark::Counter::kIsRate);
}

// aeidon opens the same files; the best of five reads counts (ours: the best iteration).
std::map<std::string, double> aeidonRatesOfShared()
{
    const QString script = QStringLiteral(R"(
import sys, time, aeidon
for name, path in zip(sys.argv[1::2], sys.argv[2::2]):
    best = 0.0
    for _ in range(5):
        p = aeidon.Project()
        t = time.perf_counter()
        p.open_main(path, "cp1252")
        best = max(best, %1 / (time.perf_counter() - t))
    print(name, best)
)").arg(kCount);
    QStringList args;
    for (const auto &[name, format] : kShared)
        args << QString::fromStdString(name) << fileOf(name);
    return bench::aeidonRates(script, args);
}

} // namespace

int main(int argc, char **argv)
{
    if (!writeFiles()) {
        std::printf("readers slowest_ratio=unavailable (the files could not be written)\n");
        return 1;
    }
    for (const auto &[name, format] : kShared) {
        benchmark::RegisterBenchmark(name.c_str(), [name = name](benchmark::State &state) { openFile(state, name); })
            ->Unit(benchmark::kMillisecond)
            ->MinTime(0.5);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    const std::map<std::string, double> theirs = aeidonRatesOfShared();
    if (theirs.empty()) {
        std::printf("readers slowest_ratio=unavailable (no python3 with aeidon)\n");
        return 1;
    }
    double slowest = 1e300;
    for (const auto &[name, format] : kShared) {
        const auto it = theirs.find(name);
        if (it == theirs.end() || it->second <= 0)
            continue;
        const double ratio = ours()[name] / it->second;
        std::printf("%-12s ours %10.0f aeidon %10.0f subtitles/s  ratio %.1f\n", name.c_str(), ours()[name], it->second,
                    ratio);
        slowest = std::min(slowest, ratio);
    }
    std::printf("readers slowest_ratio=%.1f\n", slowest);
    return 0;
}
