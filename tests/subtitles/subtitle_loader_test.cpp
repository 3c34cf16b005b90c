// Opening files that other programs wrote (FFmpeg's muxers, aeidon, iconv's re-encodings), and the file checks.
#include "subtitles/subtitle_loader.h"

#include "qt_printers.h"
#include "support/aeidon.h"
#include "support/test_data.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

namespace glyfex::subtitles {
namespace {

using K = SubtitleFileKind;

double seconds(const core::TimeCode &t)
{
    return double(core::timeCodeToMilliseconds(t)) / 1000.0;
}

void run(const QString &program, const QStringList &args, const QString &outputFile = {})
{
    QProcess p;
    if (!outputFile.isEmpty())
        p.setStandardOutputFile(outputFile);
    p.start(program, args);
    ASSERT_TRUE(p.waitForFinished(60000)) << program.toStdString();
    ASSERT_EQ(p.exitCode(), 0) << program.toStdString() << ": " << p.readAllStandardError().toStdString();
}

core::Result<LoadResult> loadFile(const QString &path, core::CodePage page = 1252, const char *rate = "23.976")
{
    LoadSettings settings;
    settings.codePage = page;
    settings.frameRateText = QString::fromLatin1(rate);
    // Every failed entry is a test failure unless a test expects it.
    return loadSubtitleFile(path, settings, [](int number, const core::Error &error) {
        ADD_FAILURE() << "entry " << number << ": " << error.message().toStdString();
        return ParseErrorAnswer::IgnoreAll;
    });
}

// The subtitles every producer is given: an accent, a second line, a time past the first hour.
const std::vector<test::AeidonSub> kSource = {
    {1.25, 3.5, 0, QStringLiteral("Hello")},
    {4.0, 6.0, 0, QStringLiteral("Two\nlines \u00E9t\u00E9")},
    {3725.5, 3727.0, 0, QStringLiteral("Late")},
};

class Producers : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString path(const char *name) const { return dir.filePath(QString::fromLatin1(name)); }

    // A SubRip file of kSource, as the source FFmpeg converts from.
    QString sourceSrt()
    {
        QByteArray srt;
        int n = 0;
        for (const auto &s : kSource) {
            const auto tc = [](double sec) {
                return core::formatTimeCode(core::millisecondsToTimeCode(int64_t(std::llround(sec * 1000)))).toUtf8();
            };
            srt += QByteArray::number(++n) + "\n" + tc(s.start) + " --> " + tc(s.end) + "\n" + s.text.toUtf8() + "\n\n";
        }
        test::writeBytes(path("source.srt"), srt);
        return path("source.srt");
    }

    // The loaded subtitles have kSource's texts and, within tolerance seconds, its times.
    static void expectSource(const LoadResult &loaded, double tolerance, bool stops = true)
    {
        ASSERT_EQ(loaded.store.count(), int(kSource.size()));
        for (int i = 1; i <= loaded.store.count(); ++i) {
            const Subtitle &s = loaded.store.at(i);
            EXPECT_NEAR(seconds(s.start), kSource[size_t(i - 1)].start, tolerance) << "subtitle " << i;
            if (stops) {
                EXPECT_NEAR(seconds(s.stop), kSource[size_t(i - 1)].end, tolerance) << "subtitle " << i;
            }
            EXPECT_EQ(s.lines.join(QLatin1Char('\n')), kSource[size_t(i - 1)].text) << "subtitle " << i;
        }
    }

    QTemporaryDir dir;
};

TEST_F(Producers, FfmpegSubRipInUtf8AndReencodedByIconv)
{
    run(QStringLiteral("ffmpeg"), {"-v", "error", "-y", "-i", sourceSrt(), path("ffmpeg.srt")});
    auto utf8 = loadFile(path("ffmpeg.srt"), 65001);
    ASSERT_TRUE(utf8.ok()) << utf8.error().message().toStdString();
    EXPECT_EQ(utf8->kind, K::Glyfex);
    expectSource(*utf8, 0.0005);
    EXPECT_EQ(utf8->options.glyfexOffset, 0);

    for (const char *page : {"CP1252", "UTF-16"}) {
        const QString file = path(page);
        run(QStringLiteral("iconv"), {"-f", "UTF-8", "-t", page, path("ffmpeg.srt")}, file);
        auto encoded = loadFile(file, 1252);
        ASSERT_TRUE(encoded.ok()) << page;
        expectSource(*encoded, 0.0005);
        EXPECT_EQ(encoded->hasByteOrderMark, QByteArray(page) == "UTF-16");
    }
}

TEST_F(Producers, FfmpegMicroDvdAtTheWindowsFrameRate)
{
    // FFmpeg's muxer writes the frame numbers of a MicroDVD stream, without a frame-rate line.
    QByteArray source;
    for (const auto &s : kSource)
        source += "{" + QByteArray::number(std::llround(s.start * 25)) + "}{" + QByteArray::number(std::llround(s.end * 25)) +
                  "}" + QString(s.text).replace(QLatin1Char('\n'), QLatin1Char('|')).toUtf8() + "\n";
    test::writeBytes(path("source.sub"), source);
    run(QStringLiteral("ffmpeg"), {"-v", "error", "-y", "-i", path("source.sub"), "-map", "0", "-c", "copy", "-f",
                                   "microdvd", path("ffmpeg.sub")});
    auto loaded = loadFile(path("ffmpeg.sub"), 65001, "25");
    ASSERT_TRUE(loaded.ok()) << loaded.error().message().toStdString();
    EXPECT_EQ(loaded->kind, K::MicroDvd);
    expectSource(*loaded, 0.021); // the source's times to the nearest frame
}

TEST_F(Producers, FfmpegAdvancedSubStationIsNoReadableFormat)
{
    run(QStringLiteral("ffmpeg"), {"-v", "error", "-y", "-i", sourceSrt(), path("ffmpeg.ass")});
    int asked = 0;
    auto loaded = loadSubtitleFile(path("ffmpeg.ass"), {}, [&](int, const core::Error &) {
        ++asked;
        return ParseErrorAnswer::IgnoreAll;
    });
    ASSERT_FALSE(loaded.ok());
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(loaded.error().why.contains(QStringLiteral("none of its"))) << loaded.error().message().toStdString();
}

struct AeidonCase {
    const char *name;
    const char *format;
    K kind;
    const char *encoding;
    core::CodePage page;
    double tolerance;
    bool stops;
};

// Listings show a row by its name rather than by its bytes, which hold pointers and change from run to run.
void PrintTo(const AeidonCase &c, std::ostream *os) { *os << c.name; }

class AeidonFiles : public Producers, public testing::WithParamInterface<AeidonCase> {};

TEST_P(AeidonFiles, LoadWithTheirTimesAndTexts)
{
    const AeidonCase &c = GetParam();
    const QString file = path("aeidon.txt");
    test::writeWithAeidon(file, c.format, c.encoding, kSource);
    auto loaded = loadFile(file, c.page);
    ASSERT_TRUE(loaded.ok()) << loaded.error().message().toStdString();
    EXPECT_EQ(loaded->kind, c.kind);
    expectSource(*loaded, c.tolerance, c.stops);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, AeidonFiles,
    testing::Values(AeidonCase{"SubRip", "SUBRIP", K::Glyfex, "utf_8", 65001, 0.0005, true},
                    // aeidon's MicroDVD files count frames at 23.976 per second.
                    AeidonCase{"MicroDvd", "MICRODVD", K::MicroDvd, "cp1250", 1250, 0.021, true},
                    AeidonCase{"Mpl2", "MPL2", K::Mpl2, "utf_8", 65001, 0.051, true},
                    // Whole seconds and no stops.
                    AeidonCase{"TmPlayer", "TMPLAYER", K::TmPlayer, "iso8859_1", 1252, 0.5, false},
                    AeidonCase{"SubViewer2", "SUBVIEWER2", K::SubViewer2, "utf_16", 1252, 0.0005, true}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(Producers, AeidonSubStationAlphaIsNoReadableFormat)
{
    test::writeWithAeidon(path("aeidon.ssa"), "SSA", "utf_8", kSource);
    auto loaded = loadSubtitleFile(path("aeidon.ssa"), {}, [](int, const core::Error &) { return ParseErrorAnswer::Stop; });
    ASSERT_TRUE(loaded.ok());
    EXPECT_TRUE(loaded->cancelled) << "the first failed entry was answered with Cancel";
}

TEST(SubtitleFileChecks, WhatIsNoSubtitleFileIsRefusedBeforeReading)
{
    QTemporaryDir dir;
    const QString big = dir.filePath(QStringLiteral("video.vob"));
    {
        QFile f(big);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("1\n00:00:01,000 --> 00:00:02,000\nA\n");
        ASSERT_TRUE(f.resize(kMaxSubtitleFileBytes + 1)); // sparse: no disk space taken
    }
    const struct {
        QString path;
        const char *what;
    } cases[] = {
        {big, "Not a subtitle file"},
        {test::dataPath(QStringLiteral("dvd-pal-sans/dvd/VIDEO_TS/VTS_01_1.VOB")), "Not a subtitle file"},
        {test::dataPath(QStringLiteral("dvd-pal-sans/vobsub.sub")), "Not a subtitle file"},
        {dir.path(), "Not a subtitle file"},
        {dir.filePath(QStringLiteral("missing.srt")), "Subtitle file not opened"},
    };
    for (const auto &c : cases) {
        auto loaded = loadSubtitleFile(c.path, {}, {});
        ASSERT_FALSE(loaded.ok()) << c.path.toStdString();
        EXPECT_EQ(loaded.error().what, QLatin1String(c.what)) << c.path.toStdString();
        EXPECT_FALSE(loaded.error().why.isEmpty());
    }
}

} // namespace
} // namespace glyfex::subtitles
