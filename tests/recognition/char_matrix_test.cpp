// The character matrix in memory: adding up to the limit, deleting by index, clearing.
#include "glyph_art.h"

#include "recognition/char_matrix.h"

#include <gtest/gtest.h>

using namespace glyfex;
using namespace glyfex::recognition;

TEST(CharMatrix, AddsWithIndexesFromOneAndMarksModified)
{
    CharMatrix m;
    EXPECT_EQ(m.count(), 0);
    EXPECT_FALSE(m.isModified());
    Glyph g = test::glyphFromArt({"##", "#."});
    g.deleted = true;
    ASSERT_EQ(m.add(g), CharMatrix::AddOutcome::Added);
    EXPECT_EQ(m.count(), 1);
    EXPECT_FALSE(m.entry(1).deleted) << "a new entry is live";
    EXPECT_TRUE(m.entry(1).pixel(0, 1));
    EXPECT_TRUE(m.isModified());
    EXPECT_EQ(m.indexesOfSize(2, 2).size(), 1u);
}

TEST(CharMatrix, DeletingFlagsTheEntryAndKeepsIndexes)
{
    CharMatrix m;
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(m.add(test::glyphFromArt({"#"})), CharMatrix::AddOutcome::Added);
    m.setModified(false);
    m.markDeleted(0);
    m.markDeleted(4);
    EXPECT_FALSE(m.isModified()) << "indexes outside 1..count are ignored";
    m.markDeleted(2);
    EXPECT_TRUE(m.isModified());
    EXPECT_TRUE(m.entry(2).deleted);
    EXPECT_EQ(m.count(), 3);
    EXPECT_EQ(m.liveCount(), 2);
}

TEST(CharMatrix, RefusesTheEntryPastTheLimit)
{
    CharMatrix m;
    const Glyph g = test::glyphFromArt({"#"});
    m.reserve(CharMatrix::kMaxEntries);
    for (int i = 0; i < CharMatrix::kMaxEntries; ++i)
        ASSERT_EQ(m.add(g), CharMatrix::AddOutcome::Added);
    EXPECT_EQ(m.add(g), CharMatrix::AddOutcome::Full);
    EXPECT_EQ(m.count(), CharMatrix::kMaxEntries);
}

TEST(CharMatrix, ClearGivesAnEmptyUnnamedMatrix)
{
    CharMatrix m;
    m.setFileName(u"/tmp/x.gxc"_qs);
    m.setComment(QString(300, QLatin1Char('c')));
    EXPECT_EQ(m.comment().size(), CharMatrix::kMaxCommentLength);
    (void)m.add(test::glyphFromArt({"#"}));
    m.clear();
    EXPECT_EQ(m.count(), 0);
    EXPECT_TRUE(m.fileName().isEmpty());
    EXPECT_FALSE(m.isModified());
    EXPECT_TRUE(m.indexesOfSize(1, 1).empty());
}
