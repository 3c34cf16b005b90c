// Export benchmark: a "save bitmaps" run (8 bits, run-length compressed) against an "only show" run over the same disc,
// and the bytes of our compressed bitmaps against ImageMagick's RLE8 files of the same pictures.
//
// Usage: export_bench [VOB] [benchmark flags]. The VOB may also be named by $GLYFEX_EXPORT_VOB, the folder the bitmaps
// are written to by $GLYFEX_EXPORT_OUT (default: the system's temporary folder). Without a VOB, a disc of
// 1000 subtitles with a 2-pixel outline is made once with the make-dvd-fixture tool that $GLYFEX_FIXTURE_TOOL
// names, into bench-data/export/. The last line printed is
// "export cost_ratio=<save-bitmaps time / only-show time> size_ratio=<our bytes / ImageMagick's>".
#include "core/bmp_rle_writer.h"
#include "core/bmp_writer.h"
#include "ripping/spu_dispatch.h"
#include "ripping/vob_pass.h"
#include "subtitles/export_bitmap.h"

#include "bench/fixture_tool.h"
#include "bench/null_sinks.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <limits>

namespace {

using namespace glyfex;

QString g_vob;
double g_bestSave = std::numeric_limits<double>::max();
double g_bestShow = std::numeric_limits<double>::max();
uint64_t g_pictures = 0;
double g_encodeSeconds = 0;

// The windows of a run without windows: nothing is shown, the only-show step goes on to the next picture.
class QuietHost : public ripping::DispatchHost {
public:
    void showPicture(const picture::DecodedPicture &, const picture::ExportedPicture *) override {}
    ripping::StepChoice askStep() override { return ripping::StepChoice::Next; }
    void warn(const QString &text) override { std::fprintf(stderr, "export_bench: %s\n", qPrintable(text)); }
};

class NoRecognition : public picture::PictureSink {
public:
    core::Result<void> recognise(const picture::DecodedPicture &, const picture::DisplayTimes &, const picture::Rect &) override
    {
        return {};
    }
};

// The DVD colours' preset at 8 bits, compressed: cropped bitmaps of DVD palette indices in RLE8 files.
subtitles::ExportSettings exportSettings()
{
    subtitles::ExportSettings s;
    s.preset = core::PresetPhilipsSvcd;
    s.bmp = core::defaultBmpOutPreset(s.preset);
    s.bmp.depth = core::BmpOutSettings::EightBits;
    s.bmp.compress = true;
    s.frameHeight = 576;
    return s;
}

// One run over the VOB with the action; pictureBase is where "save bitmaps" writes. Returns seconds.
double timeRun(picture::ActionMode action, const QString &pictureBase, std::vector<picture::ExportedPicture> *pictures = nullptr)
{
    ripping::DispatchOptions o;
    o.action = action;
    o.minDurationMs = 0;
    o.pictureBase = pictureBase;
    for (int i = 0; i < 16; ++i)
        o.dvdPalette[size_t(i)] = 0x111111u * uint32_t(i);
    ripping::RunState run;
    run.vobList = {g_vob};
    run.vobSizes = {QFileInfo(g_vob).size()};
    run.totalBytes = run.vobSizes.front();
    run.streamId = 0x20;
    run.useMap = false;
    bench::NullSubtitles subs;
    NoRecognition recognition;
    subtitles::ExportBitmapEngine engine;
    engine.settings = exportSettings();
    QuietHost host;
    ripping::SpuDispatcher dispatcher(o, run, subs, recognition, engine, host);
    // Keeps every exported picture for the size comparison, outside the timed part.
    struct Keeping : ripping::UnitHandler {
        ripping::SpuDispatcher &d;
        std::vector<picture::ExportedPicture> *out;
        Keeping(ripping::SpuDispatcher &d, std::vector<picture::ExportedPicture> *out) : d(d), out(out) {}
        core::Result<void> handleUnit(const ripping::SpuUnit &unit) override
        {
            auto r = d.handleUnit(unit);
            if (out && !d.exported().empty())
                out->push_back(d.exported());
            return r;
        }
    } keeping(dispatcher, pictures);
    ripping::SilentVobPassHost passHost;
    ripping::VobPass pass(run, passHost, keeping);
    const auto t = std::chrono::steady_clock::now();
    while (!run.finished() && !run.stopped)
        if (pass.readCurrentFile().error)
            return -1;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
    if (action == picture::ActionMode::SaveBitmaps)
        g_pictures = run.picturesSaved;
    return seconds;
}

// The two runs take turns, so that both see the same load of a shared machine. Each save-bitmaps run
// writes into a new folder, as a rip usually does, and the folders go only after the last run: on a file
// system that avoids reusing the inodes of files deleted a moment ago (ext4 without a journal), replacing
// or deleting a thousand files makes every file created next scan past them, which would time the bench's
// own cleanup instead of the save.
void saveAgainstShow(benchmark::State &state)
{
    // $GLYFEX_EXPORT_OUT: the folder the bitmaps go to (a temporary folder by default), so that the
    // cost of another disk can be seen.
    const QString out = qEnvironmentVariable("GLYFEX_EXPORT_OUT", QDir::tempPath());
    QTemporaryDir dir(out + QStringLiteral("/export_bench-XXXXXX"));
    int runs = 0;
    for (auto _ : state) {
        const QString folder = dir.filePath(QStringLiteral("run%1").arg(runs++));
        if (!QDir().mkpath(folder)) {
            state.SkipWithError("cannot make the output folder");
            return;
        }
        const QString base = folder + QStringLiteral("/movie");
        const double save = timeRun(picture::ActionMode::SaveBitmaps, base);
        const double show = timeRun(picture::ActionMode::OnlyShow, base);
        if (save < 0 || show < 0) {
            state.SkipWithError("the run failed");
            return;
        }
        g_bestSave = std::min(g_bestSave, save);
        g_bestShow = std::min(g_bestShow, show);
    }
    state.counters["pictures"] = double(g_pictures);
}

// Every exported picture as our RLE8 file and as ImageMagick's, the byte totals of both.
bool compareSizes(uint64_t &ours, uint64_t &theirs)
{
    std::vector<picture::ExportedPicture> pictures;
    QTemporaryDir dir;
    if (timeRun(picture::ActionMode::OnlyShow, dir.filePath(QStringLiteral("x")), &pictures) < 0 || pictures.empty())
        return false;
    // The encoding alone, in memory: what the save-bitmaps run adds before the files are written.
    const auto t = std::chrono::steady_clock::now();
    for (const picture::ExportedPicture &p : pictures) {
        auto plain = core::encodeBmp(p.indexed());
        auto rle = plain ? core::compressBmp(*plain) : core::Result<QByteArray>(plain.error());
        benchmark::DoNotOptimize(rle.ok());
    }
    g_encodeSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
    ours = 0;
    QStringList pngs;
    for (size_t i = 0; i < pictures.size(); ++i) {
        const picture::ExportedPicture &p = pictures[i];
        const QString bmp = dir.filePath(QStringLiteral("ours%1.bmp").arg(i));
        if (!core::writeBitmapFile(bmp, p.indexed(), {true}))
            return false;
        ours += uint64_t(QFileInfo(bmp).size());
        QImage image(p.width, p.height, QImage::Format_Indexed8);
        QList<QRgb> table;
        for (uint32_t c : p.palette)
            table << qRgb(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
        image.setColorTable(table);
        for (int y = 0; y < p.height; ++y)
            std::copy_n(p.pixels.data() + size_t(y) * size_t(p.width), p.width, image.scanLine(y));
        const QString png = dir.filePath(QStringLiteral("im%1.png").arg(i));
        if (!image.save(png))
            return false;
        pngs << png;
    }
    // ImageMagick's own RLE8, four converts at a time.
    const QString script = QStringLiteral("for f in \"$@\"; do convert \"$f\" -type Palette -compress RLE \"BMP3:${f%.png}.bmp\" || exit 1; done");
    std::vector<std::unique_ptr<QProcess>> running;
    const int parts = 4;
    for (int k = 0; k < parts; ++k) {
        QStringList args{QStringLiteral("-c"), script, QStringLiteral("sh")};
        for (int i = k; i < pngs.size(); i += parts)
            args << pngs[i];
        running.push_back(std::make_unique<QProcess>());
        running.back()->start(QStringLiteral("sh"), args);
    }
    for (auto &p : running)
        if (!p->waitForFinished(-1) || p->exitCode() != 0)
            return false;
    theirs = 0;
    for (const QString &png : pngs)
        theirs += uint64_t(QFileInfo(QString(png).replace(QStringLiteral(".png"), QStringLiteral(".bmp"))).size());
    return theirs > 0;
}

QString defaultVob()
{
    if (const QString env = qEnvironmentVariable("GLYFEX_EXPORT_VOB"); !env.isEmpty())
        return env;
    const QString out = QStringLiteral(GLYFEX_SOURCE_DIR "/bench-data/export");
    const QString name = QStringLiteral("export-1000");
    if (!bench::ensureFixture("export_bench", out, name,
                              {QStringLiteral("--lines"), QStringLiteral("1000"), QStringLiteral("--outline"), QStringLiteral("2")}))
        return {};
    return out + QLatin1Char('/') + name + QStringLiteral("/dvd/VIDEO_TS/VTS_01_1.VOB");
}

} // namespace

int main(int argc, char **argv)
{
    g_vob = bench::takeFileArgument(argc, argv);
    if (g_vob.isEmpty())
        g_vob = defaultVob();
    if (g_vob.isEmpty() || !QFileInfo::exists(g_vob)) {
        std::fprintf(stderr, "export_bench: no VOB to read\n");
        return 1;
    }
    benchmark::RegisterBenchmark("save_bitmaps_then_only_show", saveAgainstShow)->Iterations(5)->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    uint64_t ours = 0;
    uint64_t theirs = 0;
    if (!compareSizes(ours, theirs)) {
        std::fprintf(stderr, "export_bench: the size comparison with ImageMagick failed\n");
        return 1;
    }
    std::printf("%llu pictures; best of 5: save bitmaps %.3f s, only show %.3f s\n", (unsigned long long)g_pictures, g_bestSave,
                g_bestShow);
    std::printf("encoding the pictures alone (plain image, then RLE8): %.3f s; the rest of the difference is writing the files\n",
                g_encodeSeconds);
    std::printf("bytes: ours %llu, ImageMagick's RLE8 %llu\n", (unsigned long long)ours, (unsigned long long)theirs);
    std::printf("the bitmaps were written into %s\n",
                qPrintable(QDir::toNativeSeparators(qEnvironmentVariable("GLYFEX_EXPORT_OUT", QDir::tempPath()))));
    std::printf("export cost_ratio=%.3f size_ratio=%.4f\n", g_bestSave / g_bestShow, double(ours) / double(theirs));
    return 0;
}
