// Tests of the sector parser: clock decoders, packet kinds, and bounds on every length taken from a sector.
#include "ripping/sector_parser.h"

#include "support/test_data.h"
#include "support/vob_builder.h"

#include <gtest/gtest.h>

#include <ostream>
#include <functional>

namespace glyfex::ripping {
namespace {

using test::navSector;
using test::spuSector;
using test::videoSector;

std::span<const uint8_t> bytesOf(const QByteArray &b)
{
    return {reinterpret_cast<const uint8_t *>(b.constData()), size_t(b.size())};
}

TEST(ClockDecoders, ScrAndPtsRoundTripThroughTheirEncodings)
{
    for (uint32_t v : {0u, 1u, 90000u, 0x12345678u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
        SCOPED_TRACE(v);
        EXPECT_EQ(parseSector(bytesOf(videoSector(v))).scr, v);
        EXPECT_EQ(parseSector(bytesOf(spuSector(0, 0x20, v, QByteArray(10, 'x')))).pts, v);
    }
}

TEST(ClockDecoders, MarkerBitsAreIgnoredAndBit32IsDropped)
{
    // Marker bits only: '01' and the three marker 1s of the SCR, the three marker 1s of the PTS.
    EXPECT_EQ(decodeScrBase(0x44000400u, 0x0401u), 0u);
    EXPECT_EQ(decodePesPts(0x21, 0x00, 0x01, 0x00, 0x01), 0u);
    // Every bit set: the 33-bit values keep their low 32 bits.
    EXPECT_EQ(decodeScrBase(0xFFFFFFFFu, 0xFFFFu), 0xFFFFFFFFu);
    EXPECT_EQ(decodePesPts(0xFF, 0xFF, 0xFF, 0xFF, 0xFF), 0xFFFFFFFFu);
}

TEST(ClockDecoders, AllThirtyThreeBitsOfTheClocks)
{
    // Past 2^32 ticks (13 h 15 min) the top bit counts; the 32-bit decoders above keep the low bits only.
    for (uint64_t v : {uint64_t(0x7FFFFFFF), uint64_t(0x80000384), uint64_t(0xFFFFFC7C), uint64_t(0x100000384),
                       uint64_t(0x1FFFFFFFF)}) {
        SCOPED_TRACE(v);
        const SectorInfo video = parseSector(bytesOf(videoSector(v)));
        EXPECT_EQ(video.scr, v);
        const SectorInfo spu = parseSector(bytesOf(spuSector(v, 0x20, v, QByteArray(10, 'x'))));
        EXPECT_EQ(spu.pts, v);
        EXPECT_TRUE(spu.ptsFlagged);
    }
    EXPECT_EQ(decodeScr33(0xFFFFFFFFu, 0xFFFFu), 0x1FFFFFFFFu);
    EXPECT_EQ(decodePts33(0xFF, 0xFF, 0xFF, 0xFF, 0xFF), 0x1FFFFFFFFu);
    EXPECT_FALSE(parseSector(bytesOf(spuSector(0, 0x20, std::nullopt, QByteArray(10, 'x')))).ptsFlagged);
}

struct SectorCase {
    const char *name;
    std::function<QByteArray()> make;
    SectorKind kind;
    bool packHeader;
    bool usable;
    PacketFault fault;
    bool paddingFollows;
    size_t payloadLength;
};
void PrintTo(const SectorCase &c, std::ostream *os) { *os << c.name; }

QByteArray withByte(QByteArray b, int at, uint8_t value)
{
    b[at] = char(value);
    return b;
}

const SectorCase kSectorCases[] = {
    {"video", [] { return videoSector(100); }, SectorKind::Other, true, false, PacketFault::None, false, 0},
    {"navigation", [] { return navSector(100, 0, 0, 1, 0x45); }, SectorKind::Navigation, true, false,
     PacketFault::None, false, 0},
    {"subpicture_with_padding", [] { return spuSector(100, 0x21, 900u, QByteArray(100, 'a')); },
     SectorKind::PrivateStream1, true, true, PacketFault::None, true, 100},
    {"subpicture_filling_the_sector",
     [] { return spuSector(100, 0x20, std::nullopt, QByteArray(test::spuPayloadRoom(false), 'a')); },
     SectorKind::PrivateStream1, true, true, PacketFault::None, false, size_t(test::spuPayloadRoom(false))},
    {"missing_pack_start_code", [] { return withByte(videoSector(100), 3, 0xB9); }, SectorKind::Other, false,
     false, PacketFault::None, false, 0},
    {"packet_length_past_the_sector",
     [] {
         QByteArray b = spuSector(100, 0x20, 900u, QByteArray(100, 'a'));
         b[18] = char(0x08); // 0x0800 bytes after the length field cannot fit in 2048
         b[19] = char(0x00);
         return b;
     },
     SectorKind::PrivateStream1, true, false, PacketFault::PayloadPastSector, false, 0},
    {"packet_length_shorter_than_its_header",
     [] {
         QByteArray b = spuSector(100, 0x20, 900u, QByteArray(100, 'a'));
         b[18] = 0;
         b[19] = char(0x03);
         return b;
     },
     SectorKind::PrivateStream1, true, false, PacketFault::LengthTooShort, false, 0},
    {"header_length_past_the_sector", [] { return withByte(spuSector(100, 0x20, 900u, QByteArray(10, 'a')), 22, 0xFF); },
     SectorKind::PrivateStream1, true, false, PacketFault::LengthTooShort, false, 0},
    {"truncated_before_the_substream_id", [] { return spuSector(100, 0x20, 900u, QByteArray(10, 'a')).left(27); },
     SectorKind::PrivateStream1, true, false, PacketFault::HeaderPastSector, false, 0},
    {"truncated_inside_the_payload", [] { return spuSector(100, 0x20, 900u, QByteArray(500, 'a')).left(300); },
     SectorKind::PrivateStream1, true, false, PacketFault::PayloadPastSector, false, 0},
    {"truncated_inside_the_pack_header", [] { return videoSector(100).left(9); }, SectorKind::Other, true,
     false, PacketFault::None, false, 0},
    {"empty", [] { return QByteArray(); }, SectorKind::Other, false, false, PacketFault::None, false, 0},
};

class SectorKinds : public testing::TestWithParam<SectorCase> {};

TEST_P(SectorKinds, ReadsKindAndBounds)
{
    const SectorCase &c = GetParam();
    const QByteArray bytes = c.make();
    const SectorInfo info = parseSector(bytesOf(bytes));
    EXPECT_EQ(info.kind, c.kind);
    EXPECT_EQ(info.packHeader, c.packHeader);
    EXPECT_EQ(info.packetUsable(), c.usable);
    EXPECT_EQ(info.fault, c.fault);
    EXPECT_EQ(info.paddingFollows, c.paddingFollows);
    if (c.usable) {
        EXPECT_EQ(info.payloadLength, c.payloadLength);
        EXPECT_LE(info.payloadStart + info.payloadLength, size_t(bytes.size()));
    }
}

INSTANTIATE_TEST_SUITE_P(, SectorKinds, testing::ValuesIn(kSectorCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(SectorParser, HeaderLengthMovesSubstreamIdAndPayload)
{
    QByteArray b = spuSector(0, 0x20, 900u, QByteArray(40, 'p'));
    // Without a PTS the header data length is 0: id at 23, payload at 24.
    const SectorInfo without = parseSector(bytesOf(spuSector(0, 0x25, std::nullopt, QByteArray(40, 'p'))));
    EXPECT_EQ(without.substreamId, 0x25);
    EXPECT_EQ(without.payloadStart, 24u);
    const SectorInfo with = parseSector(bytesOf(b));
    EXPECT_EQ(with.substreamId, 0x20);
    EXPECT_EQ(with.payloadStart, 29u);
    EXPECT_EQ(with.payloadLength, 40u);
    EXPECT_EQ(with.pts, 900u);
}

TEST(SectorParser, NavigationCellTimeNeedsItsBytes)
{
    const QByteArray nav = navSector(0, 0x01, 0x02, 0x03, 0x45);
    const SectorInfo full = parseSector(bytesOf(nav));
    ASSERT_TRUE(full.hasCellTime);
    EXPECT_EQ(full.cellTime.hour, 0x01);
    EXPECT_EQ(full.cellTime.frame, 0x45);
    EXPECT_FALSE(parseSector(bytesOf(nav.left(72))).hasCellTime);
    EXPECT_TRUE(parseSector(bytesOf(nav.left(73))).hasCellTime);
}

TEST(SectorParser, FixtureSectorsOfEveryKind)
{
    // The PAL fixture begins with a navigation pack, then video, then audio and subpicture packets.
    const auto vob = test::readBytes(test::dataPath("dvd-pal-sans/dvd/VIDEO_TS/VTS_01_1.VOB"));
    ASSERT_EQ(vob.size() % kSectorSize, 0u);
    int nav = 0, subpictures = 0, bad = 0;
    for (size_t at = 0; at < vob.size(); at += kSectorSize) {
        const SectorInfo info = parseSector(std::span(vob).subspan(at, kSectorSize));
        bad += !info.packHeader;
        nav += info.kind == SectorKind::Navigation && info.hasCellTime;
        if (info.packetUsable() && info.substreamId == 0x20)
            ++subpictures;
    }
    EXPECT_EQ(bad, 0);
    EXPECT_GT(nav, 10);
    EXPECT_GT(subpictures, 10);
    EXPECT_EQ(parseSector(std::span(vob).first(kSectorSize)).kind, SectorKind::Navigation);
}

} // namespace
} // namespace glyfex::ripping
