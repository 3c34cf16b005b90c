// Reading-pass speed: the pass over one large VOB against a plain sequential read of it, and a re-pass along its map.
//
// Usage: pass_bench [VOB] [benchmark options]. Without a VOB one of about 200 MB is made once with the
// make-dvd-fixture tool that GLYFEX_FIXTURE_TOOL names, into bench-data/. The last line printed
// is "pass ratio=<pass MB/s / read MB/s>"; the line before it gives the map re-pass time as a fraction of the full pass time. The full pass is a
// first pass with the map option on (the default): it builds the map and writes it at the end.
#include "bench/fixture_tool.h"
#include "ripping/vob_pass.h"

#include "bench/fixture_tool.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <limits>
#include <vector>

namespace {

using namespace glyfex;

QString g_vob;            // the VOB as given or made
QTemporaryDir *g_dir = nullptr; // holds a link to the VOB, so its map can be written beside the link
double g_bestRead = std::numeric_limits<double>::max();
double g_bestPass = std::numeric_limits<double>::max();
double g_bestMapPass = std::numeric_limits<double>::max();
double g_bestPassNoMap = std::numeric_limits<double>::max();
uint64_t g_units = 0;

class CountingHandler : public ripping::UnitHandler {
public:
    core::Result<void> handleUnit(const ripping::SpuUnit &unit) override
    {
        ++units;
        bytes += unit.bytes.size();
        return {};
    }
    uint64_t units = 0;
    uint64_t bytes = 0;
};


QString linkedVob()
{
    return g_dir->filePath(QStringLiteral("VTS_01_1.VOB"));
}

double seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// One pass object for all runs, as the main window keeps one for a run: its buffers are made once.
uint64_t runPass(bool useMap)
{
    static ripping::RunState run;
    static CountingHandler handler;
    static ripping::SilentVobPassHost host(core::Answer::YesToAll);
    static ripping::VobPass pass(run, host, handler);
    run = ripping::RunState();
    run.vobList = {linkedVob()};
    run.vobSizes = {QFileInfo(g_vob).size()};
    run.totalBytes = run.vobSizes.front();
    run.streamId = 0x20;
    run.useMap = useMap;
    handler.units = 0;
    while (!run.finished() && !run.stopped)
        (void)pass.readCurrentFile();
    return handler.units;
}

double timePlainRead()
{
    static std::vector<char> buffer(size_t(1) << 20);
    const auto t = std::chrono::steady_clock::now();
    QFile f(g_vob);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return -1;
    uint64_t total = 0;
    for (qint64 got; (got = f.read(buffer.data(), qint64(buffer.size()))) > 0;)
        total += uint64_t(got);
    benchmark::DoNotOptimize(total);
    return seconds(t);
}

double timeFullPass()
{
    // A first pass: no map yet, so the file is read in full and the map is built.
    QFile::remove(ripping::SubtitleMap::pathFor(linkedVob()));
    const auto t = std::chrono::steady_clock::now();
    g_units = runPass(true);
    return seconds(t);
}

// The plain read and the pass take turns, so that both see the same load of a shared machine.
void passAgainstRead(benchmark::State &state)
{
    for (auto _ : state) {
        const double read = timePlainRead();
        if (read < 0) {
            state.SkipWithError("cannot open the VOB");
            return;
        }
        g_bestRead = std::min(g_bestRead, read);
        g_bestPass = std::min(g_bestPass, timeFullPass());
        // The same pass with the map option off: no map built, none written.
        const auto t = std::chrono::steady_clock::now();
        runPass(false);
        g_bestPassNoMap = std::min(g_bestPassNoMap, seconds(t));
    }
    state.counters["units"] = double(g_units);
    state.SetBytesProcessed(int64_t(state.iterations()) * 3 * QFileInfo(g_vob).size());
}

double g_bestMapLoad = std::numeric_limits<double>::max();

void mapPass(benchmark::State &state)
{
    if (!QFile::exists(ripping::SubtitleMap::pathFor(linkedVob())))
        runPass(true);
    for (int i = 0; i < 5; ++i) {
        const auto t = std::chrono::steady_clock::now();
        auto map = ripping::SubtitleMap::load(ripping::SubtitleMap::pathFor(linkedVob()), QFileInfo(g_vob).size());
        benchmark::DoNotOptimize(map.ok());
        g_bestMapLoad = std::min(g_bestMapLoad, seconds(t));
    }
    for (auto _ : state) {
        const auto t = std::chrono::steady_clock::now();
        const uint64_t units = runPass(true);
        g_bestMapPass = std::min(g_bestMapPass, seconds(t));
        if (units != g_units)
            state.SkipWithError("the map re-pass found other units than the full pass");
    }
}

QString makeVob()
{
    const QString dir = QStringLiteral(GLYFEX_SOURCE_DIR "/bench-data");
    const QString vob = dir + QStringLiteral("/pass/dvd/VIDEO_TS/VTS_01_1.VOB");
    if (QFile::exists(vob))
        return vob;
    if (!glyfex::bench::ensureFixture("pass_bench", dir, QStringLiteral("pass"), {QStringLiteral("--lines"), QStringLiteral("1000")}))
        return {};
    return QFile::exists(vob) ? vob : QString();
}

} // namespace

int main(int argc, char **argv)
{
    g_vob = bench::takeFileArgument(argc, argv);
    if (g_vob.isEmpty())
        g_vob = makeVob();
    if (g_vob.isEmpty() || !QFile::exists(g_vob)) {
        std::fprintf(stderr, "no VOB to read\n");
        return 1;
    }
    QTemporaryDir dir;
    g_dir = &dir;
    if (!QFile::link(QFileInfo(g_vob).absoluteFilePath(), linkedVob())) {
        std::fprintf(stderr, "cannot link the VOB into %s\n", qPrintable(dir.path()));
        return 1;
    }

    // Warm the page cache once so that neither side pays for the disk.
    {
        QFile f(g_vob);
        std::vector<char> buffer(size_t(1) << 20);
        if (f.open(QIODevice::ReadOnly))
            while (f.read(buffer.data(), qint64(buffer.size())) > 0) {
            }
    }
    benchmark::RegisterBenchmark("read_then_full_pass", passAgainstRead)->Iterations(15)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("map_pass", mapPass)->Iterations(15)->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    const double mb = double(QFileInfo(g_vob).size()) / 1048576.0;
    std::printf("file %.1f MB, %llu units; best of 15: read %.1f MB/s, pass %.1f MB/s, map re-pass %.4f s (map load %.4f s)\n", mb,
                (unsigned long long)g_units, mb / g_bestRead, mb / g_bestPass, g_bestMapPass, g_bestMapLoad);
    std::printf("pass without the map option: %.1f MB/s, ratio %.3f\n", mb / g_bestPassNoMap, g_bestRead / g_bestPassNoMap);
    std::printf("map re-pass fraction=%.4f (map re-pass time / full pass time)\n", g_bestMapPass / g_bestPass);
    std::printf("pass ratio=%.3f\n", g_bestRead / g_bestPass);
    return 0;
}
