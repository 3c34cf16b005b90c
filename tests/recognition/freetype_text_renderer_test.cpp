// The FreeType renderer of the matrix fill: reading font files with clear failures, sizes, glyph coverage, drawing inside the picture.
#include "recognition/freetype_text_renderer.h"

#include "support/test_data.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace glyfex::recognition {
namespace {

const QString kDejaVuSans = QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");

std::unique_ptr<FreeTypeTextRenderer> dejaVu(double w, double h)
{
    auto r = FreeTypeTextRenderer::open(kDejaVuSans, 0, w, h);
    EXPECT_TRUE(r.ok()) << r.error().message().toStdString();
    return r.ok() ? std::move(r).value() : nullptr;
}

picture::CodeImage drawn(const TextRenderer &r, const QString &text)
{
    picture::CodeImage p(r.textWidth(text) + 4, r.textHeight() + 4, kFontPaper);
    r.draw(p, 2, 2, text);
    return p;
}

TEST(FreeTypeTextRendererTest, WhatCannotBeDrawnIsRefusedSayingWhichFileAndWhy)
{
    QTemporaryDir dir;
    const QString notAFont = dir.filePath(QStringLiteral("notes.ttf"));
    test::writeBytes(notAFont, "these are notes, not glyphs\n");
    // A font file is read whole: one larger than any font is refused before reading.
    const QString huge = dir.filePath(QStringLiteral("huge.ttf"));
    QFile::copy(kDejaVuSans, huge);
    {
        QFile f(huge);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.resize(FreeTypeTextRenderer::kMaxFontFileBytes + 1)); // sparse: no disk space taken
    }
    const QString missing = dir.filePath(QStringLiteral("missing.ttf"));
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        QString file;
        int face;
        double width, height;
    } cases[] = {
        {missing, 0, 20, 20},
        {notAFont, 0, 20, 20},
        {huge, 0, 20, 20},
        {kDejaVuSans, 7, 20, 20}, // the file holds one face
        {kDejaVuSans, 0, 0, 20},
        {kDejaVuSans, 0, 20, nan},
        {kDejaVuSans, 0, 20, 5000},
    };
    for (const auto &c : cases) {
        const auto r = FreeTypeTextRenderer::open(c.file, c.face, c.width, c.height);
        ASSERT_FALSE(r.ok()) << c.file.toStdString() << " " << c.face << " " << c.width << "x" << c.height;
        EXPECT_EQ(r.error().where, c.file);
        EXPECT_FALSE(r.error().why.isEmpty());
    }
}

TEST(FreeTypeTextRendererTest, GlyphsAdvancesAndTheEdgesOfThePicture)
{
    const auto r = dejaVu(28, 28);
    ASSERT_TRUE(r);
    EXPECT_TRUE(r->hasGlyph(U'A'));
    EXPECT_TRUE(r->hasGlyph(U'\u00EF'));
    EXPECT_FALSE(r->hasGlyph(U'\u4E2D')); // no Han character in DejaVu Sans
    EXPECT_EQ(r->textWidth(QStringLiteral("AA")), 2 * r->textWidth(QStringLiteral("A")));
    EXPECT_GT(r->textHeight(), 28);

    // An upright stem: the whole cap height, two or three pixels wide, inside the advance.
    const picture::CodeImage i = drawn(*r, QStringLiteral("I"));
    const auto ink = findInkBounds(i);
    ASSERT_TRUE(ink);
    EXPECT_GE(ink->right - ink->left, 2);
    EXPECT_LE(ink->right - ink->left, 3);
    EXPECT_EQ(ink->bottom - ink->top, 20); // 0.73 em
    EXPECT_GE(ink->left, 2);
    EXPECT_LE(ink->right, 2 + r->textWidth(QStringLiteral("I")));

    // Text running over every edge of a small picture draws what falls inside and nothing beyond.
    picture::CodeImage small(6, 6, kFontPaper);
    for (const auto &[x, y] : {std::pair{-10, -10}, std::pair{3, 3}, std::pair{-3, 0}, std::pair{1000, 1000}})
        r->draw(small, x, y, QStringLiteral("WWW"));
    EXPECT_TRUE(findInkBounds(small));
}

TEST(FreeTypeTextRendererTest, ScaledIsTheFaceOpenedAtTheScaledSize)
{
    const auto base = dejaVu(28, 28);
    const auto tall = dejaVu(28, 30);
    ASSERT_TRUE(base && tall);
    const auto scaled = base->scaled(1.0, 30.4 / 28); // rounded to whole pixels
    ASSERT_TRUE(scaled);
    for (const QString &text : {QStringLiteral("H"), QStringLiteral("(g)"), QStringLiteral("%")}) {
        const picture::CodeImage a = drawn(*scaled, text);
        const picture::CodeImage b = drawn(*tall, text);
        ASSERT_EQ(a.width, b.width);
        ASSERT_EQ(a.height, b.height);
        EXPECT_TRUE(a.bytes == b.bytes) << text.toStdString();
    }
    EXPECT_FALSE(base->scaled(0.01, 1)); // below one pixel
}

} // namespace
} // namespace glyfex::recognition
