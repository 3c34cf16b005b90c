// Tests of the subtitle map: building rules, following, the file form, and damaged or outdated map files.
#include "ripping/subtitle_map.h"

#include "support/test_data.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>

namespace glyfex::ripping {
namespace {

std::vector<MapLine> linesOf(const SubtitleMap &m)
{
    return {m.lines().begin(), m.lines().end()};
}

std::span<const uint8_t> spanOf(const QByteArray &b)
{
    return {reinterpret_cast<const uint8_t *>(b.constData()), size_t(b.size())};
}

QByteArray utf16File(const QString &text)
{
    QByteArray out("\xFF\xFE", 2);
    out.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    return out;
}

TEST(SubtitleMapBuild, ClockBreakReplacesTheLinesOfTheTwoSectorsBefore)
{
    SubtitleMap m;
    m.noteNavigation(0);
    m.noteClockBreak(1); // only two sectors so far: both become clock lines
    m.noteSubstream(0x20, 497);
    m.noteSubstream(0x20, 499);
    m.noteClockBreak(500);
    m.noteNavigation(500); // the sector already has its clock line
    EXPECT_EQ(linesOf(m), (std::vector<MapLine>{{1, 0}, {1, 1}, {32, 497}, {1, 498}, {1, 499}, {1, 500}}));
}

TEST(SubtitleMapBuild, ClockBreakRemovesLinesOfBothSectorsBefore)
{
    SubtitleMap m;
    m.noteSubstream(0x21, 10);
    m.noteNavigation(11);
    m.noteClockBreak(12);
    EXPECT_EQ(linesOf(m), (std::vector<MapLine>{{1, 0}, {1, 10}, {1, 11}, {1, 12}}));
}

TEST(SubtitleMapBuild, OneLinePerSectorAndLastSectorsBecomeClockLines)
{
    SubtitleMap m;
    m.noteNavigation(3);
    m.noteSubstream(0x20, 3);  // a sector has at most one line
    m.noteSubstream(0x40, 4);  // not a subpicture stream
    m.noteSubstream(0x3F, 5);
    m.noteSubstream(0x21, 8);
    m.noteLastSector(8);
    m.noteLastSector(9);
    EXPECT_EQ(linesOf(m), (std::vector<MapLine>{{1, 0}, {0, 3}, {63, 5}, {1, 8}, {1, 9}}));
}

// The file's first sector sets the time base of a run that begins with the file: the map always begins
// with it, as a line every pass reads whichever stream it follows.
TEST(SubtitleMapBuild, TheMapBeginsWithTheFirstSector)
{
    struct Case {
        const char *name;
        std::function<void(SubtitleMap &)> build;
        std::vector<MapLine> lines;
    };
    const Case cases[] = {
        {"navigation pack", [](SubtitleMap &m) { m.noteNavigation(0); }, {{0, 0}}},
        {"subpicture packet", [](SubtitleMap &m) { m.noteSubstream(0x21, 0); }, {{1, 0}}},
        {"nothing noted there", [](SubtitleMap &m) { m.noteSubstream(0x20, 7); }, {{1, 0}, {32, 7}}},
        {"clock break there", [](SubtitleMap &m) { m.noteClockBreak(0); }, {{1, 0}}},
        {"only sector", [](SubtitleMap &m) { m.noteLastSector(0); }, {{1, 0}}},
        {"last sectors only", [](SubtitleMap &m) { m.noteLastSector(4); m.noteLastSector(5); }, {{1, 0}, {1, 4}, {1, 5}}},
    };
    for (const Case &c : cases) {
        SubtitleMap m;
        c.build(m);
        EXPECT_EQ(linesOf(m), c.lines) << c.name;
    }
}

TEST(SubtitleMapFollow, KeepsNavigationClockAndTheChosenStream)
{
    SubtitleMap m;
    m.noteSubstream(0x20, 1);
    m.noteNavigation(2);
    m.noteSubstream(0x20, 3);
    m.noteSubstream(0x21, 4);
    m.noteLastSector(5);
    m.skipUnwanted(0x21);
    EXPECT_EQ(m.firstOffset(), 0);
    std::vector<uint32_t> visited;
    while (!m.isEmpty()) {
        visited.push_back(uint32_t(m.firstOffset() / 2048));
        m.dropFirst();
        m.skipUnwanted(0x21);
    }
    EXPECT_EQ(visited, (std::vector<uint32_t>{0, 2, 4, 5}));
    EXPECT_EQ(m.firstOffset(), -1);
}

TEST(SubtitleMapFile, WritesUtf16WithMarkAndCrLf)
{
    SubtitleMap m;
    m.noteNavigation(0);
    m.noteSubstream(0x20, 12345678);
    EXPECT_EQ(m.toFileBytes(), utf16File(QStringLiteral("00 00000000\r\n32 12345678\r\n")));
}

TEST(SubtitleMapFile, SaveAndLoadRoundTrip)
{
    QTemporaryDir dir;
    SubtitleMap m;
    m.noteNavigation(0);
    m.noteSubstream(0x21, 7);
    m.noteLastSector(8);
    m.noteLastSector(9);
    const QString path = dir.filePath(QStringLiteral("VTS_01_1.gxm"));
    ASSERT_TRUE(m.save(path).ok());
    auto back = SubtitleMap::load(path, 10 * 2048);
    ASSERT_TRUE(back.ok()) << back.error().message().toStdString();
    EXPECT_EQ(*back, m);
    // A partial last sector is still a sector of its own.
    EXPECT_TRUE(SubtitleMap::load(path, 9 * 2048 + 1).ok());
}

TEST(SubtitleMapFile, ReadsOtherTextEncodings)
{
    for (const QByteArray &bytes : {QByteArray("00 00000000\n01 00000001\n"), QByteArray("\xEF\xBB\xBF" "00 00000000\r\n", 16)}) {
        auto m = SubtitleMap::fromFileBytes(spanOf(bytes), QStringLiteral("m"));
        ASSERT_TRUE(m.ok()) << m.error().message().toStdString();
        EXPECT_EQ(m->lines().front(), (MapLine{0, 0}));
    }
}

struct DamagedMap {
    const char *name;
    const char *text;
    int badLine;
};
void PrintTo(const DamagedMap &c, std::ostream *os) { *os << c.name; }

const DamagedMap kDamagedMaps[] = {
    {"type_not_a_number", "00 00000000\r\nx2 00000001\r\n", 2},
    {"sector_not_a_number", "00 0000000a\r\n", 1},
    {"short_line", "00 00000000\r\n32 0001\r\n01 00000009\r\n", 2},
    {"no_blank", "00-00000000\r\n", 1},
    {"empty_line_inside", "00 00000000\r\n\r\n01 00000009\r\n", 2},
    {"sectors_fall_back", "00 00000005\r\n32 00000004\r\n", 2},
    {"sector_repeated", "00 00000005\r\n32 00000005\r\n", 2},
    {"negative_sector", "00 -0000005\r\n", 1},
};

class DamagedMapFiles : public testing::TestWithParam<DamagedMap> {};

TEST_P(DamagedMapFiles, AreRejectedNamingTheLine)
{
    const auto &c = GetParam();
    auto m = SubtitleMap::fromFileBytes(spanOf(utf16File(QString::fromLatin1(c.text))), QStringLiteral("a.gxm"));
    ASSERT_FALSE(m.ok());
    EXPECT_TRUE(m.error().where.endsWith(QStringLiteral("line %1").arg(c.badLine))) << m.error().message().toStdString();
}

INSTANTIATE_TEST_SUITE_P(, DamagedMapFiles, testing::ValuesIn(kDamagedMaps),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(SubtitleMapFile, OutdatedMapIsAnError)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.gxm"));
    test::writeBytes(path, utf16File(QStringLiteral("00 00000000\r\n01 00000008\r\n01 00000009\r\n")));
    EXPECT_TRUE(SubtitleMap::load(path, 10 * 2048).ok());
    EXPECT_FALSE(SubtitleMap::load(path, 11 * 2048).ok()); // the VOB grew
    EXPECT_FALSE(SubtitleMap::load(path, 9 * 2048).ok());  // the VOB shrank
    test::writeBytes(path, utf16File(QStringLiteral("00 00000000\r\n32 00000009\r\n")));
    EXPECT_FALSE(SubtitleMap::load(path, 10 * 2048).ok()); // no closing clock line: never finished
}

TEST(SubtitleMapFile, MapLargerThanALinePerSectorIsRefusedUnread)
{
    // A map holds at most one line per sector of its VOB: anything larger is not one, however big.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.gxm"));
    const QString full = QStringLiteral("01 00000000\r\n01 00000001\r\n");
    test::writeBytes(path, utf16File(full));
    EXPECT_TRUE(SubtitleMap::load(path, 2 * 2048).ok()); // exactly the largest map of two sectors
    test::writeBytes(path, utf16File(full) + QByteArray(1, '\0'));
    auto tooLarge = SubtitleMap::load(path, 2 * 2048);
    ASSERT_FALSE(tooLarge.ok());
    EXPECT_TRUE(tooLarge.error().why.contains(QStringLiteral("larger"))) << tooLarge.error().why.toStdString();
}

TEST(SubtitleMapFile, MissingOrEmptyFileIsAnEmptyMap)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.gxm"));
    auto missing = SubtitleMap::load(path, 2048);
    ASSERT_TRUE(missing.ok());
    EXPECT_TRUE(missing->isEmpty());
    test::writeBytes(path, QByteArray());
    auto empty = SubtitleMap::load(path, 2048);
    ASSERT_TRUE(empty.ok());
    EXPECT_TRUE(empty->isEmpty());
}

TEST(SubtitleMapFile, FailedSaveKeepsThePreviousMapAndSaysWhy)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.gxm"));
    SubtitleMap m;
    m.noteLastSector(0);
    EXPECT_FALSE(m.save(dir.filePath(QStringLiteral("no/such/folder/a.gxm"))).ok());
    ASSERT_TRUE(m.save(path).ok());
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    SubtitleMap other;
    other.noteLastSector(5);
    const bool written = other.save(path).ok();
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (!written) { // root may write anywhere; then there is nothing to check
        EXPECT_EQ(*SubtitleMap::load(path, 2048), m);
    }
}

TEST(SubtitleMapFile, PathBesideTheVob)
{
    EXPECT_EQ(SubtitleMap::pathFor(QStringLiteral("/d/VIDEO_TS/VTS_01_1.VOB")), QStringLiteral("/d/VIDEO_TS/VTS_01_1.gxm"));
    EXPECT_EQ(SubtitleMap::pathFor(QStringLiteral("/d.x/movie")), QStringLiteral("/d.x/movie.gxm"));
}

} // namespace
} // namespace glyfex::ripping
