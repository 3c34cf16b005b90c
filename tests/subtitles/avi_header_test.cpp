// The AVI header reader: AVIs made by ffmpeg against ffprobe's frame count, damaged headers, and the length they give.
#include "subtitles/avi_header.h"

#include "qt_printers.h"
#include "support/test_data.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>

namespace glyfex::subtitles {
namespace {

QString run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    EXPECT_TRUE(p.waitForFinished(120000)) << program.toStdString();
    EXPECT_EQ(p.exitCode(), 0) << program.toStdString() << ": " << p.readAllStandardError().toStdString();
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

// A test video of the given frames from a lavfi source; encoding holds further inputs and the output options.
QString makeAvi(const QTemporaryDir &dir, const char *name, const QString &source, int frames,
                const QStringList &encoding = {QStringLiteral("-c:v"), QStringLiteral("mpeg4")})
{
    const QString path = dir.filePath(QString::fromLatin1(name));
    run(QStringLiteral("ffmpeg"), QStringList{QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-f"),
                                              QStringLiteral("lavfi"), QStringLiteral("-i"), source} +
                                      encoding +
                                      QStringList{QStringLiteral("-frames:v"), QString::number(frames), QStringLiteral("-y"), path});
    return path;
}

struct Probe {
    uint32_t frames = 0;
    QString rate; // "num/den"
};

// ffprobe decodes every frame of the first video stream and counts them.
Probe probe(const QString &path)
{
    const QStringList fields =
        run(QStringLiteral("ffprobe"), {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-count_frames"),
                                        QStringLiteral("-select_streams"), QStringLiteral("v:0"), QStringLiteral("-show_entries"),
                                        QStringLiteral("stream=nb_read_frames,r_frame_rate"), QStringLiteral("-of"),
                                        QStringLiteral("default=nw=1"), path})
            .split(QLatin1Char('\n'));
    Probe p;
    for (const QString &field : fields) {
        if (field.startsWith(QStringLiteral("nb_read_frames=")))
            p.frames = field.section(QLatin1Char('='), 1).toUInt();
        else if (field.startsWith(QStringLiteral("r_frame_rate=")))
            p.rate = field.section(QLatin1Char('='), 1);
    }
    return p;
}

struct VideoCase {
    const char *name;
    const char *rate;
    int frames;
    bool withAudio;
    uint32_t fpsX1000;
    const char *length;
};

void PrintTo(const VideoCase &c, std::ostream *os)
{
    *os << c.name;
}

class AviFromFfmpeg : public testing::TestWithParam<VideoCase> {};

TEST_P(AviFromFfmpeg, ReadsTheFrameCountAndRateFfprobeFinds)
{
    const VideoCase &c = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QStringList encoding{QStringLiteral("-c:v"), QStringLiteral("mpeg4")};
    if (c.withAudio)
        encoding = QStringList{QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                               QStringLiteral("sine=d=10"), QStringLiteral("-c:a"), QStringLiteral("pcm_s16le"),
                               QStringLiteral("-shortest")} + encoding;
    const QString path = makeAvi(dir, "video.avi", QStringLiteral("testsrc=size=64x48:rate=") + QLatin1String(c.rate),
                                 c.frames, encoding);
    const auto header = readAviHeader(path);
    ASSERT_TRUE(header.ok()) << header.error().message().toStdString();
    const Probe p = probe(path);
    EXPECT_EQ(header->totalFrames, p.frames);
    EXPECT_EQ(QStringLiteral("%1/%2").arg(header->rate).arg(header->scale), p.rate);
    EXPECT_EQ(aviFpsX1000(*header), c.fpsX1000);
    const auto length = aviLength(*header);
    ASSERT_TRUE(length.ok());
    EXPECT_EQ(core::formatTimeCode(*length), QLatin1String(c.length));
}

INSTANTIATE_TEST_SUITE_P(Rates, AviFromFfmpeg,
                         testing::Values(VideoCase{"Pal", "25", 100, false, 25000, "00:00:04,000"},
                                         VideoCase{"Ntsc", "30000/1001", 90, false, 29970, "00:00:03,003"},
                                         VideoCase{"PalWithSound", "25", 50, true, 25000, "00:00:02,000"}),
                         [](const testing::TestParamInfo<VideoCase> &info) { return std::string(info.param.name); });

// Over 1 GB ffmpeg goes on in a second RIFF (AVIX): the main header counts only the frames of the
// first, the OpenDML header all of them. Few huge frames of raw grey keep the writing short.
TEST(AviHeader, AnOpenDmlFileCountsTheFramesOfEveryRiff)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = makeAvi(dir, "large.avi", QStringLiteral("color=c=gray:size=4096x4096:rate=25"), 66,
                                 {QStringLiteral("-pix_fmt"), QStringLiteral("gray"), QStringLiteral("-c:v"),
                                  QStringLiteral("rawvideo")});
    ASSERT_GT(QFileInfo(path).size(), qint64(1) << 30);
    const auto header = readAviHeader(path);
    ASSERT_TRUE(header.ok()) << header.error().message().toStdString();
    EXPECT_EQ(header->totalFrames, probe(path).frames);
    EXPECT_EQ(header->totalFrames, 66u);
    QFile::remove(path);
}

QByteArray seed(const char *name)
{
    QFile f(test::dataPath(QStringLiteral("../../fuzz/corpus/avi_header_fuzz/") + QLatin1String(name)));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name;
    return f.readAll();
}

core::Result<AviHeader> parse(const QByteArray &bytes)
{
    return parseAviHeader({reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size())});
}

void putLe32(QByteArray &bytes, int offset, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = char((value >> (8 * i)) & 0xFF);
}

struct Damage {
    const char *name;
    std::function<void(QByteArray &)> apply;
    const char *why; // part of the error's text
};

void PrintTo(const Damage &c, std::ostream *os)
{
    *os << c.name;
}

class DamagedAviHeader : public testing::TestWithParam<Damage> {};

TEST_P(DamagedAviHeader, IsAnErrorSayingWhy)
{
    QByteArray bytes = seed("mpeg4_25");
    ASSERT_TRUE(parse(bytes).ok());
    GetParam().apply(bytes);
    const auto header = parse(bytes);
    ASSERT_FALSE(header.ok());
    EXPECT_TRUE(header.error().message().contains(QLatin1String(GetParam().why)))
        << header.error().message().toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Headers, DamagedAviHeader,
    testing::Values(Damage{"Empty", [](QByteArray &b) { b.clear(); }, "not an AVI"},
                    Damage{"CutInTheFormType", [](QByteArray &b) { b.truncate(10); }, "not an AVI"},
                    Damage{"NotAnAvi", [](QByteArray &b) { b.replace(8, 4, "WAVE"); }, "not an AVI"},
                    Damage{"CutInTheMainHeader", [](QByteArray &b) { b.truncate(40); }, "runs past the end"},
                    Damage{"CutInTheStreamHeader", [](QByteArray &b) { b.truncate(120); }, "runs past the end"},
                    Damage{"ListLongerThanTheFile", [](QByteArray &b) { putLe32(b, 16, 0xFFFFFFF0u); }, "runs past the end"},
                    Damage{"NoStreamList", [](QByteArray &b) { b.replace(96, 4, "strX"); }, "no stream header"},
                    Damage{"MainHeaderTooShort", [](QByteArray &b) { putLe32(b, 28, 8); }, "too short"},
                    Damage{"ScaleZero", [](QByteArray &b) { putLe32(b, 128, 0); }, "time scale is 0"}),
    [](const testing::TestParamInfo<Damage> &info) { return std::string(info.param.name); });

TEST(AviHeader, ReadsTheFixedPlacesOfTheUsualLayout)
{
    QByteArray bytes = seed("mpeg4_25");
    putLe32(bytes, 48, 90000);  // dwTotalFrames
    putLe32(bytes, 128, 1001);  // dwScale
    putLe32(bytes, 132, 30000); // dwRate
    bytes[11] = 'X';            // the fourth byte of the form type is not looked at
    const auto header = parse(bytes);
    ASSERT_TRUE(header.ok()) << header.error().message().toStdString();
    EXPECT_EQ(header->totalFrames, 90000u);
    EXPECT_EQ(aviFpsX1000(*header), 29970u);
}

TEST(AviHeader, LengthIsTheFrameCountAtTheRoundedRate)
{
    struct Row {
        AviHeader header;
        const char *length; // nullptr: an error
    };
    const Row rows[] = {
        {{90000, 1, 25}, "01:00:00,000"},
        {{90000, 1001, 30000}, "00:50:03,003"}, // at 29.970, not 29.97002997...
        {{0, 1, 25}, "00:00:00,000"},
        {{100, 1, 0}, nullptr},               // rate 0
        {{100, 1, 4294967295u}, nullptr},      // no usable rate x 1000
        {{4294967295u, 1, 25}, "47721:51:31,800"},
    };
    for (const Row &row : rows) {
        const auto length = aviLength(row.header);
        if (!row.length) {
            EXPECT_FALSE(length.ok()) << row.header.rate;
            continue;
        }
        ASSERT_TRUE(length.ok()) << length.error().message().toStdString();
        EXPECT_EQ(core::formatTimeCode(*length), QLatin1String(row.length));
    }
}

TEST(AviHeader, AMissingFileIsAnErrorNamingIt)
{
    QTemporaryDir dir;
    const auto header = readAviHeader(dir.filePath(QStringLiteral("none.avi")));
    ASSERT_FALSE(header.ok());
    EXPECT_TRUE(header.error().message().contains(QStringLiteral("none.avi")));
}

TEST(AviHeaderCorpus, EverySeedReads)
{
    const QDir corpus(test::dataPath(QStringLiteral("../../fuzz/corpus/avi_header_fuzz")));
    const QStringList seeds = corpus.entryList(QDir::Files);
    ASSERT_GE(seeds.size(), 4) << corpus.path().toStdString();
    for (const QString &name : seeds) {
        const auto header = parse(seed(name.toLatin1().constData()));
        ASSERT_TRUE(header.ok()) << name.toStdString() << ": " << header.error().message().toStdString();
        EXPECT_TRUE(aviLength(*header).ok()) << name.toStdString();
        if (name == QStringLiteral("opendml_3000_frames")) {
            EXPECT_EQ(header->totalFrames, 3000u);
        }
    }
}

} // namespace
} // namespace glyfex::subtitles
