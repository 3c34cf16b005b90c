// Rendering and saving 15,000 subtitles in every text format, against aeidon writing the same subtitles.
#include "bench/aeidon_rates.h"
#include "bench/subtitle_fixture.h"
#include "core/messages.h"
#include "core/user_prompt.h"
#include "subtitles/renderer.h"
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

const SubtitleStore &store()
{
    static const SubtitleStore s = bench::makeSubtitleStore(kCount);
    return s;
}

QTemporaryDir &scratch()
{
    static QTemporaryDir dir;
    return dir;
}

// Best subtitles per second seen for each format.
std::map<int, double> &ours()
{
    static std::map<int, double> rates;
    return rates;
}

void renderAndSave(benchmark::State &state)
{
    const auto format = OutputFormat(state.range(0));
    core::MessageTable messages;
    core::SilentPrompt prompt;
    Renderer renderer;
    if (!renderer.setOutput(format, FormatOptions{}).ok()) {
        state.SkipWithError("options refused");
        return;
    }
    renderer.setGeneratedAt(QStringLiteral("12/10/2026 10:00:00"));
    SaveRequest request;
    request.path = scratch().filePath(QStringLiteral("out.") + defaultExtension(format));
    request.format = format;
    request.codePage = 1252;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        renderer.rebuild(store());
        request.lines = renderer.lines();
        auto saved = saveSubtitleFile(request, messages, prompt);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        if (!saved || !saved->saved) {
            state.SkipWithError("save failed");
            return;
        }
        double &best = ours()[int(format)];
        best = std::max(best, kCount / seconds);
    }
    state.counters["subs_per_s"] = benchmark::Counter(double(kCount) * double(state.iterations()),
                                                      benchmark::Counter::kIsRate);
}

// Our format number for each aeidon format they share.
const std::map<std::string, int> kShared{{"SUBRIP", int(OutputFormat::Glyfex)},
                                         {"MICRODVD", int(OutputFormat::MicroDvd)},
                                         {"MPL2", int(OutputFormat::Mpl2)},
                                         {"SSA", int(OutputFormat::SubStationAlpha)},
                                         {"SUBVIEWER2", int(OutputFormat::Subviewer2)},
                                         {"TMPLAYER", int(OutputFormat::TmPlayer)}};

// aeidon writes the same subtitles in each shared format; the best of five saves counts (ours: the best iteration).
std::map<std::string, double> aeidonRatesOfShared()
{
    const QString script = QStringLiteral(R"(
import sys, time, aeidon
p = aeidon.Project()
subs = []
for i in range(%1):
    s = aeidon.Subtitle(aeidon.modes.TIME, p.framerate)
    s.start_seconds = i * 4.0 + 1.25
    s.end_seconds = i * 4.0 + 3.5
    s.main_text = ("<i>Où est-il ?</i>" if i % 3 == 0 else "Où est-il ?") + "\nSeconde ligne %d" % i
    subs.append(s)
p.subtitles = subs
for name in sys.argv[2:]:
    f = aeidon.files.new(getattr(aeidon.formats, name), sys.argv[1] + "/aeidon." + name.lower(), "utf_8")
    best = 0.0
    for _ in range(5):
        t = time.perf_counter()
        p.save_main(f)
        best = max(best, %1 / (time.perf_counter() - t))
    print(name, best)
)").arg(kCount);
    QStringList args{scratch().path()};
    for (const auto &[name, format] : kShared)
        args << QString::fromStdString(name);
    return bench::aeidonRates(script, args);
}

} // namespace

int main(int argc, char **argv)
{
    for (int f = 0; f < kFirstPictureScriptFormat; ++f) {
        benchmark::RegisterBenchmark(outputFormatInfo(OutputFormat(f)).caption, renderAndSave)
            ->Arg(f)
            ->Unit(benchmark::kMillisecond)
            ->MinTime(0.5);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    for (const auto &[format, rate] : ours())
        std::printf("ours %-32s %12.0f subtitles/s\n", outputFormatInfo(OutputFormat(format)).caption, rate);
    const std::map<std::string, double> theirs = aeidonRatesOfShared();
    if (theirs.empty()) {
        std::printf("formats slowest_ratio=unavailable (no python3 with aeidon)\n");
        return 1;
    }
    double slowest = 1e300;
    std::string slowestName;
    for (const auto &[name, format] : kShared) {
        const auto it = theirs.find(name);
        if (it == theirs.end() || it->second <= 0)
            continue;
        const double ratio = ours()[format] / it->second;
        std::printf("aeidon %-12s %12.0f subtitles/s  ratio %.1f\n", name.c_str(), it->second, ratio);
        if (ratio < slowest) {
            slowest = ratio;
            slowestName = name;
        }
    }
    std::printf("formats slowest_ratio=%.1f\n", slowest);
    return 0;
}
