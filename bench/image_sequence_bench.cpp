// Image-sequence benchmark: 1000 numbered pictures run through the sequence with a taught matrix, next to
// decoding the same files with QImageReader alone. Its last line is
// "image_sequence ratio=<sequence run time / decode-only time>"; recognition should cost no more than
// reading the pictures (a ratio of at most 2).
#include "bench/ratio_reporter.h"
#include "recognition/recognition_driver.h"
#include "recognition/scripted_answerer.h"
#include "sources/image_sequence.h"
#include "subtitles/subtitle_store.h"
#include "support/sequence_pictures.h"
#include "support/sequence_road.h"

#include <QDir>
#include <QImageReader>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <utility>

using namespace glyfex;

namespace {

constexpr int kPictures = 1000;
constexpr uint32_t kFps = 25000;
// The digits "1" and "7" stand 6 pixels apart at this size: words are drawn three blanks apart.
constexpr int kSpaceWidth = 10;

// The measured runs use the taught matrix: a question would be a fault, and is only counted.
class NoQuestions : public recognition::GlyphAsker {
public:
    recognition::GlyphAnswer askGlyph(const recognition::GlyphQuestion &) override { return {}; }
};

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    QTemporaryDir dir;
    auto made = test::drawNumberedBmps24(dir.filePath(QStringLiteral("pic%04d.bmp")), QStringLiteral("Line   "), kPictures);
    if (!made) {
        std::fprintf(stderr, "image_sequence_bench: %s\n", qPrintable(made.error().message()));
        return 1;
    }
    auto plan = sources::planSequence(dir.filePath(QStringLiteral("pic0001.bmp")));
    if (!plan || plan->entries.size() != kPictures) {
        std::fprintf(stderr, "image_sequence_bench: the pictures were not all made\n");
        return 1;
    }

    // Teach the matrix on the pictures' known text once; the measured runs ask nothing.
    std::vector<recognition::TruthEntry> truth;
    for (int i = 0; i < kPictures; ++i)
        truth.push_back({sources::sequenceTimes(*plan, i, kFps)->start, {QStringLiteral("Line %1").arg(i + 1)}});
    recognition::CharMatrix matrix;
    {
        recognition::GroundTruthAnswerer teacher(truth);
        test::SequenceRoad teaching(matrix, &teacher);
        teaching.driver.options().match.settings.spaceWidth = kSpaceWidth;
        auto taught = sources::runSequence(*plan, kFps, teaching.driver, teaching);
        int right = 0;
        for (int i = 0; i < teaching.store.count(); ++i) {
            const bool same = teaching.store.subs[size_t(i)].lines == truth[size_t(i)].lines;
            right += same;
            if (!same)
                std::fprintf(stderr, "%d: %s\n", i, qPrintable(teaching.store.subs[size_t(i)].lines.join(QLatin1Char('|'))));
        }
        if (!taught || right != kPictures) {
            std::fprintf(stderr, "image_sequence_bench: teaching recognised %d of %d\n", right, kPictures);
            return 1;
        }
    }

    auto decodeOnly = [&](benchmark::State &state) {
        for (auto _ : state) {
            for (const QString &entry : plan->entries) {
                QImageReader reader(plan->folder + entry);
                QImage image = reader.read();
                benchmark::DoNotOptimize(image.constBits());
            }
        }
    };
    auto sequence = [&](benchmark::State &state) {
        for (auto _ : state) {
            NoQuestions nobody;
            test::SequenceRoad road(matrix, &nobody);
            road.driver.options().match.settings.spaceWidth = kSpaceWidth;
            auto done = sources::runSequence(*plan, kFps, road.driver, road);
            if (!done || *done != kPictures || road.driver.questionsAsked() != 0)
                state.SkipWithError("the taught run did not recognise every picture without a question");
        }
    };
    // Several rounds each, taking turns; the fastest round of each counts.
    for (int round = 0; round < 3; ++round) {
        benchmark::RegisterBenchmark("decode_only", decodeOnly)->Unit(benchmark::kMillisecond)->Iterations(2);
        benchmark::RegisterBenchmark("sequence", sequence)->Unit(benchmark::kMillisecond)->Iterations(2);
    }
    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    double decode = 0, run = 0;
    for (const auto &[name, time] : reporter.times()) {
        double &slot = name.rfind("decode_only", 0) == 0 ? decode : run;
        if (time > 0 && (slot == 0 || time < slot))
            slot = time;
    }
    if (decode <= 0 || run <= 0) {
        std::fprintf(stderr, "image_sequence_bench: a benchmark did not run\n");
        return 1;
    }
    std::printf("image_sequence ratio=%.2f\n", run / decode);
    return 0;
}
