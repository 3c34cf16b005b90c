// The picture script: every kind of line as a table, the last line without an end, refusals, and the frame-rate text.
#include "sources/image_seq_script.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

using namespace glyfex;
using namespace glyfex::sources;

namespace {

struct ScriptCase {
    const char *name;
    const char *text;
    std::vector<ScriptPicture> pictures;
    std::optional<QString> frameRate;
};

ScriptPicture pic(const char *file, int64_t start, int64_t stop)
{
    return {QString::fromUtf8(file), start, stop};
}

void PrintTo(const ScriptCase &c, std::ostream *os)
{
    *os << c.name;
}

class ScriptLines : public ::testing::TestWithParam<ScriptCase> {};

TEST_P(ScriptLines, ClassifiesEveryLine)
{
    const ScriptCase &c = GetParam();
    auto script = parseImageSeqScript(QByteArray(c.text), QStringLiteral("s.txt"));
    ASSERT_TRUE(script.ok()) << script.error().message().toStdString();
    EXPECT_EQ(script->pictures, c.pictures);
    EXPECT_EQ(script->frameRateText, c.frameRate);
}

INSTANTIATE_TEST_SUITE_P(
    Script, ScriptLines,
    ::testing::Values(
        ScriptCase{"DelayAddsToLaterPictures", "Delay=10\r\n{100}{150}a.bmp\r\n", {pic("a.bmp", 110, 160)}, {}},
        ScriptCase{"DelayAfterPicturesChangesNothingBefore", "{100}{150}a.bmp\nDelay=10\n{200}{250}b.bmp\n",
                   {pic("a.bmp", 100, 150), pic("b.bmp", 210, 260)}, {}},
        ScriptCase{"LastLineWithoutEndIsAPicture", "{1}{2}a.bmp\n{3}{4}b.bmp", {pic("a.bmp", 1, 2), pic("b.bmp", 3, 4)}, {}},
        ScriptCase{"KeysAndOtherLinesSayNothing",
                   "FrameRate=23.976\nPalette=0,1,2\n\n# note\n Delay=5\n{7}{9}x y.bmp\nPalette=",
                   {pic("x y.bmp", 7, 9)}, QStringLiteral("23.976")},
        ScriptCase{"LastFrameRateWins", "FrameRate=25\nFrameRate=29,97\n", {}, QStringLiteral("29,97")},
        ScriptCase{"NumbersThatAreNoneCountAsZero", "Delay=abc\n{x}{}sub\\a.bmp\n", {pic("sub\\a.bmp", 0, 0)}, {}},
        ScriptCase{"NegativeDelayIsKept", "Delay=-20\n{10}{30}a.bmp\n", {pic("a.bmp", -10, 10)}, {}},
        ScriptCase{"HugeNumbersDoNotWrap", "Delay=9223372036854775807\n{5}{6}a.bmp\n",
                   {pic("a.bmp", INT64_MAX, INT64_MAX)}, {}},
        ScriptCase{"EmptyFileName", "{1}{2}\n", {pic("", 1, 2)}, {}},
        ScriptCase{"EmptyScript", "", {}, {}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ScriptRefusals, NameTheLineOrTheSize)
{
    auto broken = parseImageSeqScript(QByteArray("{1}{2}a.bmp\n{3}b.bmp\n"), QStringLiteral("s.txt"));
    ASSERT_FALSE(broken.ok());
    EXPECT_TRUE(broken.error().where.contains(QStringLiteral("line 2"))) << broken.error().message().toStdString();

    auto large = parseImageSeqScript(QByteArray(kMaxScriptBytes + 1, 'x'), QStringLiteral("big.txt"));
    ASSERT_FALSE(large.ok());
    EXPECT_EQ(large.error().where, QStringLiteral("big.txt"));

    QTemporaryDir dir;
    auto missing = readImageSeqScript(dir.filePath(QStringLiteral("none.txt")));
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().where, QStringLiteral("none.txt"));
}

TEST(ScriptFrameRate, TextToFramesPerThousandSeconds)
{
    const struct {
        const char *text;
        uint32_t x1000;
    } cases[] = {{"23.976", 23976}, {"25.000", 25000}, {"29.970", 29970}, {"29.97", 29970}, {"30", 30000},
                 {"24,000", 24000}, {"0", 25000},        {"-5", 25000},     {"", 25000},      {"abc", 25000},
                 {"0.0", 25000},    {"5000", 25000}};
    for (const auto &c : cases)
        EXPECT_EQ(sequenceFrameRateX1000(QString::fromUtf8(c.text)), c.x1000) << c.text;
}

} // namespace
