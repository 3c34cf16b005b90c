// The VobSub index reader and its timing pre-scan: header lines in the spellings real files use,
// stream blocks matched exactly, delays and negative times, and errors that name their line.
#include "ripping/vobsub_index.h"

#include "support/qt_print.h"
#include "support/test_data.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>

extern "C" {
#include <libavformat/avformat.h>
}

using namespace glyfex::ripping;
using glyfex::test::dataPath;

namespace {

const QByteArray kHeader = "# VobSub index file, v7 (do not modify this line!)\r\n";
const QByteArray kPalette16 = "palette: ff0000, 00ff00, 0000ff, 000000, 000000, 000000, 000000, 000000, 000000, "
                              "000000, 000000, 000000, 000000, 000000, 000000, 101010\r\n";

TEST(VobSubIndexHeader, VersionFromTheCharacterAfterTheHeaderText)
{
    const struct {
        const char *firstLine;
        int version;
    } rows[] = {
        {"# VobSub index file, v7 (do not modify this line!)", 7},
        {"# VobSub index file, v10", 1},
        {"# VobSub index file, vX", 5},
        {"# VobSub index file, v", 5},
        {"\xEF\xBB\xBF# VobSub index file, v7", 7}, // a byte-order mark before the header
    };
    for (const auto &row : rows) {
        auto index = parseVobSubIndex(QByteArray(row.firstLine) + "\r\n");
        ASSERT_TRUE(index.ok()) << row.firstLine;
        EXPECT_EQ(index->version, row.version) << row.firstLine;
    }
    for (const char *bad : {"", "\r\n# VobSub index file, v7", "VobSub index v7", "# vobsub index file, v7"}) {
        auto index = parseVobSubIndex(QByteArray(bad), QStringLiteral("m.idx"));
        ASSERT_FALSE(index.ok()) << bad;
        EXPECT_EQ(index.error().what, QStringLiteral("Unrecognized file format."));
        EXPECT_EQ(index.error().where, QStringLiteral("m.idx, line 1"));
    }
}

TEST(VobSubIndexHeader, SizeInAnySpacingWithDefaultsForBadSides)
{
    const struct {
        const char *line;
        FrameSize size;
    } rows[] = {
        {"size: 720x576", {720, 576}},  {"size: 720 x 480", {720, 480}}, {"size:1920X1080", {1920, 1080}},
        {"size: abcx480", {720, 480}},  {"size: 704x", {704, 576}},      {"size: 0x-5", {720, 576}},
        {"size: 99999999x1", {720, 1}},
    };
    for (const auto &row : rows) {
        auto index = parseVobSubIndex(kHeader + row.line + "\n");
        ASSERT_TRUE(index.ok()) << row.line;
        EXPECT_EQ(index->frameSize, row.size) << row.line;
    }
    auto none = parseVobSubIndex(kHeader);
    ASSERT_TRUE(none.ok());
    EXPECT_EQ(none->frameSize, FrameSize{});
    EXPECT_FALSE(none->palette.has_value()) << "without a palette line the caller keeps its own";
}

TEST(VobSubIndexHeader, PaletteIsCommaSeparatedHexInAnySpacing)
{
    auto spaced = parseVobSubIndex(kHeader + kPalette16);
    QByteArray tight = kPalette16;
    tight.replace(", ", ",");
    auto packed = parseVobSubIndex(kHeader + tight);
    QByteArray loose = kPalette16;
    loose.replace(", ", " ,  ");
    auto wide = parseVobSubIndex(kHeader + loose + "");
    for (const auto *index : {&spaced, &packed, &wide}) {
        ASSERT_TRUE(index->ok());
        ASSERT_TRUE((*index)->palette.has_value());
        const DvdPalette &p = *(*index)->palette;
        EXPECT_EQ(p[0], 0x0000FFu) << "red is the low byte";
        EXPECT_EQ(p[1], 0x00FF00u);
        EXPECT_EQ(p[2], 0xFF0000u);
        EXPECT_EQ(p[15], 0x101010u);
    }
    const char *bad[] = {
        "palette: 000000, 00zz00, 000000, 000000, 000000, 000000, 000000, 000000, 000000, 000000, 000000, "
        "000000, 000000, 000000, 000000, 000000",
        "palette: 000000, 000000",
        "palette: 000000, 1000000, 000000, 000000, 000000, 000000, 000000, 000000, 000000, 000000, 000000, "
        "000000, 000000, 000000, 000000, 000000",
    };
    // A bad palette line costs the palette only: the rest of the index is read, the error names the line.
    for (const char *line : bad) {
        auto index = parseVobSubIndex(kHeader + "size: 720x576\n" + line + "\nid: en, index: 0\n", QStringLiteral("m.idx"));
        ASSERT_TRUE(index.ok()) << line;
        EXPECT_FALSE(index->palette.has_value()) << line;
        ASSERT_TRUE(index->paletteError.has_value()) << line;
        EXPECT_EQ(index->paletteError->where, QStringLiteral("m.idx, line 3"));
        EXPECT_EQ(index->frameSize.height, 576) << line;
        EXPECT_EQ(index->streamNames[0], QStringLiteral("English")) << line;
    }
}

TEST(VobSubIndexHeader, IdLinesNameStreamsByExactIndex)
{
    auto index = parseVobSubIndex(kHeader +
                                  "id: fr, index: 3\n"
                                  "id: --, index: 4\n"
                                  "id: en, index: 32\n"  // outside the table: ignored
                                  "id: de, index: -1\n"
                                  "id: it, index: 10\n"
                                  "id: lv, index: 10\n"); // a later line replaces the name
    ASSERT_TRUE(index.ok()) << index.error().message().toStdString();
    StreamNames expected;
    expected[3] = QStringLiteral("Francais");
    expected[4] = QStringLiteral("--");
    expected[10] = QStringLiteral("Latvian, Lettish");
    EXPECT_EQ(index->streamNames, expected);

    for (const char *line : {"id: en, index: x", "id: en", "id: en, index: 1 2"}) {
        auto bad = parseVobSubIndex(kHeader + "\n" + line + "\n", QStringLiteral("m.idx"));
        ASSERT_FALSE(bad.ok()) << line;
        EXPECT_EQ(bad.error().where, QStringLiteral("m.idx, line 3")) << line;
    }
}

struct PrescanCase {
    const char *name;
    const char *body;
    int stream;
    std::vector<std::pair<const char *, int64_t>> units; // start as rendered, file position
    bool negative;
};
void PrintTo(const PrescanCase &c, std::ostream *os) { *os << c.name; }

class VobSubPrescan : public ::testing::TestWithParam<PrescanCase> {};

TEST_P(VobSubPrescan, CollectsTheStreamsTimesAndPositions)
{
    auto timing = prescanVobSubTimes(kHeader + GetParam().body, GetParam().stream);
    ASSERT_TRUE(timing.ok()) << timing.error().message().toStdString();
    ASSERT_EQ(timing->units.size(), GetParam().units.size());
    for (size_t k = 0; k < timing->units.size(); ++k) {
        EXPECT_EQ(glyfex::core::formatTimeCode(timing->units[k].start), QString::fromLatin1(GetParam().units[k].first));
        EXPECT_EQ(timing->units[k].startMs, glyfex::core::timeCodeToMilliseconds(timing->units[k].start));
        EXPECT_EQ(timing->units[k].filePos, GetParam().units[k].second);
    }
    EXPECT_EQ(timing->negativeTimes, GetParam().negative);
}

INSTANTIATE_TEST_SUITE_P(
    Index, VobSubPrescan,
    ::testing::Values(
        PrescanCase{"OnlyTheChosenBlock",
                    "id: en, index: 0\ntimestamp: 00:00:01:000, filepos: 000000000\n"
                    "id: fr, index: 1\ntimestamp: 00:00:02:000, filepos: 000000800\n",
                    0, {{"00:00:01,000", 0}}, false},
        PrescanCase{"SecondBlock",
                    "id: en, index: 0\ntimestamp: 00:00:01:000, filepos: 000000000\n"
                    "id: fr, index: 1\ntimestamp: 00:00:02:000, filepos: 000000800\n",
                    1, {{"00:00:02,000", 0x800}}, false},
        PrescanCase{"StreamOneIsNotIndexTen",
                    "id: en, index: 10\ntimestamp: 00:00:09:000, filepos: 000000000\n"
                    "id: fr, index: 1\ntimestamp: 00:00:02:000, filepos: 000001000\n",
                    1, {{"00:00:02,000", 0x1000}}, false},
        PrescanCase{"PositiveDelay", "id: en, index: 0\ndelay: 00:00:02:000\ntimestamp: 00:00:01:000, filepos: 000000000\n",
                    0, {{"00:00:03,000", 0}}, false},
        PrescanCase{"NegativeDelay", "id: en, index: 0\ndelay: -00:00:01:000\ntimestamp: 00:00:05:000, filepos: 000000800\n",
                    0, {{"00:00:04,000", 0x800}}, false},
        PrescanCase{"DelaysAddUp",
                    "id: en, index: 0\ndelay: 00:00:01:000\ntimestamp: 00:00:01:000, filepos: 0\n"
                    "delay: 00:00:00:500\ntimestamp: 00:00:02:000, filepos: 1a800\n",
                    0, {{"00:00:02,000", 0}, {"00:00:03,500", 0x1a800}}, false},
        PrescanCase{"NegativeTimesStartAtTheDelay",
                    "id: en, index: 0\ntimestamp: -00:00:02:000, filepos: 000000000\n"
                    "timestamp: -00:00:01:000, filepos: 000000800\ntimestamp: 00:00:03:000, filepos: 000001000\n",
                    0, {{"00:00:00,000", 0}, {"00:00:01,000", 0x800}, {"00:00:05,000", 0x1000}}, true},
        PrescanCase{"FilePositionIsTheTokenAfterFilepos",
                    "id: en, index: 0\ntimestamp: 00:01:02:345, filepos:1A800 \r\ntimestamp: 01:00:00:000,filepos: 123456789abc\n",
                    0, {{"00:01:02,345", 0x1a800}, {"01:00:00,000", 0x123456789abcLL}}, false},
        PrescanCase{"StreamNotListed", "id: en, index: 0\ntimestamp: 00:00:01:000, filepos: 000000000\n", 5, {}, false},
        PrescanCase{"LinesBeforeTheBlockIgnored",
                    "timestamp: bad\ndelay: bad\nid: en, index: 0\n# comment\ntimestamp: 00:00:01:000, filepos: 0\n",
                    0, {{"00:00:01,000", 0}}, false}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(VobSubPrescanErrors, BadTimeDelayOrPositionNamesTheLine)
{
    const char *bad[] = {
        "timestamp: 00:00:xx:000, filepos: 000000000",
        "timestamp: , filepos: 000000000",
        "timestamp: 00:00:01:000, filepos: 00000zz00",
        "timestamp: 00:00:01:000",
        "timestamp: 00:00:01:000, filepos: -100",
        "delay: 00-00",
    };
    for (const char *line : bad) {
        auto timing = prescanVobSubTimes(kHeader + "id: en, index: 0\ntimestamp: 00:00:01:000, filepos: 0\n" + line + "\n",
                                         0, QStringLiteral("m.idx"));
        ASSERT_FALSE(timing.ok()) << line;
        EXPECT_EQ(timing.error().where, QStringLiteral("m.idx, line 4")) << line;
    }
}

TEST(VobSubIndexFile, OldVersionsTakeThePaletteOfTheIfoBeside)
{
    QTemporaryDir dir;
    const QByteArray ifo = QByteArray(reinterpret_cast<const char *>(
                                          glyfex::test::readBytes(dataPath("dvd-pal-sans/dvd/VIDEO_TS/VTS_01_0.IFO")).data()),
                                      12288);
    auto ifoPalette = parseIfoPalette(std::span(reinterpret_cast<const uint8_t *>(ifo.constData()), size_t(ifo.size())));
    ASSERT_TRUE(ifoPalette.ok());
    glyfex::test::writeBytes(dir.filePath("MOVIE.IFO"), ifo);

    const struct {
        const char *header;
        bool fromIfo;
    } rows[] = {{"# VobSub index file, v7", false}, {"# VobSub index file, v5", true}, {"# VobSub index file, v?", true}};
    for (const auto &row : rows) {
        glyfex::test::writeBytes(dir.filePath("movie.idx"), QByteArray(row.header) + "\n" + kPalette16);
        auto index = readVobSubIndex(dir.filePath("movie.idx"));
        ASSERT_TRUE(index.ok()) << row.header;
        EXPECT_EQ(index->paletteFromIfo, row.fromIfo) << row.header;
        EXPECT_EQ(*index->palette, row.fromIfo ? *ifoPalette : *parseVobSubIndex(kHeader + kPalette16)->palette);
    }
    // The IFO is found by the name the user opened, here the .sub; a broken IFO leaves the index's palette.
    glyfex::test::writeBytes(dir.filePath("other.idx"), QByteArray("# VobSub index file, v5\n") + kPalette16);
    glyfex::test::writeBytes(dir.filePath("other.ifo"), "not an ifo");
    auto viaSub = readVobSubIndex(dir.filePath("other.idx"), dir.filePath("movie.sub"));
    ASSERT_TRUE(viaSub.ok());
    EXPECT_TRUE(viaSub->paletteFromIfo);
    auto broken = readVobSubIndex(dir.filePath("other.idx"));
    ASSERT_TRUE(broken.ok());
    EXPECT_FALSE(broken->paletteFromIfo);

    auto missing = readVobSubIndex(dir.filePath("none.idx"));
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().what, QStringLiteral("Cannot open the VobSub index"));
}

// Times (ms) and positions of the first stream as libavformat's VobSub demuxer delivers them.
std::vector<std::pair<int64_t, int64_t>> avVobSubUnits(const QString &idx)
{
    std::vector<std::pair<int64_t, int64_t>> units;
    AVFormatContext *ctx = nullptr;
    if (avformat_open_input(&ctx, idx.toLocal8Bit().constData(), av_find_input_format("vobsub"), nullptr) < 0) {
        ADD_FAILURE() << "libavformat cannot open " << idx.toStdString();
        return units;
    }
    AVPacket *pkt = av_packet_alloc();
    while (av_read_frame(ctx, pkt) >= 0) {
        const AVStream *st = ctx->streams[pkt->stream_index];
        if (pkt->stream_index == 0)
            units.emplace_back(av_rescale_q(pkt->pts, st->time_base, AVRational{1, 1000}), pkt->pos);
        av_packet_unref(pkt);
    }
    av_packet_free(&pkt);
    avformat_close_input(&ctx);
    return units;
}

TEST(VobSubIndexFile, SameTimesAndPositionsAsLibavformat)
{
    for (const char *fixture : {"dvd-pal-sans/vobsub.idx", "dvd-pal-sans-outline/vobsub.idx"}) {
        const QString idx = dataPath(QString::fromLatin1(fixture));
        auto index = readVobSubIndex(idx);
        ASSERT_TRUE(index.ok()) << index.error().message().toStdString();
        EXPECT_EQ(index->streamNames[0], QStringLiteral("English"));
        EXPECT_EQ(index->frameSize, (FrameSize{720, 576}));
        auto timing = readVobSubTimes(idx, 0);
        ASSERT_TRUE(timing.ok()) << timing.error().message().toStdString();
        const auto expected = avVobSubUnits(idx);
        ASSERT_FALSE(expected.empty());
        ASSERT_EQ(timing->units.size(), expected.size()) << fixture;
        for (size_t k = 0; k < expected.size(); ++k) {
            EXPECT_EQ(timing->units[k].startMs, expected[k].first) << fixture << " unit " << k;
            EXPECT_EQ(timing->units[k].filePos, expected[k].second) << fixture << " unit " << k;
        }
    }
}

} // namespace
