// The matrix fill: slant, scaling, rounding, ink bounds, the entries of a rendering, the items and the ranges.
#include "recognition/font_fill.h"
#include "recognition/freetype_text_renderer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace glyfex::recognition {
namespace {

// '#' ink, anything else paper.
picture::CodeImage pictureOf(const std::vector<std::string> &rows)
{
    picture::CodeImage p(int(rows.front().size()), int(rows.size()), kFontPaper);
    for (size_t y = 0; y < rows.size(); ++y)
        for (size_t x = 0; x < rows[y].size(); ++x)
            p.at(int(x), int(y)) = rows[y][x] == '#' ? kFontInk : kFontPaper;
    return p;
}

std::vector<std::string> rowsOf(const picture::CodeImage &p)
{
    std::vector<std::string> rows;
    for (int y = 0; y < p.height; ++y) {
        std::string r;
        for (int x = 0; x < p.width; ++x)
            r += p.at(x, y) == kFontInk ? '#' : '.';
        rows.push_back(r);
    }
    return rows;
}

TEST(FontFillTest, SlantMovesEachRowByItsDistanceFromTheBottom)
{
    const std::vector<std::string> art = {"#..#..", ".#....", "..#...", "..#..#"};
    const struct {
        double angle;
        std::vector<std::string> expected;
    } cases[] = {
        {0, art},
        // tan 35 = 0.70: Trunc(2.1) = 2 for the top row, Trunc(1.4) = 1 for the next, 0 below; the freed
        // part takes the colour of the pixel that moved first.
        {35, {"###..#", "..#...", "..#...", "..#..#"}},
        {-35, {".#....", "#.....", "..#...", "..#..#"}},
        // tan 10 = 0.18: Trunc(0.53) = 0, no row moves.
        {10, art},
    };
    for (const auto &c : cases) {
        picture::CodeImage p = pictureOf(art);
        slantRows(p, c.angle);
        EXPECT_EQ(rowsOf(p), c.expected) << c.angle;
    }
}

TEST(FontFillTest, RoundingHalvesGoesToTheEvenNeighbour)
{
    const std::pair<double, int> cases[] = {{0.5, 0}, {1.5, 2}, {2.5, 2}, {3.49, 3}, {-0.5, 0}, {-1.5, -2}};
    for (const auto &[value, expected] : cases)
        EXPECT_EQ(roundHalfEven(value), expected) << value;
}

TEST(FontFillTest, StretchAndInkBounds)
{
    const picture::CodeImage p = pictureOf({"....", ".##.", ".#..", "...."});
    EXPECT_EQ(rowsOf(stretchPicture(p, 8, 4)), (std::vector<std::string>{"........", "..####..", "..##....", "........"}));
    EXPECT_EQ(stretchPicture(p, 0, 4).width, 0);
    const auto ink = findInkBounds(p);
    ASSERT_TRUE(ink);
    EXPECT_EQ(ink->left, 1);
    EXPECT_EQ(ink->top, 1);
    EXPECT_EQ(ink->right, 3);
    EXPECT_EQ(ink->bottom, 3);
    EXPECT_FALSE(findInkBounds(pictureOf({"...", "..."})));

    const auto glyph = glyphOfRendering(p, QStringLiteral("r"), 2, 0);
    ASSERT_TRUE(glyph);
    EXPECT_EQ(glyph->width, 2);
    EXPECT_EQ(glyph->height, 2);
    EXPECT_EQ(glyph->dy, 1);
    EXPECT_EQ(glyph->style, 2);
    EXPECT_TRUE(glyph->pixel(0, 1));
    EXPECT_FALSE(glyph->pixel(1, 1));
}

TEST(FontFillTest, ARenderingIsLearntAsTheBoxesRecognitionCutsItInto)
{
    const QString join = QString::fromUtf16(kTakeWithNext);
    const std::vector<std::string> colon = {
        ".....", ".##..", ".##..", ".....", ".....", ".....", ".....", ".....",
        ".....", ".....", ".....", ".....", ".##..", ".##..", ".....",
    };
    const struct {
        const char *name;
        std::vector<std::string> art;
        bool rightToLeft;
        std::vector<QString> texts;    // of the entries in order
        std::vector<int> widths;
    } cases[] = {
        {"one piece", {"......", ".###..", ".#.#..", ".###..", "......"}, false, {"o"}, {3}},
        // Two strokes side by side: the first alone starts a run, both together are the character.
        {"two strokes", {"........", ".#...##.", ".#...##.", "........"}, false, {join, "o"}, {1, 6}},
        // Read from the right, the run starts at the right stroke.
        {"two strokes right to left", {"........", ".#...##.", ".#...##.", "........"}, true, {join, "o"}, {2, 6}},
        // Dots far apart one above the other stay one box, as in a line of text.
        {"a colon", colon, false, {"o"}, {2}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        FillReading reading;
        reading.rightToLeft = c.rightToLeft;
        reading.settings.minCharWidth = 1;
        reading.settings.minCharHeight = 1;
        const std::vector<Glyph> glyphs = glyphsOfRendering(pictureOf(c.art), QStringLiteral("o"), 2, 0, reading);
        ASSERT_EQ(glyphs.size(), c.texts.size());
        for (size_t i = 0; i < glyphs.size(); ++i) {
            EXPECT_EQ(core::fromCharText(glyphs[i].text), c.texts[i]) << i;
            EXPECT_EQ(glyphs[i].width, c.widths[i]) << i;
            EXPECT_EQ(glyphs[i].dy, 1) << "counted from the picture's top row";
            EXPECT_EQ(glyphs[i].style, i + 1 == glyphs.size() ? 2 : 0) << i;
        }
    }
    EXPECT_TRUE(glyphsOfRendering(pictureOf({"...", "..."}), QStringLiteral("o"), 0, 0, {}).empty());
}

// The texts of the entries a matrix learns from the items in DejaVu Sans at 28 pixels, fitted at its own size.
QStringList textsFilledFrom(const QStringList &items, FillReport &report)
{
    auto font = FreeTypeTextRenderer::open(QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"), 0, 28, 28);
    EXPECT_TRUE(font.ok()) << font.error().message().toStdString();
    if (!font.ok())
        return {};
    FillGeometry geometry;
    geometry.sampleText = QStringLiteral("Hello");
    geometry.sampleWidth = geometry.fittedWidth = 100;
    geometry.sampleHeight = geometry.fittedHeight = 40;
    CharMatrix matrix;
    report = fillMatrixFromFont(matrix, **font, items, geometry);
    QStringList texts;
    for (int i = 1; i <= matrix.count(); ++i)
        texts << core::fromCharText(matrix.entry(i).text);
    return texts;
}

TEST(FontFillTest, CharactersOfSeveralBoxesFromAFontAndTheirSharedFirstPieces)
{
    const QString join = QString::fromUtf16(kTakeWithNext);
    // A double quote is two strokes, a per cent sign three pieces; the second double quote begins with
    // the stroke already learnt as the start of a run.
    FillReport report;
    EXPECT_EQ(textsFilledFrom({"\"", "%", "o", "\""}, report), QStringList({join, "\"", join, join, "%", "o", "\""}));
    EXPECT_EQ(report.added, 4);
}

TEST(FontFillTest, FormattingCharactersAreSkippedLikeBlanks)
{
    const std::pair<const char16_t *, bool> cases[] = {
        {u"\u00AD", true},        // soft hyphen
        {u"\u200B\u200D", true},  // zero-width space and joiner in one grid cell
        {u"-", false},
        {u"a\u00AD", false},      // a cell with something to see
        {u"", false},
    };
    for (const auto &[text, invisible] : cases)
        EXPECT_EQ(isInvisibleInText(QString::fromUtf16(text)), invisible) << QString::fromUtf16(text).toStdString();

    // DejaVu draws the soft hyphen as a hyphen: learnt first, it would read every "-" of the pictures.
    FillReport report;
    EXPECT_EQ(textsFilledFrom(fillItems(rangeCharacters(0xAD, 0xAD) + "-"), report), QStringList({"-"}));
    EXPECT_EQ(report.added, 1);
    EXPECT_EQ(report.noInk, 1);
}

TEST(FontFillTest, LoneSurrogatesAndNoncharactersNeverBecomeItems)
{
    QString text = QStringLiteral("a");
    text += QChar(0xD800);                // lone high surrogate
    text += QStringLiteral("b");
    text += QChar(0xDC00);                // lone low surrogate
    text += QString::fromUcs4(U"\U0001F600"); // a pair: one item of two units
    text += QChar(0xFFFE);
    text += QChar(0xFDD0);
    text += QStringLiteral("c");
    EXPECT_EQ(fillItems(text), QStringList({"a", "b", QString::fromUcs4(U"\U0001F600"), "c"}));

    EXPECT_TRUE(rangeCharacters(0xD800, 0xDFFF).isEmpty());
    EXPECT_EQ(rangeCharacters(0xFFF0, 0xFFFF).size(), 14);
    EXPECT_EQ(rangeCharacters(0x4E00, 0x9FFF).size(), 0x9FFF - 0x4E00 + 1);
    EXPECT_TRUE(rangeCharacters(0x5A, 0x41).isEmpty());
}

TEST(FontFillTest, TheRangeListReadsBackItsOwnBounds)
{
    ASSERT_EQ(kFillRanges.size(), 97u);
    EXPECT_EQ(fillRangeItem(kFillRanges.front()), QStringLiteral("0040 - 005A Basic Latin"));
    EXPECT_EQ(fillRangeItem(kFillRanges[60]), QStringLiteral("AC00 - D7A3 Hangul"));
    EXPECT_EQ(fillRangeItem(kFillRanges.back()), QStringLiteral("1760 - 177F Tagmanwa"));
    for (const FillRange &r : kFillRanges) {
        const auto [first, last] = parseFillRangeItem(fillRangeItem(r));
        EXPECT_EQ(first, r.first) << r.name;
        EXPECT_EQ(last, r.last) << r.name;
    }
    EXPECT_EQ(parseFillRangeItem(QStringLiteral("zzzz - yyyy Broken")), (std::pair<char32_t, char32_t>(65, 90)));
}

} // namespace
} // namespace glyfex::recognition
