// The bounded byte reader: reads past the end fail without touching memory outside the span.
#include "core/byte_reader.h"

#include <gtest/gtest.h>

#include <array>

using glyfex::core::ByteReader;

TEST(ByteReader, ReadsBigAndLittleEndianAndFailsPastTheEnd)
{
    const std::array<uint8_t, 5> bytes{0x12, 0x34, 0x56, 0x78, 0x9A};
    ByteReader r(bytes);
    EXPECT_EQ(r.be16(), 0x1234);
    EXPECT_EQ(r.le16(), 0x7856);
    EXPECT_FALSE(r.failed());
    EXPECT_EQ(r.be32(), 0u);
    EXPECT_TRUE(r.failed());
    EXPECT_EQ(r.remaining(), 0u);
}

TEST(ByteReader, SeekAndBytesStayInside)
{
    const std::array<uint8_t, 4> bytes{1, 2, 3, 4};
    ByteReader r(bytes);
    EXPECT_TRUE(r.seek(4));
    EXPECT_TRUE(r.atEnd());
    EXPECT_FALSE(r.seek(5));
    EXPECT_TRUE(r.failed());
    ByteReader s(bytes);
    EXPECT_EQ(s.bytes(3).size(), 3u);
    EXPECT_TRUE(s.bytes(2).empty());
    EXPECT_EQ(s.peekAt(9), 0);
}
