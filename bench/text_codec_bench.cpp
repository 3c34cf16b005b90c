// Writing and reading a 15,000-line subtitle text line by line through the codec, against opening iconv per line.
#include "core/text_codec.h"

#include "bench/ratio_reporter.h"

#include <benchmark/benchmark.h>

#include <QStringList>

#include <iconv.h>
#include <iostream>

namespace {

namespace codec = glyfex::core::TextCodec;

constexpr int kLines = 15000;

const QStringList &subtitleLines()
{
    static const QStringList lines = [] {
        QStringList l;
        for (int i = 0; i < kLines; ++i)
            l.append(QStringLiteral("%1\r\n00:%2:%3,120 --> 00:%2:%4,480\r\nÇa coûte %1 €, dit-elle — «oui».")
                         .arg(i).arg(i / 60 % 60, 2, 10, QLatin1Char('0')).arg(i % 60, 2, 10, QLatin1Char('0'))
                         .arg((i + 2) % 60, 2, 10, QLatin1Char('0')));
        return l;
    }();
    return lines;
}

// What a codec without a descriptor cache does: open, convert, close, for every line.
QByteArray encodeWithFreshDescriptor(const QString &text)
{
    iconv_t cd = iconv_open("CP1252", "UTF-16LE");
    QByteArray out(text.size() * 2 + 8, Qt::Uninitialized);
    char *in = const_cast<char *>(reinterpret_cast<const char *>(text.utf16()));
    size_t inLeft = size_t(text.size()) * 2;
    char *o = out.data();
    size_t oLeft = size_t(out.size());
    iconv(cd, &in, &inLeft, &o, &oLeft);
    iconv_close(cd);
    out.resize(out.size() - qsizetype(oLeft));
    return out;
}

void encodeCached(benchmark::State &state)
{
    for (auto _ : state)
        for (const QString &line : subtitleLines()) benchmark::DoNotOptimize(codec::encode(line, 1252).ok());
}
BENCHMARK(encodeCached)->Unit(benchmark::kMillisecond);

void encodeFreshDescriptor(benchmark::State &state)
{
    for (auto _ : state)
        for (const QString &line : subtitleLines()) benchmark::DoNotOptimize(encodeWithFreshDescriptor(line));
}
BENCHMARK(encodeFreshDescriptor)->Unit(benchmark::kMillisecond);

// The floor: Qt's own Latin-1 narrowing, which knows no code page at all.
void encodeQtLatin1(benchmark::State &state)
{
    for (auto _ : state)
        for (const QString &line : subtitleLines()) benchmark::DoNotOptimize(line.toLatin1());
}
BENCHMARK(encodeQtLatin1)->Unit(benchmark::kMillisecond);

void encodeCachedWithUnmappable(benchmark::State &state)
{
    QStringList lines;
    for (const QString &line : subtitleLines()) lines.append(line + QStringLiteral(" 日本語"));
    for (auto _ : state)
        for (const QString &line : lines) benchmark::DoNotOptimize(codec::encode(line, 1252).ok());
}
BENCHMARK(encodeCachedWithUnmappable)->Unit(benchmark::kMillisecond);

void decodeCached(benchmark::State &state)
{
    std::vector<QByteArray> encoded;
    for (const QString &line : subtitleLines()) encoded.push_back(*codec::encode(line, 1252));
    for (auto _ : state)
        for (const QByteArray &bytes : encoded) benchmark::DoNotOptimize(codec::decode(bytes, 1252).ok());
}
BENCHMARK(decodeCached)->Unit(benchmark::kMillisecond);

// Keeps each run's time per iteration so that main() can print ratios against the reference.

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    glyfex::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    if (const double reference = reporter.time("encodeFreshDescriptor"); reference > 0) {
        std::cout << "\nRatios against opening iconv per line (" << kLines << " lines, lower is faster):\n";
        for (const auto &[name, time] : reporter.times()) std::cout << "  " << name << ": " << time / reference << "\n";
    }
    benchmark::Shutdown();
    return 0;
}
