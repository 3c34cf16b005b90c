// The list's style-run parsing: which tags are taken off, which stay as text, and the colour each run gets.
#include "subtitles/style_runs.h"

#include "subtitles/qt_printers.h"

#include <gtest/gtest.h>

#include <ostream>

namespace glyfex::subtitles {

void PrintTo(const StyleRun &run, std::ostream *os)
{
    *os << '"' << run.text.toStdString() << '"' << (run.bold ? " b" : "") << (run.italic ? " i" : "")
        << (run.underline ? " u" : "") << " #" << std::hex << run.colour;
}

namespace {

constexpr uint32_t kWhite = kListTextColour;

StyleRun plain(const char *text, uint32_t colour = kWhite)
{
    return StyleRun{QString::fromUtf8(text), false, false, false, colour};
}

StyleRun styled(const char *text, bool bold, bool italic, bool underline, uint32_t colour = kWhite)
{
    return StyleRun{QString::fromUtf8(text), bold, italic, underline, colour};
}

struct RunCase {
    const char *name;
    const char *line;
    QList<StyleRun> runs;
};

// Listings show a row by its name rather than by its bytes, which hold pointers and change from run to run.
void PrintTo(const RunCase &c, std::ostream *os) { *os << c.name; }

class StyleRunsTest : public ::testing::TestWithParam<RunCase> {};

TEST_P(StyleRunsTest, SplitsTheLine)
{
    EXPECT_EQ(parseStyleRuns(QString::fromUtf8(GetParam().line)), GetParam().runs);
}

const RunCase kCases[] = {
    {"no_tags", "Hello there", {plain("Hello there")}},
    {"empty", "", {}},
    {"italic_word", "<i>Hello</i>", {styled("Hello", false, true, false)}},
    {"tags_in_either_case", "<B>bold</b> <U>under</U>", {styled("bold", true, false, false), plain(" "),
                                                          styled("under", false, false, true)}},
    {"nested_styles", "<b>a<i>b</b>c</i>d",
     {styled("a", true, false, false), styled("b", true, true, false), styled("c", false, true, false), plain("d")}},
    {"tags_one_after_another", "x<b><i><u>y", {plain("x"), styled("y", true, true, true)}},
    {"font_colour_then_white_again", "<font color=\"#ff8000\">warm</font>cold", {plain("warm", 0xFF8000), plain("cold")}},
    {"font_colour_upper_case_digits", "<FONT COLOR=\"#00FF00\">green</FONT>", {plain("green", 0x00FF00)}},
    {"font_colour_not_hex_is_white", "<font color=\"#zz0000\">x</font>", {plain("x")}},
    // A '<' needs three characters after it before any tag is looked for.
    {"ends_in_unfinished_tag", "Hello<i", {plain("Hello<i")}},
    {"opening_tag_at_the_very_end_stays_text", "Hello<i>", {plain("Hello<i>")}},
    {"closing_tag_at_the_end_is_taken", "<i>Hello</i>", {styled("Hello", false, true, false)}},
    {"cut_font_close_stays_text", "a</fon", {plain("a</fon")}},
    {"font_tag_without_its_closing_quote_stays_text", "<font color=\"#123456>x", {plain("<font color=\"#123456>x")}},
    {"font_tag_cut_short_stays_text", "<font color=\"#1234", {plain("<font color=\"#1234")}},
    {"unknown_tag_stays_text", "<s>x</s>", {plain("<s>x</s>")}},
    {"lone_angle_bracket", "a < b", {plain("a < b")}},
    {"non_latin_text_is_kept", "<i>Привет</i> 日本語 مرحبا", {styled("Привет", false, true, false), plain(" 日本語 مرحبا")}},
    {"surrogate_pair_stays_whole", "<b>\xF0\x9F\x98\x80</b>", {styled("\xF0\x9F\x98\x80", true, false, false)}},
};

INSTANTIATE_TEST_SUITE_P(Lines, StyleRunsTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<RunCase> &info) { return std::string(info.param.name); });

} // namespace
} // namespace glyfex::subtitles
