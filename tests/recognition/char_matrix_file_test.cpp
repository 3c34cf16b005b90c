// Character matrix files: reading the three versions from bytes built here, refusing damaged files
// without touching the matrix in memory, and saving through a temporary file.
#include "glyph_art.h"
#include "support/test_data.h"

#include "recognition/char_matrix_file.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>

using namespace glyfex;
using namespace glyfex::recognition;

namespace {

// Builds matrix file bytes field by field, as the layouts say.
struct FileBytes {
    QByteArray b;
    FileBytes &raw(const char *s, int n) { b.append(s, n); return *this; }
    FileBytes &u8(int v) { b.append(char(v)); return *this; }
    FileBytes &le16(int v) { return u8(v & 0xFF).u8((v >> 8) & 0xFF); }
    FileBytes &fill(int n, int v = 0) { b.append(QByteArray(n, char(v))); return *this; }
};

FileBytes v3Header(std::u16string_view comment, int count)
{
    FileBytes f;
    f.raw("Glyfex_Char_Matrix_Fil3", 23).u8(int(comment.size()));
    for (char16_t c : comment)
        f.le16(c);
    return f.le16(count);
}

// Version 2 and 3 entry: bitmap bytes are given row by row.
void entry(FileBytes &f, int version, int dy, int w, int h, int style, std::u16string_view text,
           const std::vector<uint8_t> &bitmap)
{
    f.u8(dy).u8(w).u8(h).u8(style).u8(int(text.size()));
    for (char16_t c : text)
        version == 3 ? f.le16(c) : f.u8(c);
    for (uint8_t byte : bitmap)
        f.u8(byte);
}

core::Result<CharMatrix> parse(const FileBytes &f, uint16_t codePage = 1252)
{
    return parseCharMatrix(std::span<const uint8_t>(reinterpret_cast<const uint8_t *>(f.b.constData()),
                                                    size_t(f.b.size())),
                           u"test.gxc"_qs, codePage);
}

QString textOf(const Glyph &g)
{
    return core::fromCharText(g.text);
}

struct RecordingHost : core::PassHost {
    std::vector<int64_t> done;
    int64_t total = 0;
    int pumps = 0;
    void progress(int64_t d, int64_t t) override
    {
        done.push_back(d);
        total = t;
    }
    core::PumpResult pump() override
    {
        ++pumps;
        return core::PumpResult::Continue;
    }
};

} // namespace

TEST(CharMatrixFile, ReadsVersion3)
{
    FileBytes f = v3Header(u"Fr\u00E9", 2);
    // 17 pixels wide: three bytes a row; the bits past the width are kept as they are.
    entry(f, 3, 4, 17, 2, 6, u"\u0153a", {0x80, 0x00, 0xFF, 0x01, 0x02, 0x80});
    entry(f, 3, 0, 1, 1, 0, u"", {0x80});
    const auto m = parse(f);
    ASSERT_TRUE(m.ok()) << m.error().message().toStdString();
    EXPECT_EQ(m->comment(), QString::fromUtf16(u"Fr\u00E9"));
    ASSERT_EQ(m->count(), 2);
    const Glyph &g = m->entry(1);
    EXPECT_EQ(g.dy, 4);
    EXPECT_EQ(g.width, 17);
    EXPECT_EQ(g.height, 2);
    EXPECT_EQ(g.style, 6);
    EXPECT_EQ(textOf(g), QString::fromUtf16(u"\u0153a"));
    EXPECT_TRUE(g.pixel(0, 0));
    EXPECT_FALSE(g.pixel(1, 0));
    EXPECT_TRUE(g.pixel(16, 0));
    EXPECT_TRUE(g.pixel(23, 0)) << "past the width, but held";
    EXPECT_TRUE(g.pixel(7, 1));
    EXPECT_TRUE(g.pixel(14, 1));
    EXPECT_TRUE(g.pixel(16, 1));
    EXPECT_FALSE(m->isModified());
    EXPECT_EQ(m->fileName(), u"test.gxc"_qs);
    EXPECT_EQ(serialiseCharMatrix(*m), f.b) << "written back byte for byte";
}

TEST(CharMatrixFile, ReadsVersion2WithCommentBytesWidenedByValue)
{
    FileBytes f;
    f.raw("Glyfex_Char_Matrix_Fil2", 23).u8(2).u8(0xE9).u8('x').le16(1);
    entry(f, 2, 1, 8, 1, 1, u"ab", {0x81});
    const auto m = parse(f);
    ASSERT_TRUE(m.ok()) << m.error().message().toStdString();
    EXPECT_EQ(m->comment(), QString::fromUtf16(u"\u00E9x"));
    ASSERT_EQ(m->count(), 1);
    EXPECT_EQ(textOf(m->entry(1)), u"ab"_qs);
    EXPECT_EQ(m->entry(1).style, 1);
    EXPECT_TRUE(m->entry(1).pixel(7, 0));
}

TEST(CharMatrixFile, ReadsVersion2TextsInTheSubtitleCodePage)
{
    FileBytes f;
    f.raw("Glyfex_Char_Matrix_Fil2", 23).u8(1).u8(0xE9).le16(1);
    entry(f, 2, 0, 8, 1, 0, u"\u00E9", {0x80});
    struct Case {
        uint16_t codePage;
        char16_t letter;
    };
    for (const Case &c : {Case{1252, u'\u00E9'}, Case{1251, u'\u0439'}, Case{0, u'\u00E9'}}) {
        const auto m = parse(f, c.codePage);
        ASSERT_TRUE(m.ok()) << m.error().message().toStdString();
        EXPECT_EQ(textOf(m->entry(1)), QString(QChar(c.letter))) << "code page " << c.codePage;
        EXPECT_EQ(m->comment(), QString(QChar(u'\u00E9'))) << "the comment is widened by value";
    }
    const auto unknown = parse(f, 4242);
    ASSERT_FALSE(unknown.ok());
    EXPECT_TRUE(unknown.error().where.contains(u"entry 1"_qs));
}

TEST(CharMatrixFile, ReadsVersion1FixedEntries)
{
    FileBytes f;
    f.raw("Glyfex_Char_Matrix_File", 23).raw("Latin", 5).fill(250).le16(1);
    f.u8(2).u8(3).u8(4).raw("ab", 2).fill(18);
    std::vector<uint8_t> field(254, 0);
    auto set = [&](int x, int y) { const int k = y * 45 + x; field[size_t(k / 8)] |= uint8_t(0x80 >> (k % 8)); };
    set(0, 0);
    set(2, 1);
    set(44, 44); // outside the 3 x 4 glyph, copied all the same
    for (uint8_t b : field)
        f.u8(b);
    const auto m = parse(f);
    ASSERT_TRUE(m.ok()) << m.error().message().toStdString();
    EXPECT_EQ(m->comment(), u"Latin"_qs);
    const Glyph &g = m->entry(1);
    EXPECT_EQ(textOf(g), u"ab"_qs);
    EXPECT_EQ(g.style, 0);
    EXPECT_EQ(g.dy, 2);
    EXPECT_EQ(g.width, 3);
    EXPECT_EQ(g.height, 4);
    EXPECT_TRUE(g.pixel(0, 0));
    EXPECT_TRUE(g.pixel(2, 1));
    EXPECT_FALSE(g.pixel(1, 0));
    EXPECT_TRUE(g.pixel(44, 44));
}

namespace {

struct DamagedCase {
    const char *name;
    QByteArray bytes;
    const char *where; // part of the error's location
};

// The row's name, so that test names stay readable and stable.
void PrintTo(const DamagedCase &c, std::ostream *os)
{
    *os << c.name;
}

FileBytes oneEntryFile(int w, int h, int textLength)
{
    FileBytes f = v3Header(u"", 1);
    f.u8(0).u8(w).u8(h).u8(0).u8(textLength).fill(2 * textLength);
    return f.fill(h * ((w + 7) / 8));
}

std::vector<DamagedCase> damagedCases()
{
    FileBytes wrongLastMagicByte;
    wrongLastMagicByte.raw("Glyfex_Char_Matrix_Fil4", 23).u8(0).le16(0);
    FileBytes countLargerThanData = v3Header(u"", 3);
    entry(countLargerThanData, 3, 0, 8, 1, 0, u"a", {0xFF});
    FileBytes truncatedBitmap = oneEntryFile(16, 4, 1);
    truncatedBitmap.b.chop(1);
    FileBytes truncatedV1;
    truncatedV1.raw("Glyfex_Char_Matrix_File", 23).fill(255).le16(1).fill(276);
    return {
        {"EmptyFile", QByteArray(), "test.gxc"},
        {"WrongLastMagicByte", wrongLastMagicByte.b, "test.gxc"},
        {"HeaderCutInsideComment", v3Header(u"abc", 0).b.left(26), "test.gxc"},
        {"CountLargerThanData", countLargerThanData.b, "entry 2 of 3"},
        {"TruncatedBitmap", truncatedBitmap.b, "entry 1 of 1"},
        {"TextLongerThanTwenty", oneEntryFile(8, 1, 21).b, "entry 1 of 1"},
        {"WidthOver80", oneEntryFile(81, 1, 0).b, "entry 1 of 1"},
        {"HeightOver45", oneEntryFile(8, 46, 0).b, "entry 1 of 1"},
        {"TruncatedVersion1Entry", truncatedV1.b, "entry 1 of 1"},
    };
}

class DamagedMatrixFile : public testing::TestWithParam<DamagedCase> {};

TEST_P(DamagedMatrixFile, IsRefusedAndLeavesTheMatrixAsItWas)
{
    const DamagedCase &c = GetParam();
    QTemporaryDir dir;
    const QString path = dir.filePath(u"test.gxc"_qs);
    test::writeBytes(path, c.bytes);

    CharMatrix m;
    (void)m.add(test::glyphFromArt({"#"}));
    m.setFileName(u"/old/name.gxc"_qs);
    m.setComment(u"old"_qs);
    core::NullPassHost host;
    const auto result = loadCharMatrix(path, m, 1252, host);
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().what, u"This is NOT valid Char Matrix File!"_qs);
    EXPECT_TRUE(result.error().where.contains(QString::fromUtf8(c.where))) << result.error().where.toStdString();
    EXPECT_TRUE(result.error().where.contains(path));
    EXPECT_EQ(m.count(), 1);
    EXPECT_TRUE(m.isModified());
    EXPECT_EQ(m.fileName(), u"/old/name.gxc"_qs);
    EXPECT_EQ(m.comment(), u"old"_qs);
}

INSTANTIATE_TEST_SUITE_P(Cases, DamagedMatrixFile, testing::ValuesIn(damagedCases()),
                         [](const testing::TestParamInfo<DamagedCase> &info) { return std::string(info.param.name); });

} // namespace

TEST(CharMatrixFile, SaveDropsDeletedEntriesAndLoadRenumbers)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"six.gxc"_qs);
    CharMatrix m;
    m.setComment(QString::fromUtf16(u"\u010D\u0161"));
    for (int i = 1; i <= 6; ++i) {
        Glyph g = test::glyphFromArt({std::string(size_t(i), '#'), "#."}, i);
        g.text = core::toCharText(QString::number(i));
        g.style = uint8_t(i & 7);
        (void)m.add(g);
    }
    m.markDeleted(2);
    m.markDeleted(5);
    ASSERT_TRUE(saveCharMatrix(m, path).ok());
    EXPECT_FALSE(m.isModified());
    EXPECT_EQ(m.fileName(), path);
    EXPECT_EQ(m.count(), 6) << "indexes stay until the next load";

    CharMatrix loaded;
    RecordingHost host;
    ASSERT_TRUE(loadCharMatrix(path, loaded, 1252, host).ok());
    EXPECT_EQ(loaded.comment(), m.comment());
    ASSERT_EQ(loaded.count(), 4);
    const int kept[] = {1, 3, 4, 6};
    for (int i = 1; i <= 4; ++i) {
        Glyph expected = m.entry(kept[i - 1]);
        EXPECT_EQ(loaded.entry(i), expected) << "entry " << i;
    }
    EXPECT_EQ(host.done, (std::vector<int64_t>{1, 2, 3, 4}));
    EXPECT_EQ(host.total, 4);
    EXPECT_EQ(host.pumps, 1);
}

TEST(CharMatrixFile, EmptyMatrixIsNotSaved)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"empty.gxc"_qs);
    CharMatrix m;
    m.setModified(true);
    const auto result = saveCharMatrix(m, path);
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().what, u"The Character Matrix is Empty!"_qs);
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(m.isModified());
}

TEST(CharMatrixFile, FailedSaveKeepsTheModifiedFlagAndTheOldFile)
{
    QTemporaryDir dir;
    CharMatrix m;
    (void)m.add(test::glyphFromArt({"#"}));
    const QString missingFolder = dir.filePath(u"no/such/folder/m.gxc"_qs);
    EXPECT_FALSE(saveCharMatrix(m, missingFolder).ok());
    EXPECT_TRUE(m.isModified());
    EXPECT_TRUE(m.fileName().isEmpty());

    // A folder in the way of the file: the rename fails and nothing is replaced.
    const QString blocked = dir.filePath(u"blocked.gxc"_qs);
    ASSERT_TRUE(QDir().mkpath(blocked));
    EXPECT_FALSE(saveCharMatrix(m, blocked).ok());
    EXPECT_TRUE(QFileInfo(blocked).isDir());
    EXPECT_TRUE(m.isModified());
}

TEST(CharMatrixFile, MissingFileIsReported)
{
    CharMatrix m;
    core::NullPassHost host;
    const auto result = loadCharMatrix(u"/nonexistent/x.gxc"_qs, m, 1252, host);
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().where, u"/nonexistent/x.gxc"_qs);
}

namespace {

// The largest well-formed file: header, 255-unit comment, count, then 65535 entries of five bytes,
// 20 UTF-16 units of text and an 80 x 45 bitmap.
constexpr qint64 kLargestMatrix = 23 + 1 + 2 * 255 + 2 + 65535 * qint64(5 + 40 + 10 * 45);

TEST(CharMatrixFile, AFileLargerThanAnyMatrixIsRefusedBeforeItIsRead)
{
    struct Case {
        const char *name;
        qint64 size;
        bool loads;
    } cases[] = {
        {"largest_possible", kLargestMatrix, true},
        {"one_byte_more", kLargestMatrix + 1, false},
        {"five_gibibytes", 5LL << 30, false},
    };
    QTemporaryDir dir;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        // A matrix header without entries, then a hole up to the size: the disk holds only the header.
        const QString path = dir.filePath(QString::fromLatin1(c.name) + u".gxc"_qs);
        test::writeBytes(path, v3Header(u"", 0).b);
        ASSERT_TRUE(QFile(path).resize(c.size)) << "cannot make a sparse file of " << c.size << " bytes";

        CharMatrix m;
        (void)m.add(test::glyphFromArt({"#"}));
        m.setFileName(u"/old/name.gxc"_qs);
        core::NullPassHost host;
        const auto result = loadCharMatrix(path, m, 1252, host);
        EXPECT_EQ(result.ok(), c.loads);
        if (c.loads) {
            EXPECT_EQ(m.count(), 0);
            continue;
        }
        EXPECT_EQ(result.error().message(),
                  u"This is NOT valid Char Matrix File! (%1): %2 bytes is too large for a character matrix (the largest has %3)"_qs
                      .arg(path)
                      .arg(c.size)
                      .arg(kLargestMatrix));
        EXPECT_EQ(m.count(), 1);
        EXPECT_EQ(m.fileName(), u"/old/name.gxc"_qs);
    }
}

TEST(CharMatrixFile, TheLargestEntryAndCommentFitTheLimit)
{
    // The limit counts 65535 entries of the size the largest entry is saved with.
    CharMatrix one;
    Glyph g;
    g.width = kGlyphMaxWidth;
    g.height = kGlyphMaxHeight;
    g.text = core::toCharText(QString(20, u'w'));
    ASSERT_EQ(one.add(g), CharMatrix::AddOutcome::Added);
    one.setComment(QString(255, u'c'));
    const qint64 header = 23 + 1 + 2 * 255 + 2;
    EXPECT_EQ(header + CharMatrix::kMaxEntries * (serialiseCharMatrix(one).size() - header), kLargestMatrix);
}

} // namespace
