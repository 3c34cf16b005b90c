// Video benchmark: the viewer's whole-file run (subtitle detection) over a video with burned-in subtitles,
// next to `ffmpeg -i <video> -f null -` decoding the same file and to the player decoding its frames alone,
// for two minutes of 1920 x 1080 x264 in MP4 and five minutes of 720 x 576 MPEG-2 in a program stream with
// B-frames. Each case prints "video <case> ratio=<run's pace / the player's decode-only pace>" and
// "video <case> ffmpeg_ratio=<run's pace / ffmpeg's>"; the last line is "video ratio=..." the lower
// ffmpeg_ratio of the two: the run should keep at least half of ffmpeg's pace (0.5 or more) on each.
#include "bench/ratio_reporter.h"
#include "sources/avi_player.h"
#include "sources/frame_analysis.h"
#include "sources/video_run.h"
#include "support/burned_video.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <string>

using namespace glyfex;

namespace {

// Subtitles of two seconds with a second between, every fourth one followed at once by another of a
// different text (one that changes a digit only is the same subtitle to the detection).
test::BurnedVideo benchVideo(int width, int height, int seconds)
{
    test::BurnedVideo video;
    video.kind = test::BurnKind::Lossy;
    video.width = width;
    video.height = height;
    video.frames = int(int64_t(seconds) * 30000 / 1001);
    video.preset = QStringLiteral("fast");
    int start = 1000;
    for (int i = 1; start + 2000 < seconds * 1000; ++i) {
        const QString text = i % 4 == 1 && i > 1 ? QStringLiteral("And right after it line %1").arg(i)
                                                 : QStringLiteral("Subtitle number %1 of the film").arg(i);
        video.subtitles.push_back({start, start + 2000, text});
        start += i % 4 == 0 ? 2000 : 3000;
    }
    return video;
}

class CountingSink : public picture::PictureSink {
public:
    int pictures = 0;
    core::Result<void> recognise(const picture::DecodedPicture &, const picture::DisplayTimes &,
                                 const picture::Rect &) override
    {
        ++pictures;
        return {};
    }
};

class QuietHost : public sources::VideoRunHost {
public:
    int frames = 0; // a frame that ends a subtitle is shown again to start the next search
    void frameShown(int, const sources::BgrFrame &, const sources::FrameAnalysis &) override { ++frames; }
    bool pump() override { return true; }
    bool takeRestart() override { return false; }
    void subtitleFound(int, int, const sources::BgrFrame &) override {}
    void subtitleDropped() override {}
};

// The viewer's defaults after a click on the white text.
void prepareAnalysis(sources::FrameAnalysis &analysis, const sources::AviPlayer &player)
{
    (void)analysis.setArea(sources::defaultVideoArea(player.width(), player.height()), player.width(), player.height());
    analysis.textRange = sources::rangeAround({255, 255, 255}, {50, 50, 50});
    analysis.fattenRange = sources::fattenRangeOf(analysis.textRange, {10, 10, 10});
    analysis.outlineRange = sources::rangeAround({0, 0, 0}, {100, 100, 100});
}

struct BenchCase {
    const char *name;
    test::BurnedVideo video;
    const char *suffix;
};

struct Ratios {
    double decodeOnly = -1; // the run's pace over the player's decoding alone
    double ffmpeg = -1;     // the run's pace over ffmpeg's decoding of the whole file
};

// Makes (or finds) the case's video and times detection against decoding alone and against ffmpeg; the
// ratios of their frames per second, negative when the case could not run.
Ratios runCase(const BenchCase &c)
{
    const test::BurnedVideo &video = c.video;
    const QString dir = QStringLiteral(GLYFEX_BENCH_CACHE);
    QDir().mkpath(dir);
    // Named after what it shows, so that a changed list of subtitles makes a new video.
    QByteArray content = QByteArray::number(video.frames) + QByteArray::number(video.width) + c.video.codec.join(QLatin1Char(' ')).toUtf8();
    for (const test::BurnedSubtitle &s : video.subtitles)
        content += QStringLiteral("|%1|%2|%3").arg(s.startMs).arg(s.endMs).arg(s.text).toUtf8();
    const QString hash = QString::fromLatin1(QCryptographicHash::hash(content, QCryptographicHash::Sha1).toHex().left(12));
    const QString path = dir + QStringLiteral("/video_bench_%1%2").arg(hash, QString::fromLatin1(c.suffix));

    sources::AviPlayer player;
    if (!player.setFileName(path).ok() || player.frameCount() != video.frames) {
        (void)player.setFileName(QString());
        std::fprintf(stderr, "video_bench: making %s (%d frames)\n", qPrintable(path), video.frames);
        // Made beside and renamed, so that a broken run leaves no half video to be taken next time.
        const QString partial = path + QStringLiteral(".partial") + QString::fromLatin1(c.suffix);
        const QString error = test::makeBurnedVideo(partial, video);
        if (!error.isEmpty()) {
            std::fprintf(stderr, "video_bench: %s\n", qPrintable(error));
            return {};
        }
        QFile::remove(path);
        if (!QFile::rename(partial, path) || !player.setFileName(path).ok()) {
            std::fprintf(stderr, "video_bench: the video cannot be opened\n");
            return {};
        }
    }
    const int frames = player.frameCount();

    auto decodeOnly = [&](benchmark::State &state) {
        sources::BgrFrame frame;
        for (auto _ : state) {
            for (int pos = 0; pos < frames; ++pos) {
                player.setPosition(pos);
                if (!player.drawFrame(frame).ok()) {
                    state.SkipWithError("a frame could not be decoded");
                    break;
                }
                benchmark::DoNotOptimize(frame.bytes.data());
            }
        }
        state.counters["fps"] = benchmark::Counter(double(frames) * double(state.iterations()), benchmark::Counter::kIsRate);
    };
    // FFmpeg's own tool decoding every frame of the file and throwing the pictures away.
    auto ffmpegNull = [&](benchmark::State &state) {
        for (auto _ : state) {
            QProcess ffmpeg;
            QElapsedTimer clock;
            clock.start();
            ffmpeg.start(QStringLiteral("ffmpeg"), {QStringLiteral("-nostdin"), QStringLiteral("-loglevel"),
                                                    QStringLiteral("error"), QStringLiteral("-i"), path,
                                                    QStringLiteral("-f"), QStringLiteral("null"), QStringLiteral("-")});
            if (!ffmpeg.waitForFinished(-1) || ffmpeg.exitStatus() != QProcess::NormalExit || ffmpeg.exitCode() != 0) {
                state.SkipWithError("ffmpeg failed");
                break;
            }
            state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        }
    };
    auto detection = [&](benchmark::State &state) {
        for (auto _ : state) {
            sources::FrameAnalysis analysis;
            prepareAnalysis(analysis, player);
            CountingSink sink;
            QuietHost host;
            auto outcome = sources::runVideo(player, analysis, sources::VideoRunOptions{}, -1, sink, host);
            if (!outcome || outcome->stopped || outcome->position != frames - 1 || host.frames < frames
                || outcome->undecodable != 0) {
                state.SkipWithError("the run did not go through every frame");
                break;
            }
            if (sink.pictures != int(video.subtitles.size())) {
                state.SkipWithError("the run did not find every subtitle");
                break;
            }
        }
        state.counters["fps"] = benchmark::Counter(double(frames) * double(state.iterations()), benchmark::Counter::kIsRate);
    };
    // Taking turns, so that a busy moment of the machine does not fall on one side only; the fastest
    // round of each counts.
    benchmark::ClearRegisteredBenchmarks();
    for (int round = 0; round < 2; ++round) {
        benchmark::RegisterBenchmark((std::string(c.name) + "/decode_only").c_str(), decodeOnly)
            ->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
        benchmark::RegisterBenchmark((std::string(c.name) + "/detection").c_str(), detection)
            ->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
        benchmark::RegisterBenchmark((std::string(c.name) + "/ffmpeg_null").c_str(), ffmpegNull)
            ->Unit(benchmark::kMillisecond)->Iterations(1)->UseManualTime();
    }
    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    double decode = 0, detect = 0, ffmpegTime = 0;
    for (const auto &[name, time] : reporter.times()) {
        double &slot = name.find("/decode_only") != std::string::npos ? decode
                       : name.find("/ffmpeg_null") != std::string::npos ? ffmpegTime
                                                                         : detect;
        if (time > 0 && (slot == 0 || time < slot))
            slot = time;
    }
    if (decode <= 0 || detect <= 0 || ffmpegTime <= 0) {
        std::fprintf(stderr, "video_bench: a benchmark of %s did not run\n", c.name);
        return {};
    }
    std::printf("%s: frames=%d subtitles=%zu\n", c.name, frames, video.subtitles.size());
    std::printf("%s: decode-only %.1f frames/s, detection %.1f frames/s\n", c.name, frames / (decode / 1000.0),
                frames / (detect / 1000.0));
    std::printf("%s: ffmpeg -f null %.1f frames/s\n", c.name, frames / (ffmpegTime / 1000.0));
    // Times per pass: frames per second are their inverse ratio.
    const Ratios ratios{decode / detect, ffmpegTime / detect};
    std::printf("video %s ratio=%.2f\n", c.name, ratios.decodeOnly);
    std::printf("video %s ffmpeg_ratio=%.2f\n", c.name, ratios.ffmpeg);
    std::fflush(stdout);
    return ratios;
}

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    test::BurnedVideo dvd = benchVideo(720, 576, 300);
    // A program stream as a DVD's: MPEG-2 at a DVD's bit rate with B-frames in groups of 15, at the lossy
    // picture's rate.
    dvd.codec = {QStringLiteral("-c:v"), QStringLiteral("mpeg2video"), QStringLiteral("-b:v"), QStringLiteral("6M"),
                 QStringLiteral("-maxrate"), QStringLiteral("9M"), QStringLiteral("-bufsize"), QStringLiteral("1835k"),
                 QStringLiteral("-bf"), QStringLiteral("2"), QStringLiteral("-g"), QStringLiteral("15"),
                 QStringLiteral("-an"), QStringLiteral("-f"), QStringLiteral("vob")};
    const BenchCase cases[] = {
        {"hd_x264", benchVideo(1920, 1080, 120), ".mp4"},
        {"dvd_mpeg2", dvd, ".mpg"},
    };
    double slowest = 0;
    for (const BenchCase &c : cases) {
        const Ratios ratios = runCase(c);
        if (ratios.ffmpeg < 0)
            return 1;
        slowest = slowest == 0 ? ratios.ffmpeg : std::min(slowest, ratios.ffmpeg);
    }
    benchmark::Shutdown();
    std::printf("video ratio=%.2f\n", slowest);
    return 0;
}
