// Each text format's entry lines for given subtitles and options.
#include "subtitles/renderer.h"

#include "qt_printers.h"
#include "subtitle_builder.h"

#include <gtest/gtest.h>

#include <functional>

namespace glyfex::subtitles {
namespace {

using core::TimeCode;

// Line 2 in another colour and a rectangle with a two-digit left edge, to see both in the output.
Subtitle sub(TimeCode start, TimeCode stop, QStringList lines)
{
    Subtitle s = test::makeSubtitle(start, stop, std::move(lines));
    s.lineColors[1] = 0x00FF80;
    s.rect = {12, 400, 707, 470};
    return s;
}

// 54.480 s to 55.280 s: frames 1362 and 1382 at 25 fps.
const TimeCode kStart{0, 0, 54, 480};
const TimeCode kStop{0, 0, 55, 280};
const QStringList kTwo{"A", "<i>B</i>"};

struct WriterCase {
    const char *name;
    OutputFormat format;
    std::function<void(FormatOptions &)> options;
    // The last subtitle is the one written; the ones before it are its predecessors in the store.
    std::vector<Subtitle> store;
    QStringList expected;
};

void PrintTo(const WriterCase &c, std::ostream *os)
{
    *os << c.name;
}

void none(FormatOptions &) {}
void pal25(FormatOptions &o)
{
    o.frameRateText = QStringLiteral("25.000");
}

class Writers : public testing::TestWithParam<WriterCase> {};

TEST_P(Writers, WriteTheEntryLines)
{
    const WriterCase &c = GetParam();
    FormatOptions options;
    c.options(options);
    Renderer renderer;
    ASSERT_TRUE(renderer.setOutput(c.format, options).ok());
    SubtitleStore store;
    store.subs = c.store;
    renderer.renderSubtitle(store, store.count());
    EXPECT_EQ(renderer.lines(), c.expected);
}

const auto kCases = testing::Values(
    WriterCase{"DksStartOnly", OutputFormat::Dks, none, {sub(kStart, kStop, kTwo)}, {"[00:00:54]A[br]B"}},
    WriterCase{"DksNoLines", OutputFormat::Dks, none, {sub({0, 0, 1, 501}, kStop, {})}, {"[00:00:02]"}},
    WriterCase{"DvdSubtitleHundredthsCarry",
               OutputFormat::DvdSubtitle,
               none,
               {sub({0, 0, 1, 995}, kStop, kTwo)},
               {"{T 00:00:02:00", "A", "B", "}"}},
    WriterCase{"FabPal",
               OutputFormat::FabSubtitler,
               none,
               {sub({0, 0, 0, 980}, {1, 2, 3, 500}, kTwo)},
               {"00:00:01:00  01:02:03:13", "A", "B", ""}},
    WriterCase{"FabNoLines", OutputFormat::FabSubtitler, none, {sub({0, 0, 1, 0}, {0, 0, 2, 0}, {})},
               {"00:00:01:00  00:00:02:00", ""}},
    WriterCase{"MacDvdStudioProNtscDropFrame",
               OutputFormat::MacDvdStudioPro,
               [](FormatOptions &o) {
                   o.frameRateIndex = 1;
                   o.dropFrame = true;
               },
               {sub({0, 1, 0, 10}, {0, 10, 0, 10}, kTwo)},
               {"00:01:00:02\t00:10:00:00\tA<P>B"}},
    WriterCase{"MacDvdStudioProDropFrameOnlyWithNtsc",
               OutputFormat::MacDvdStudioPro,
               none,
               {sub({0, 1, 0, 10}, {0, 1, 0, 990}, {"x"})},
               {"00:01:00:00\t00:01:01:00\tx"}},
    WriterCase{"MacSub", OutputFormat::MacSub, pal25, {sub(kStart, kStop, kTwo)}, {"/1362", "A", "B", "/1382"}},
    WriterCase{"MacSubNoLines", OutputFormat::MacSub, pal25, {sub(kStart, kStop, {})}, {"/1362", "/1382"}},
    WriterCase{"MacSubFilmRate", OutputFormat::MacSub, none, {sub({0, 0, 4, 171}, kStop, {"x"})},
               {"/100", "x", "/1325"}},
    WriterCase{"MicroDvdWholeLineStyles",
               OutputFormat::MicroDvd,
               pal25,
               {sub(kStart, kStop, {"<b><i>Hi</i></b>", "<i><b>Hi</b></i>", "say <i>now</i>"})},
               {"{1362}{1382}{y:bi}Hi|{y:i}\"Hi\"|say \"now\""}},
    WriterCase{"Mpl", OutputFormat::Mpl, pal25, {sub(kStart, kStop, kTwo)}, {"1362,1382,0,A|B"}},
    WriterCase{"Mpl2Deciseconds", OutputFormat::Mpl2, none, {sub(kStart, {10, 0, 0, 250}, kTwo)},
               {"[545][360002]A|B"}},
    WriterCase{"Phoenix", OutputFormat::PhoenixJapanimation, pal25, {sub(kStart, kStop, kTwo)},
               {"   1362,   1382, \"A|B\""}},
    WriterCase{"PowerDivX", OutputFormat::PowerDivX, none, {sub(kStart, {12, 0, 0, 501}, kTwo)},
               {"{00:00:54}{12:00:01}A|B"}},
    WriterCase{"SpruceStlMarks",
               OutputFormat::SpruceStl,
               none,
               {sub({0, 0, 1, 0}, {0, 0, 2, 0}, {"<b><i>Hi</i></b>", "<u>x</u> <b>y</b>"})},
               {"00:00:01:00,00:00:02:00,^b^iHi|\"x\" \"y\""}},
    WriterCase{"Glyfex", OutputFormat::Glyfex, none, {sub(kStart, kStop, kTwo)},
               {"1", "00:00:54,480 --> 00:00:55,280", "A", "<i>B</i>", ""}},
    WriterCase{"GlyfexExtendedColoursOffset",
               OutputFormat::Glyfex,
               [](FormatOptions &o) {
                   o.glyfexExtended = true;
                   o.glyfexFontColorTags = true;
                   o.glyfexOffset = 100;
               },
               {sub(kStart, kStop, {"x"}), sub(kStart, kStop, kTwo)},
               {"102", "00:00:54,480 --> 00:00:55,280  X1:012 X2:707 Y1:400 Y2:470",
                "<font color=\"#ffffff\">A</font>", "<font color=\"#00ff80\"><i>B</i></font>", ""}},
    WriterCase{"IAuthorViewHasCoordinatesNoColours",
               OutputFormat::IAuthor,
               [](FormatOptions &o) { o.glyfexFontColorTags = true; },
               {sub(kStart, kStop, {"pic0001.bmp"})},
               {"1", "00:00:54,480 --> 00:00:55,280  X1:012 X2:707 Y1:400 Y2:470", "pic0001.bmp", ""}},
    WriterCase{"SsaSoftBreakBeforeLowerCase", OutputFormat::SubStationAlpha, none,
               {sub(kStart, kStop, {"Hello", "world"})},
               {"Dialogue: Marked=0,0:00:54.48,0:00:55.28,Style1,Comment,0000,0000,0000,,Hello\\nworld"}},
    WriterCase{"SsaHardBreakAndWholeHour", OutputFormat::SubStationAlpha, none,
               {sub({12, 34, 56, 789}, {12, 34, 58, 0}, {"Hello", "World"})},
               {"Dialogue: Marked=0,12:34:56.78,12:34:58.00,Style1,Comment,0000,0000,0000,,Hello\\NWorld"}},
    WriterCase{"SsaStyles", OutputFormat::SubStationAlpha, none,
               {sub({1, 0, 0, 0}, {1, 0, 1, 0}, {"Hi", "<i>there</i>"})},
               {"Dialogue: Marked=0,1:00:00.00,1:00:01.00,Style1,Comment,0000,0000,0000,,Hi\\n{\\i1}there{\\i0}"}},
    WriterCase{"SsaStyleOverBreak", OutputFormat::SubStationAlpha, none,
               {sub({0, 0, 1, 0}, {0, 0, 2, 0}, {"<i>One", "Two</i> <u>u</u>"})},
               {"Dialogue: Marked=0,0:00:01.00,0:00:02.00,Style1,Comment,0000,0000,0000,,{\\i1}One\\NTwo{\\i0} u"}},
    WriterCase{"SubviewerGapEntry",
               OutputFormat::Subviewer,
               none,
               {sub({0, 0, 1, 0}, {0, 0, 4, 600}, {"x"}), sub({0, 0, 7, 0}, {0, 0, 9, 0}, kTwo)},
               {"[00:00:05]", "", "[00:00:07]", "A|B"}},
    WriterCase{"SubviewerNoGapWhenStartingAtThePreviousStop",
               OutputFormat::Subviewer,
               none,
               {sub({0, 0, 1, 0}, {0, 0, 5, 0}, {"x"}), sub({0, 0, 5, 0}, {0, 0, 9, 0}, kTwo)},
               {"[00:00:05]", "A|B"}},
    WriterCase{"SubviewerThirdLineJoinsTheSecond", OutputFormat::Subviewer, none,
               {sub({0, 0, 5, 0}, {0, 0, 9, 0}, {"A", "B", "C", "D"})}, {"[00:00:05]", "A|B C D"}},
    WriterCase{"SubviewerUnroundedAllBars",
               OutputFormat::Subviewer,
               [](FormatOptions &o) {
                   o.subviewerRoundTimes = false;
                   o.subviewerTwoLineMax = false;
               },
               {sub({0, 0, 1, 0}, {0, 0, 4, 600}, {"x"}), sub({0, 0, 4, 900}, {0, 0, 9, 0}, {"A", "B", "C"})},
               {"[00:00:04]", "", "[00:00:04]", "A|B|C"}},
    WriterCase{"Subviewer2", OutputFormat::Subviewer2, none, {sub(kStart, {0, 0, 55, 289}, kTwo)},
               {"00:00:54.48,00:00:55.28", "A[br]B", ""}},
    WriterCase{"Subviewer2PreservedStyles", OutputFormat::Subviewer2,
               [](FormatOptions &o) { o.sv2PreserveStyles = true; }, {sub(kStart, kStop, kTwo)},
               {"00:00:54.48,00:00:55.28",
                "<font color=\"#ffffff\">A</font>[br]<font color=\"#00ff80\"><i>B</i></font>", ""}},
    WriterCase{"TmPlayer1", OutputFormat::TmPlayer, none, {sub({0, 1, 2, 0}, kStop, kTwo)}, {"00:01:02:A|B"}},
    WriterCase{"TmPlayer2", OutputFormat::TmPlayer, [](FormatOptions &o) { o.tmPlayerVariant = 2; },
               {sub({0, 1, 2, 0}, kStop, kTwo)}, {"0:01:02:A|B"}},
    WriterCase{"TmPlayer3", OutputFormat::TmPlayer, [](FormatOptions &o) { o.tmPlayerVariant = 3; },
               {sub({0, 1, 2, 0}, kStop, kTwo)}, {"00:01:02=A|B"}},
    WriterCase{"TmPlayer4", OutputFormat::TmPlayer, [](FormatOptions &o) { o.tmPlayerVariant = 4; },
               {sub({10, 1, 2, 0}, kStop, kTwo)}, {"10:01:02=A|B"}},
    WriterCase{"TmPlayerUnknownVariantWritesAs1", OutputFormat::TmPlayer,
               [](FormatOptions &o) { o.tmPlayerVariant = 9; }, {sub({0, 1, 2, 0}, kStop, {})}, {"00:01:02:"}},
    WriterCase{"TmPlayer5ThreeLines", OutputFormat::TmPlayer, [](FormatOptions &o) { o.tmPlayerVariant = 5; },
               {sub({0, 1, 2, 0}, kStop, {"A", "B", "<i>C</i>"})}, {"00:01:02,1=A", "00:01:02,2=B C "}},
    WriterCase{"TmPlayer5OneLine", OutputFormat::TmPlayer, [](FormatOptions &o) { o.tmPlayerVariant = 5; },
               {sub({0, 1, 2, 0}, kStop, {"A"})}, {"00:01:02,1=A", "00:01:02,2="}},
    WriterCase{"TmPlayer5NoLines", OutputFormat::TmPlayer, [](FormatOptions &o) { o.tmPlayerVariant = 5; },
               {sub({0, 1, 2, 0}, kStop, {})}, {}},
    WriterCase{"TurboTitler", OutputFormat::TurboTitler, none, {sub(kStart, {0, 0, 55, 995}, kTwo)},
               {"0:00:54.48,0:00:56.00,NTP A|B"}},
    WriterCase{"ViPlay", OutputFormat::ViPlay, none, {sub(kStart, kStop, kTwo)},
               {"00:00:54,480-00:00:55,280=A|B"}},
    WriterCase{"ZeroG", OutputFormat::ZeroG, none, {sub(kStart, kStop, kTwo)},
               {"E 1 0:00:54.48 0:00:55.28 Default NTP A\\nB"}});

INSTANTIATE_TEST_SUITE_P(Cases, Writers, kCases, [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace glyfex::subtitles
