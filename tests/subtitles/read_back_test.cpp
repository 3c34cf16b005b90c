// Files we write, read back by real readers: FFmpeg's subtitle demuxers (forced by name) and aeidon.
#include "subtitles/format_writers.h"
#include "subtitles/renderer.h"
#include "subtitles/style_tags.h"

#include "qt_printers.h"
#include "subtitle_builder.h"
#include "support/aeidon.h"
#include "support/ffmpeg_demux.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

namespace glyfex::subtitles {
namespace {

using core::TimeCode;

Subtitle sub(TimeCode start, TimeCode stop, QStringList lines)
{
    return test::makeSubtitle(start, stop, std::move(lines));
}

// Italics, two lines, accents, an hour above nine; times with odd milliseconds.
SubtitleStore storeWithHours(bool hoursAboveNine)
{
    SubtitleStore store;
    store.subs = {
        sub({0, 0, 1, 250}, {0, 0, 3, 995}, {QStringLiteral("<i>Où est-il ?</i>")}),
        sub({0, 1, 2, 512}, {0, 1, 5, 0}, {QStringLiteral("Première ligne,"), QStringLiteral("l'été dernier.")}),
        sub({1, 2, 3, 456}, {1, 2, 6, 789}, {QStringLiteral("Ça va"), QStringLiteral("<i>très bien</i>")}),
    };
    if (hoursAboveNine)
        store.subs.push_back(sub({10, 20, 30, 40}, {10, 20, 33, 960}, {QStringLiteral("Dix heures"), QStringLiteral("Fin")}));
    return store;
}

int64_t msOf(const TimeCode &t)
{
    return core::timeCodeToMilliseconds(t);
}

// The shown text as a reader should see it: lines joined by newlines, without style marks.
QString plain(const Subtitle &s)
{
    return stripStyleTags(s.lines.join(QLatin1Char('\n')));
}

// Takes off the markup readers leave in (tags in braces or angle brackets, STL's ^ marks).
QString withoutMarkup(QString text)
{
    static const QRegularExpression braces(QStringLiteral("\\{[^}]*\\}"));
    static const QRegularExpression angles(QStringLiteral("<[^>]*>"));
    static const QRegularExpression carets(QStringLiteral("\\^[biu]"));
    text.remove(braces);
    text.remove(angles);
    text.remove(carets);
    return text;
}

QString writeFile(const QTemporaryDir &dir, OutputFormat format, const FormatOptions &options,
                  const SubtitleStore &store)
{
    Renderer renderer;
    EXPECT_TRUE(renderer.setOutput(format, options).ok());
    renderer.rebuild(store);
    const QString path = dir.filePath(QStringLiteral("out.") + defaultExtension(format));
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(((renderer.lines() + trailerLines(format)).join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8());
    return path;
}

// What one read-back check compares: the values in the reader's own unit, and the text.
struct Expected {
    int64_t start;
    int64_t duration; // -1: the format has no stop, not compared
    QString text;
};

struct FfmpegCase {
    const char *name;
    OutputFormat format;
    const char *demuxer;
    std::function<void(FormatOptions &)> options;
    // The values the demuxer must find for one subtitle, in its time base.
    std::function<Expected(const Subtitle &)> expected;
    // Some formats cannot show a subtitle's stop without the next one: the last duration is not compared.
    bool lastDurationOpen = false;
    std::function<QString(const QString &)> textOfPacket = [](const QString &t) { return withoutMarkup(t); };
};

void PrintTo(const FfmpegCase &c, std::ostream *os)
{
    *os << c.name;
}

int64_t frames(const TimeCode &t, double fps)
{
    return int64_t(std::nearbyint(double(msOf(t)) / 1000.0 * fps));
}

int64_t seconds(const TimeCode &t)
{
    return (msOf(t) + 499) / 1000; // milliseconds above 500 round up
}

// Spruce frame time codes at 25 fps, which FFmpeg reads as hundredths after the seconds.
int64_t stlValue(const TimeCode &t)
{
    int64_t ms = msOf(t);
    int64_t s = ms / 1000;
    int64_t f = int64_t(std::trunc(double(ms % 1000) * 25 / 1000 + 0.5));
    s += f / 25;
    f %= 25;
    return s * 100 + f;
}

QString bars(const QString &t)
{
    return withoutMarkup(QString(t).replace(QLatin1Char('|'), QLatin1Char('\n')));
}

class FfmpegReadBack : public testing::TestWithParam<FfmpegCase> {};

TEST_P(FfmpegReadBack, FindsOurTimesAndText)
{
    const FfmpegCase &c = GetParam();
    QTemporaryDir dir;
    FormatOptions options;
    if (c.options)
        c.options(options);
    const SubtitleStore store = storeWithHours(true);
    AVRational tb{0, 1};
    const std::vector<test::DemuxedEvent> events =
        test::demuxSubtitles(writeFile(dir, c.format, options, store), c.demuxer, &tb);
    ASSERT_EQ(events.size(), size_t(store.count()));
    for (int i = 1; i <= store.count(); ++i) {
        const Expected e = c.expected(store.at(i));
        const test::DemuxedEvent &got = events[size_t(i - 1)];
        EXPECT_EQ(got.pts, e.start) << "subtitle " << i;
        if (e.duration >= 0 && !(c.lastDurationOpen && i == store.count())) {
            EXPECT_EQ(got.duration, e.duration) << "subtitle " << i;
        }
        EXPECT_EQ(c.textOfPacket(got.text), e.text) << "subtitle " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, FfmpegReadBack,
    testing::Values(
        FfmpegCase{"Glyfex", OutputFormat::Glyfex, "srt", nullptr,
                   [](const Subtitle &s) {
                       return Expected{msOf(s.start), msOf(s.stop) - msOf(s.start), plain(s)};
                   }},
        FfmpegCase{"MicroDvd", OutputFormat::MicroDvd, "microdvd", nullptr,
                   [](const Subtitle &s) {
                       return Expected{frames(s.start, 23.976), frames(s.stop, 23.976) - frames(s.start, 23.976),
                                       plain(s)};
                   },
                   false, bars},
        FfmpegCase{"Mpl2", OutputFormat::Mpl2, "mpl2", nullptr,
                   [](const Subtitle &s) {
                       const auto d = [](const TimeCode &t) { return int64_t(std::nearbyint(double(msOf(t)) / 100.0)); };
                       return Expected{d(s.start), d(s.stop) - d(s.start), plain(s)};
                   },
                   false, bars},
        FfmpegCase{"Subviewer2", OutputFormat::Subviewer2, "subviewer", nullptr,
                   [](const Subtitle &s) {
                       // Read in milliseconds, written in hundredths.
                       return Expected{msOf(s.start) / 10 * 10, msOf(s.stop) / 10 * 10 - msOf(s.start) / 10 * 10,
                                       plain(s)};
                   },
                   false,
                   [](const QString &t) { return withoutMarkup(QString(t).replace(QStringLiteral("[br]"), QStringLiteral("\n"))); }},
        FfmpegCase{"Subviewer", OutputFormat::Subviewer, "subviewer1",
                   [](FormatOptions &o) { o.subviewerDelay = 0; },
                   [](const Subtitle &s) {
                       return Expected{seconds(s.start), seconds(s.stop) - seconds(s.start),
                                       plain(s)};
                   },
                   true, bars},
        FfmpegCase{"Phoenix", OutputFormat::PhoenixJapanimation, "pjs", nullptr,
                   [](const Subtitle &s) {
                       return Expected{frames(s.start, 23.976), frames(s.stop, 23.976) - frames(s.start, 23.976),
                                       plain(s)};
                   },
                   false, bars},
        FfmpegCase{"TmPlayer1", OutputFormat::TmPlayer, "vplayer", nullptr,
                   [](const Subtitle &s) { return Expected{seconds(s.start) * 100, -1, plain(s)}; }, true, bars},
        FfmpegCase{"TmPlayer2", OutputFormat::TmPlayer, "vplayer", [](FormatOptions &o) { o.tmPlayerVariant = 2; },
                   [](const Subtitle &s) { return Expected{seconds(s.start) * 100, -1, plain(s)}; }, true, bars},
        FfmpegCase{"TmPlayer3", OutputFormat::TmPlayer, "vplayer", [](FormatOptions &o) { o.tmPlayerVariant = 3; },
                   [](const Subtitle &s) { return Expected{seconds(s.start) * 100, -1, plain(s)}; }, true, bars},
        FfmpegCase{"TmPlayer4", OutputFormat::TmPlayer, "vplayer", [](FormatOptions &o) { o.tmPlayerVariant = 4; },
                   [](const Subtitle &s) { return Expected{seconds(s.start) * 100, -1, plain(s)}; }, true, bars},
        FfmpegCase{"SubStationAlpha", OutputFormat::SubStationAlpha, "ass", nullptr,
                   [](const Subtitle &s) {
                       return Expected{msOf(s.start) / 10, msOf(s.stop) / 10 - msOf(s.start) / 10, plain(s)};
                   },
                   false,
                   [](const QString &t) {
                       // The packet is the event's fields; the text is the last, with \N and \n for breaks.
                       return withoutMarkup(t.section(QLatin1Char(','), 8)
                                                .replace(QStringLiteral("\\N"), QStringLiteral("\n"))
                                                .replace(QStringLiteral("\\n"), QStringLiteral("\n")));
                   }},
        FfmpegCase{"SpruceStl", OutputFormat::SpruceStl, "stl", nullptr,
                   [](const Subtitle &s) {
                       return Expected{stlValue(s.start), stlValue(s.stop) - stlValue(s.start), plain(s)};
                   },
                   false, bars}),
    [](const auto &info) { return std::string(info.param.name); });

struct AeidonCase {
    const char *name;
    OutputFormat format;
    const char *aeidonFormat;
    // Entries before the subtitles that aeidon reads as subtitles (a header entry).
    int headerEntries;
    bool hoursAboveNine;
    // Seconds aeidon must find for a subtitle's start and stop; a negative stop is not compared.
    std::function<std::pair<double, double>(const Subtitle &)> times;
    bool framesOnly = false;
};

void PrintTo(const AeidonCase &c, std::ostream *os)
{
    *os << c.name;
}

class AeidonReadBack : public testing::TestWithParam<AeidonCase> {};

TEST_P(AeidonReadBack, FindsOurTimesAndText)
{
    const AeidonCase &c = GetParam();
    QTemporaryDir dir;
    const SubtitleStore store = storeWithHours(c.hoursAboveNine);
    const std::vector<test::AeidonSub> subs =
        test::readWithAeidon(writeFile(dir, c.format, FormatOptions{}, store), c.aeidonFormat);
    ASSERT_EQ(subs.size(), size_t(store.count() + c.headerEntries));
    for (int i = 1; i <= store.count(); ++i) {
        const test::AeidonSub &got = subs[size_t(i - 1 + c.headerEntries)];
        const Subtitle &s = store.at(i);
        if (c.framesOnly) {
            EXPECT_EQ(got.startFrame, frames(s.start, 23.976)) << "subtitle " << i;
        } else {
            const auto [start, stop] = c.times(s);
            EXPECT_NEAR(got.start, start, 1e-6) << "subtitle " << i;
            if (stop >= 0) {
                EXPECT_NEAR(got.end, stop, 1e-6) << "subtitle " << i;
            }
        }
        EXPECT_EQ(withoutMarkup(got.text), plain(s)) << "subtitle " << i;
    }
}

double exact(const TimeCode &t)
{
    return double(msOf(t)) / 1000.0;
}
double hundredths(const TimeCode &t)
{
    return double(msOf(t) / 10) / 100.0;
}

INSTANTIATE_TEST_SUITE_P(
    Formats, AeidonReadBack,
    testing::Values(
        AeidonCase{"Glyfex", OutputFormat::Glyfex, "SUBRIP", 0, true,
                   [](const Subtitle &s) { return std::pair{exact(s.start), exact(s.stop)}; }},
        // aeidon reads the frame-rate line as a subtitle of its own.
        AeidonCase{"MicroDvd", OutputFormat::MicroDvd, "MICRODVD", 1, true, nullptr, true},
        AeidonCase{"Mpl2", OutputFormat::Mpl2, "MPL2", 0, true,
                   [](const Subtitle &s) {
                       const auto d = [](const TimeCode &t) { return std::nearbyint(double(msOf(t)) / 100.0) / 10.0; };
                       return std::pair{d(s.start), d(s.stop)};
                   }},
        // aeidon reads only a one-digit hour in this format.
        AeidonCase{"SubStationAlpha", OutputFormat::SubStationAlpha, "SSA", 0, false,
                   [](const Subtitle &s) { return std::pair{hundredths(s.start), hundredths(s.stop)}; }},
        // aeidon reads the header's sample entry as a subtitle.
        AeidonCase{"Subviewer2", OutputFormat::Subviewer2, "SUBVIEWER2", 1, true,
                   [](const Subtitle &s) { return std::pair{hundredths(s.start), hundredths(s.stop)}; }},
        AeidonCase{"TmPlayer", OutputFormat::TmPlayer, "TMPLAYER", 0, true,
                   [](const Subtitle &s) { return std::pair{double(seconds(s.start)), -1.0}; }}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace glyfex::subtitles
