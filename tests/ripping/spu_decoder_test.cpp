// The subpicture decoder on hand-built units: command table, fields, runs, size limits, trimming and damaged units.
#include "ripping/spu_decoder.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

namespace glyfex::ripping {
namespace {

using Bytes = std::vector<uint8_t>;
using Rows = std::vector<std::vector<uint8_t>>;

// Writes 2-bit units high pair first; each line of a field starts on a byte boundary.
class BitWriter {
public:
    void put(uint32_t value, int bits)
    {
        for (int i = bits - 1; i >= 0; --i) {
            if (m_bit % 8 == 0)
                m_bytes.push_back(0);
            if (value >> i & 1)
                m_bytes.back() |= uint8_t(0x80 >> (m_bit % 8));
            ++m_bit;
        }
    }
    // One run as the shortest code that holds it.
    void run(int count, uint8_t code)
    {
        if (count < 4)
            put(uint32_t(count) << 2 | code, 4);
        else if (count < 16)
            put(uint32_t(count) << 2 | code, 8);
        else if (count < 64)
            put(uint32_t(count) << 2 | code, 12);
        else
            put(uint32_t(count) << 2 | code, 16);
    }
    void fillLine(uint8_t code) { put(code, 16); }
    void align() { m_bit = (m_bit + 7) / 8 * 8; }
    const Bytes &bytes() const { return m_bytes; }

private:
    Bytes m_bytes;
    size_t m_bit = 0;
};

// One field of a picture: rows parity, parity + 2, ... as runs of at most 255, each line aligned.
Bytes encodeField(const Rows &rows, size_t parity)
{
    BitWriter w;
    for (size_t y = parity; y < rows.size(); y += 2) {
        const auto &row = rows[y];
        for (size_t x = 0; x < row.size();) {
            size_t end = x;
            while (end < row.size() && row[end] == row[x] && end - x < 255)
                ++end;
            w.run(int(end - x), row[x]);
            x = end;
        }
        w.align();
    }
    return w.bytes();
}

Bytes be16(uint16_t v) { return {uint8_t(v >> 8), uint8_t(v)}; }

// Commands of a display control sequence.
Bytes forcedStart() { return {0x00}; }
Bytes start() { return {0x01}; }
Bytes stop() { return {0x02}; }
Bytes colour(uint16_t word) { return {0x03, uint8_t(word >> 8), uint8_t(word)}; }
Bytes contrast(uint16_t word) { return {0x04, uint8_t(word >> 8), uint8_t(word)}; }
Bytes area(int x1, int x2, int y1, int y2)
{
    return {0x05, uint8_t(x1 >> 4), uint8_t((x1 & 15) << 4 | x2 >> 8), uint8_t(x2),
            uint8_t(y1 >> 4), uint8_t((y1 & 15) << 4 | y2 >> 8), uint8_t(y2)};
}
Bytes offsets(uint16_t top, uint16_t bottom) { return {0x06, uint8_t(top >> 8), uint8_t(top), uint8_t(bottom >> 8), uint8_t(bottom)}; }
Bytes endOfCommands() { return {0xFF}; }

Bytes join(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const auto &p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

// Lays out a unit: size and control offset, top field, bottom field, then the sequences in order.
// Each sequence points to the next one and the last to itself unless `next` says otherwise.
struct UnitBuilder {
    struct Sequence {
        uint16_t delay = 0;
        Bytes commands;
        int next = -1; // -1: the following sequence, or itself for the last
    };
    Bytes top;
    Bytes bottom;
    std::vector<Sequence> sequences;

    void setPicture(const Rows &rows)
    {
        top = encodeField(rows, 0);
        bottom = encodeField(rows, 1);
    }
    uint16_t topOffset() const { return 4; }
    uint16_t bottomOffset() const { return uint16_t(4 + top.size()); }
    uint16_t controlOffset() const { return uint16_t(4 + top.size() + bottom.size()); }
    Bytes pixelOffsets() const { return offsets(topOffset(), bottomOffset()); }
    void add(uint16_t delay, Bytes commands, int next = -1) { sequences.push_back({delay, std::move(commands), next}); }

    Bytes build() const
    {
        Bytes unit = join({be16(0), be16(controlOffset()), top, bottom});
        std::vector<size_t> at;
        size_t pos = unit.size();
        for (const auto &s : sequences) {
            at.push_back(pos);
            pos += 4 + s.commands.size();
        }
        for (size_t i = 0; i < sequences.size(); ++i) {
            const auto &s = sequences[i];
            const size_t next = s.next >= 0 ? size_t(s.next) : (i + 1 < sequences.size() ? at[i + 1] : at[i]);
            unit.insert(unit.end(), {uint8_t(s.delay >> 8), uint8_t(s.delay), uint8_t(next >> 8), uint8_t(next)});
            unit.insert(unit.end(), s.commands.begin(), s.commands.end());
        }
        unit[0] = uint8_t(unit.size() >> 8);
        unit[1] = uint8_t(unit.size());
        return unit;
    }
};

Rows blankRows(int width, int height) { return Rows(size_t(height), std::vector<uint8_t>(size_t(width), 0)); }

// A 6 x 4 picture with a 4 x 2 block of code 1 at (1, 1), shown at (100, 200).
UnitBuilder smallUnit()
{
    Rows rows = blankRows(6, 4);
    for (int y = 1; y <= 2; ++y)
        for (int x = 1; x <= 4; ++x)
            rows[y][x] = 1;
    UnitBuilder u;
    u.setPicture(rows);
    u.add(0, join({start(), colour(0x3210), contrast(0xFFF0), area(100, 105, 200, 203), u.pixelOffsets(), endOfCommands()}));
    u.add(90, join({stop(), endOfCommands()}));
    return u;
}

picture::CodeImage image(const Rows &rows)
{
    picture::CodeImage img(rows.empty() ? 0 : int(rows[0].size()), int(rows.size()));
    for (size_t y = 0; y < rows.size(); ++y)
        std::copy(rows[y].begin(), rows[y].end(), img.row(int(y)));
    return img;
}

picture::DecodedPicture decode(const Bytes &unit, int frameHeight = 576, int frameWidth = 720)
{
    picture::DecodedPicture picture;
    decodeSubpicture(unit, frameWidth, frameHeight, picture);
    return picture;
}

TEST(SpuDecoder, DecodesSequencesTablesAndTrimmedPicture)
{
    const picture::DecodedPicture p = decode(smallUnit().build());
    ASSERT_EQ(p.sequences.size(), 2u);
    EXPECT_EQ(p.sequences[0].state, picture::SpuControlSequence::DisplayStart);
    EXPECT_EQ(p.sequences[1].state, picture::SpuControlSequence::DisplayStop);
    EXPECT_EQ(p.sequences[1].delayMs, 90u * 1024u / 90u);
    EXPECT_FALSE(p.forced);
    EXPECT_EQ(p.width, 6);
    EXPECT_EQ(p.height, 4);
    EXPECT_EQ(p.colourMap, (std::array<uint8_t, 4>{0, 1, 2, 3}));
    EXPECT_EQ(p.contrastMap, (std::array<uint8_t, 4>{0, 15, 15, 15}));
    EXPECT_EQ(p.colourCandidates, (std::array<uint8_t, 4>{0, 2, 2, 2}));
    EXPECT_EQ(p.codes, image(Rows(2, std::vector<uint8_t>(4, 1))));
    const auto &s = p.first();
    EXPECT_EQ((std::array{s.x1, s.y1, s.x2, s.y2}), (std::array{101, 201, 104, 202}));
}

TEST(SpuDecoder, DelayIsConvertedToMillisecondsAndForcedComesFromAnySequence)
{
    UnitBuilder u = smallUnit();
    u.sequences[1].commands = join({forcedStart(), endOfCommands()});
    u.sequences[1].delay = 1000;
    const picture::DecodedPicture p = decode(u.build());
    EXPECT_TRUE(p.forced);
    EXPECT_EQ(p.sequences[1].state, picture::SpuControlSequence::DisplayStart);
    EXPECT_EQ(p.sequences[1].delayMs, 11377u); // 1000 x 1024 / 90, rounded down
}

TEST(SpuDecoder, LaterSequencesInheritColourAreaAndOffsetsButNotContrast)
{
    UnitBuilder u = smallUnit();
    u.sequences[0].commands = join({start(), colour(0x1234), contrast(0x5678), area(1, 6, 1, 4), u.pixelOffsets(), endOfCommands()});
    const picture::DecodedPicture p = decode(u.build());
    const auto &second = p.sequences[1];
    EXPECT_EQ(second.colour, 0x1234);
    EXPECT_EQ(second.contrast, 0xFFF0);
    EXPECT_EQ((std::array{second.x1, second.x2, second.y1, second.y2}), (std::array{1, 6, 1, 4}));
    EXPECT_EQ(second.topOffset, u.topOffset());
    EXPECT_EQ(second.bottomOffset, u.bottomOffset());
}

TEST(SpuDecoder, FieldsInterleaveAndOddHeightsKeepTheirLastRow)
{
    // 3 rows: row 0 and 2 from the top field, row 1 from the bottom field; every code once.
    const Rows rows{{1, 1, 2, 2}, {3, 3, 3, 3}, {2, 1, 3, 1}};
    UnitBuilder u;
    u.setPicture(rows);
    u.add(0, join({colour(0x3210), contrast(0xFFFF), area(0, 3, 0, 2), u.pixelOffsets(), endOfCommands()}));
    const picture::DecodedPicture p = decode(u.build());
    EXPECT_EQ(p.codes, image(rows));
}

// Run codes of the top field, written by hand; the bottom field is background and every code visible.
struct RunCase {
    const char *name;
    void (*write)(BitWriter &top);
    Rows expected;
};
void PrintTo(const RunCase &c, std::ostream *os) { *os << c.name; }

Rows rowsWith(int width, int height, std::initializer_list<std::pair<int, std::vector<uint8_t>>> rows)
{
    Rows all = blankRows(width, height);
    for (const auto &[y, start] : rows)
        std::copy(start.begin(), start.end(), all[size_t(y)].begin());
    return all;
}

class SpuDecoderRuns : public ::testing::TestWithParam<RunCase> {};

TEST_P(SpuDecoderRuns, DecodeAsWritten)
{
    const RunCase &c = GetParam();
    const int width = int(c.expected[0].size());
    const int height = int(c.expected.size());
    UnitBuilder u;
    BitWriter top;
    c.write(top);
    u.top = top.bytes();
    u.bottom = encodeField(blankRows(width, height), 1);
    u.add(0, join({contrast(0xFFFF), area(0, width - 1, 0, height - 1), u.pixelOffsets(), endOfCommands()}));
    EXPECT_EQ(decode(u.build()).codes, image(c.expected));
}

INSTANTIATE_TEST_SUITE_P(, SpuDecoderRuns, ::testing::Values(
    RunCase{"FourteenZeroBitsFillTheLineAndTheNextLineStartsOnTheNextByte",
            [](BitWriter &top) {
                top.run(3, 1);   // 4 bits
                top.fillLine(2); // 16 bits, ends mid-byte
                top.align();
                top.run(2, 3);   // the next line, from the next byte
                top.fillLine(0);
                top.align();
            },
            rowsWith(10, 4, {{0, {1, 1, 1, 2, 2, 2, 2, 2, 2, 2}}, {2, {3, 3}}})},
    RunCase{"ARunPastTheLineEndIsCutThere",
            [](BitWriter &top) {
                top.run(2, 1);
                top.run(40, 2);  // only 4 pixels are left on this line
                top.align();
                top.run(6, 3);
                top.align();
            },
            rowsWith(6, 4, {{0, {1, 1, 2, 2, 2, 2}}, {2, {3, 3, 3, 3, 3, 3}}})},
    RunCase{"ASixteenBitCodeWithASmallCountIsStillOneSixteenBitCode",
            [](BitWriter &top) {
                top.put(20u << 2 | 1, 16); // 0000 0000 0101 0001: count 20, code 1, written long
                top.run(4, 2);             // must be read after it
                top.align();
            },
            rowsWith(24, 2, {{0, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 2, 2, 2}}})},
    RunCase{"ALineTheDataLeavesUnfinishedEndsInBackground",
            [](BitWriter &top) {
                // Short runs, then the data ends 10 pixels into the line.
                for (const auto &[count, code] : std::vector<std::pair<int, uint8_t>>{{2, 1}, {1, 2}, {3, 1}, {1, 3}, {2, 1}, {1, 2}})
                    top.run(count, code);
                top.align();
            },
            rowsWith(40, 2, {{0, {1, 1, 2, 1, 1, 1, 3, 1, 1, 2}}})}),
    [](const auto &info) { return std::string(info.param.name); });

// Picture size limits: each side to the frame's, the width never below a DVD line.
struct SizeCase {
    const char *name;
    int x1, x2, y1, y2;
    int frameWidth, frameHeight;
    int width, height;
};
void PrintTo(const SizeCase &c, std::ostream *os) { *os << c.name; }

class SpuDecoderSize : public ::testing::TestWithParam<SizeCase> {};

TEST_P(SpuDecoderSize, LimitsThePicture)
{
    const SizeCase &c = GetParam();
    UnitBuilder u;
    u.setPicture(blankRows(4, 4));
    // Contrast 0xFFFF keeps code 0 visible so no trimming hides the decoded size.
    u.add(0, join({contrast(0xFFFF), area(c.x1, c.x2, c.y1, c.y2), u.pixelOffsets(), endOfCommands()}));
    const picture::DecodedPicture p = decode(u.build(), c.frameHeight, c.frameWidth);
    EXPECT_EQ(p.width, c.width);
    EXPECT_EQ(p.height, c.height);
    EXPECT_EQ(p.codes.width, c.width);
    EXPECT_EQ(p.codes.height, c.height);
    EXPECT_EQ(p.first().x2, p.first().x1 + c.width - 1);
    EXPECT_EQ(p.first().y2, p.first().y1 + c.height - 1);
}

INSTANTIATE_TEST_SUITE_P(, SpuDecoderSize, ::testing::Values(
    SizeCase{"Area800WideIsDecoded720Wide", 0, 799, 0, 9, 720, 576, 720, 10},
    SizeCase{"X2OneLessThanX1GivesWidth1", 50, 49, 0, 9, 720, 576, 1, 10},
    SizeCase{"Y2OneLessThanY1GivesHeight1", 0, 9, 30, 29, 720, 576, 10, 1},
    SizeCase{"Frame480CutsA500RowArea", 0, 9, 0, 499, 720, 480, 10, 480},
    SizeCase{"FrameHeight0Means576", 0, 9, 0, 599, 720, 0, 10, 576},
    SizeCase{"AreaInsideTheFrameIsKept", 10, 729, 20, 499, 720, 576, 720, 480},
    SizeCase{"HdFrameKeepsAnArea915Wide", 500, 1414, 900, 1019, 1920, 1080, 915, 120},
    SizeCase{"HdFrameCutsAt1920", 0, 1999, 0, 9, 1920, 1080, 1920, 10},
    SizeCase{"FrameWidth0Means720", 0, 999, 0, 9, 0, 576, 720, 10},
    SizeCase{"NarrowTitleSetVideoStillDecodes720", 0, 799, 0, 9, 352, 576, 720, 10},
    SizeCase{"WidestAreaOfAnyFrame", 0, 4095, 0, 9, 8192, 576, 4096, 10}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(SpuDecoder, ASequenceWithoutContrastMakesCode0TransparentAndTrimsIt)
{
    UnitBuilder u = smallUnit();
    u.sequences[0].commands = join({start(), colour(0x3210), area(100, 105, 200, 203), u.pixelOffsets(), endOfCommands()});
    const picture::DecodedPicture p = decode(u.build());
    EXPECT_EQ(p.first().contrast, 0xFFF0);
    EXPECT_EQ(p.colourCandidates, (std::array<uint8_t, 4>{0, 2, 2, 2}));
    EXPECT_EQ(p.codes.width, 4);
    EXPECT_EQ(p.codes.height, 2);
}

TEST(SpuDecoder, ASelfPointingSequenceIsTheOnlyOne)
{
    UnitBuilder u = smallUnit();
    u.sequences.pop_back();
    EXPECT_EQ(decode(u.build()).sequences.size(), 1u);
}

TEST(SpuDecoder, TwoTransparentCodesCropTwiceAndTheAreaMovesByBoth)
{
    // Code 3 frames a block of 1 inside a margin of 0; both 0 and 3 are transparent.
    Rows rows = blankRows(10, 8);
    for (int y = 1; y <= 6; ++y)
        for (int x = 2; x <= 8; ++x)
            rows[y][x] = (y >= 3 && y <= 4 && x >= 4 && x <= 6) ? 1 : 3;
    UnitBuilder u;
    u.setPicture(rows);
    u.add(0, join({contrast(0x0FF0), area(100, 109, 50, 57), u.pixelOffsets(), endOfCommands()}));
    const picture::DecodedPicture p = decode(u.build());
    EXPECT_EQ(p.colourCandidates, (std::array<uint8_t, 4>{0, 2, 2, 0}));
    EXPECT_EQ(p.codes, image(Rows(2, std::vector<uint8_t>(3, 1))));
    const auto &s = p.first();
    EXPECT_EQ((std::array{s.x1, s.y1, s.x2, s.y2}), (std::array{104, 53, 106, 54}));
}

TEST(SpuDecoder, AnAllTransparentPictureIsNotCroppedAndKeepsItsPlace)
{
    UnitBuilder u;
    u.setPicture(blankRows(8, 4));
    u.add(0, join({contrast(0xFFF0), area(30, 37, 40, 43), u.pixelOffsets(), endOfCommands()}));
    const picture::DecodedPicture p = decode(u.build());
    EXPECT_EQ(p.codes, image(blankRows(8, 4)));
    const auto &s = p.first();
    EXPECT_EQ((std::array{s.x1, s.y1, s.x2, s.y2}), (std::array{30, 40, 37, 43}));
}

TEST(SpuDecoder, ColourChangeFlagsCompareWithThePreviousUnit)
{
    picture::DecodedPicture p;
    const Bytes unit = smallUnit().build();
    decodeSubpicture(unit, 720, 576, p);
    EXPECT_EQ(p.colourChanged, (std::array{true, true})); // a run starts from zero words
    decodeSubpicture(unit, 720, 576, p);
    EXPECT_EQ(p.colourChanged, (std::array{false, false}));
    UnitBuilder other = smallUnit();
    other.sequences[0].commands = join({start(), colour(0x3210), contrast(0xF0F0), area(100, 105, 200, 203), other.pixelOffsets(), endOfCommands()});
    decodeSubpicture(other.build(), 720, 576, p);
    EXPECT_EQ(p.colourChanged, (std::array{false, true}));
    EXPECT_EQ(p.colourWordPrev, (std::array<uint16_t, 2>{0x3210, 0xF0F0}));
}

// Damaged units: each must give a bounded picture, read nothing outside the unit and report nothing.
struct DamagedCase {
    const char *name;
    Bytes (*make)();
    size_t sequences;
    int width, height;  // decoded size before trimming
    bool whole;         // header, announced bytes and every sequence's commands all there
};
void PrintTo(const DamagedCase &c, std::ostream *os) { *os << c.name; }

Bytes nextOffsetBackwards()
{
    UnitBuilder u = smallUnit();
    u.sequences[1].next = 4; // back into the pixel data
    u.add(200, join({start(), endOfCommands()}));
    return u.build();
}

Bytes chainLongerThanTheTable()
{
    UnitBuilder u = smallUnit();
    for (int i = 0; i < 5000; ++i)
        u.add(uint16_t(i), endOfCommands());
    return u.build();
}

Bytes gatheredFewerBytesThanTheSizeSays()
{
    const UnitBuilder u = smallUnit();
    Bytes unit = u.build();
    unit.resize(u.controlOffset() - 2); // the control sequences and the end of the pixels are lost
    return unit;
}

Bytes gatheredEndCutsTheCommands()
{
    Bytes unit = smallUnit().build();
    unit.resize(unit.size() - 12); // the pixel offsets and the second sequence are lost
    return unit;
}

Bytes shorterThanItsHeader()
{
    return {0x00, 0x40, 0x00};
}

Bytes topFieldStartsAfterItsEnd()
{
    UnitBuilder u = smallUnit();
    u.sequences[0].commands = join({start(), contrast(0xFFF0), area(0, 5, 0, 3), offsets(u.bottomOffset(), u.topOffset()), endOfCommands()});
    return u.build();
}

Bytes pixelOffsetsPastTheUnit()
{
    UnitBuilder u = smallUnit();
    u.sequences[0].commands = join({start(), contrast(0xFFF0), area(0, 5, 0, 3), offsets(0xFFF0, 0xFFF8), endOfCommands()});
    return u.build();
}

Bytes firstSequenceWithoutAreaColourOrOffsets()
{
    UnitBuilder u = smallUnit();
    u.sequences[0].commands = join({start(), endOfCommands()});
    return u.build();
}

Bytes areaCommandCutByTheUnitEnd()
{
    UnitBuilder u = smallUnit();
    u.sequences.pop_back();
    u.sequences[0].commands = join({start(), u.pixelOffsets(), {0x05, 0x00, 0x10}});
    return u.build();
}

Bytes changeListShorterThanItsLength()
{
    UnitBuilder u = smallUnit();
    u.sequences.pop_back();
    u.sequences[0].commands = join({area(0, 5, 0, 3), u.pixelOffsets(), {0x07, 0x00, 0x01}, stop(), endOfCommands()});
    return u.build();
}

Bytes changeListPastTheUnitEnd()
{
    UnitBuilder u = smallUnit();
    u.sequences.pop_back();
    u.sequences[0].commands = join({area(0, 5, 0, 3), u.pixelOffsets(), {0x07, 0x40, 0x00}, stop(), endOfCommands()});
    return u.build();
}

Bytes moreLinesThanTheArea()
{
    UnitBuilder u;
    u.setPicture(Rows(8, std::vector<uint8_t>(6, 2)));
    u.add(0, join({contrast(0xFFFF), area(0, 5, 0, 2), u.pixelOffsets(), endOfCommands()}));
    return u.build();
}

Bytes unknownCommandBytes()
{
    UnitBuilder u = smallUnit();
    u.sequences[1].commands = join({{0x08, 0x42, 0x99}, stop(), endOfCommands()});
    return u.build();
}

Bytes sizeFieldZero()
{
    Bytes unit = smallUnit().build();
    unit[0] = 0;
    unit[1] = 0;
    return unit;
}

// All 65,535 bytes a size field can announce, with the one sequence at the very end cut inside its
// display-area command.
Bytes largestUnitEndsInsideACommand()
{
    Bytes unit(0xFFFF, 0);
    const size_t control = unit.size() - 7;
    unit[0] = 0xFF;
    unit[1] = 0xFF;
    unit[2] = uint8_t(control >> 8);
    unit[3] = uint8_t(control);
    const Bytes sequence = {0x00, 0x00, uint8_t(control >> 8), uint8_t(control), 0x05, 0x00, 0x10};
    std::copy(sequence.begin(), sequence.end(), unit.begin() + std::ptrdiff_t(control));
    return unit;
}

class SpuDecoderDamaged : public ::testing::TestWithParam<DamagedCase> {};

TEST_P(SpuDecoderDamaged, GivesABoundedPicture)
{
    const DamagedCase &c = GetParam();
    const Bytes unit = c.make();
    // The exact bytes in a buffer of their own, so the sanitizer sees any read past them.
    const std::unique_ptr<uint8_t[]> exact(new uint8_t[unit.size() + 1]);
    std::copy(unit.begin(), unit.end(), exact.get());
    picture::DecodedPicture p;
    EXPECT_EQ(decodeSubpicture(std::span<const uint8_t>(exact.get(), unit.size()), 720, 576, p), c.whole);
    EXPECT_EQ(p.sequences.size(), c.sequences);
    EXPECT_EQ(p.width, c.width);
    EXPECT_EQ(p.height, c.height);
    EXPECT_LE(p.codes.width, c.width);
    EXPECT_LE(p.codes.height, c.height);
    EXPECT_EQ(p.codes.bytes.size(), size_t(p.codes.width) * size_t(p.codes.height));
}

INSTANTIATE_TEST_SUITE_P(, SpuDecoderDamaged, ::testing::Values(
    DamagedCase{"NextOffsetBackwards", nextOffsetBackwards, 2, 6, 4, true},
    DamagedCase{"ChainLongerThanTheTable", chainLongerThanTheTable, 4096, 6, 4, true},
    DamagedCase{"GatheredFewerBytesThanTheSizeSays", gatheredFewerBytesThanTheSizeSays, 1, 1, 1, false},
    DamagedCase{"GatheredEndCutsTheCommands", gatheredEndCutsTheCommands, 1, 6, 4, false},
    DamagedCase{"ShorterThanItsHeader", shorterThanItsHeader, 1, 1, 1, false},
    DamagedCase{"TopFieldStartsAfterItsEnd", topFieldStartsAfterItsEnd, 2, 6, 4, true},
    DamagedCase{"PixelOffsetsPastTheUnit", pixelOffsetsPastTheUnit, 2, 6, 4, false},
    DamagedCase{"FirstSequenceWithoutAreaColourOrOffsets", firstSequenceWithoutAreaColourOrOffsets, 2, 1, 1, false},
    DamagedCase{"AreaCommandCutByTheUnitEnd", areaCommandCutByTheUnitEnd, 1, 1, 1, false},
    DamagedCase{"ChangeListShorterThanItsLength", changeListShorterThanItsLength, 1, 6, 4, false},
    DamagedCase{"ChangeListPastTheUnitEnd", changeListPastTheUnitEnd, 1, 6, 4, false},
    DamagedCase{"MoreLinesThanTheArea", moreLinesThanTheArea, 1, 6, 3, true},
    DamagedCase{"UnknownCommandBytes", unknownCommandBytes, 2, 6, 4, true},
    DamagedCase{"SizeFieldZero", sizeFieldZero, 1, 1, 1, false},
    DamagedCase{"LargestUnitEndsInsideACommand", largestUnitEndsInsideACommand, 1, 1, 1, false}),
    [](const auto &info) { return std::string(info.param.name); });

// What the damaged units above must give beyond staying bounded.
TEST(SpuDecoderDamagedDetails, FirstSequenceLacksFieldsAsZero)
{
    const picture::DecodedPicture p = decode(firstSequenceWithoutAreaColourOrOffsets());
    const auto &s = p.sequences[0];
    EXPECT_EQ(s.colour, 0);
    EXPECT_EQ((std::array{s.topOffset, s.bottomOffset}), (std::array<uint16_t, 2>{0, 0}));
    EXPECT_EQ(p.colourMap, (std::array<uint8_t, 4>{0, 0, 0, 0}));
}

TEST(SpuDecoderDamagedDetails, ACutCommandIsNotApplied)
{
    EXPECT_EQ(decode(areaCommandCutByTheUnitEnd()).sequences[0].x2, 0);
    // The stop after a broken change list is never reached.
    EXPECT_EQ(decode(changeListShorterThanItsLength()).sequences[0].state, picture::SpuControlSequence::DisplayStart);
    EXPECT_EQ(decode(unknownCommandBytes()).sequences[1].state, picture::SpuControlSequence::DisplayStop);
}

TEST(SpuDecoderDamagedDetails, AFieldThatCannotBeReadStaysBackground)
{
    // The top field lies "after" its end, so rows 0 and 2 stay background; the bottom field reads
    // from the top field's data on, which puts the block's one top-field row into row 3. A single text
    // row is no text to crop to.
    const picture::DecodedPicture p = decode(topFieldStartsAfterItsEnd());
    Rows expected = blankRows(6, 4);
    std::fill(expected[3].begin() + 1, expected[3].begin() + 5, 1);
    EXPECT_EQ(p.codes, image(expected));
}

TEST(SpuDecoderDamagedDetails, LinesBeyondTheAreaDoNotOverwriteItsLastRows)
{
    // The data holds 8 rows but the area only 3 or 4: the rows the area has keep their codes, and the
    // rows it lacks (different codes here) are dropped rather than drawn over its last row of a field.
    Rows rows(8, std::vector<uint8_t>(6, 2));
    for (size_t y = 4; y < rows.size(); ++y)
        rows[y] = std::vector<uint8_t>(6, uint8_t(y % 2 ? 3 : 1));
    for (int height : {3, 4}) {
        SCOPED_TRACE(height);
        UnitBuilder u;
        u.setPicture(rows);
        u.add(0, join({contrast(0xFFFF), area(0, 5, 0, height - 1), u.pixelOffsets(), endOfCommands()}));
        const picture::DecodedPicture p = decode(u.build());
        EXPECT_EQ(p.codes, image(Rows(size_t(height), std::vector<uint8_t>(6, 2))));
    }
}

} // namespace
} // namespace glyfex::ripping
