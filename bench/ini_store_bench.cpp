// How writing new keys into one section and reading them back scales: the ratio of 16,000 keys to 1,000
// keys is about 16 when each write costs the same, about 256 when each write rescans the section.
#include "core/ini_store.h"

#include "bench/ratio_reporter.h"

#include <benchmark/benchmark.h>

#include <iostream>

namespace {

using glyfex::core::IniStore;

void writeAndReadKeys(benchmark::State &state)
{
    const int keys = int(state.range(0));
    for (auto _ : state) {
        IniStore store;
        for (int i = 0; i < keys; ++i)
            store.writeString(QStringLiteral("Palette"), QStringLiteral("Key%1").arg(i), QStringLiteral("value"));
        for (int i = 0; i < keys; ++i)
            benchmark::DoNotOptimize(store.readString(QStringLiteral("Palette"), QStringLiteral("key%1").arg(i)));
    }
}
BENCHMARK(writeAndReadKeys)->Arg(1000)->Arg(16000)->Unit(benchmark::kMillisecond);

// Parsing a language-file-sized text and writing its image, for scale.
void parseAndImage(benchmark::State &state)
{
    IniStore source;
    for (int s = 0; s < 20; ++s)
        for (int i = 0; i < 200; ++i)
            source.writeString(QStringLiteral("Form%1").arg(s), QStringLiteral("Label%1.Caption").arg(i),
                               QStringLiteral("Some translated caption text"));
    const QByteArray bytes = source.fileBytes();
    for (auto _ : state) {
        auto store = IniStore::fromBytes(bytes, QStringLiteral("lang.lng"));
        benchmark::DoNotOptimize(store->fileBytes());
    }
}
BENCHMARK(parseAndImage)->Unit(benchmark::kMillisecond);


} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    glyfex::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double small = reporter.time("writeAndReadKeys/1000");
    const double large = reporter.time("writeAndReadKeys/16000");
    if (small > 0 && large > 0)
        std::cout << "\n16,000 keys against 1,000 keys: " << large / small << " (16 is linear, 256 quadratic)\n";
    benchmark::Shutdown();
    return 0;
}
