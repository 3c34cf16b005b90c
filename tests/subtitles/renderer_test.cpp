// The rendered text: headers and whole files against golden files, the Unicode flag, taking back the last
// subtitle, the split filter and the viewer's timing entries.
#include "subtitles/format_writers.h"
#include "subtitles/renderer.h"

#include "qt_printers.h"
#include "subtitle_builder.h"
#include "support/test_data.h"

#include <QFile>

#include <gtest/gtest.h>

namespace glyfex::subtitles {
namespace {

using core::TimeCode;

Subtitle sub(TimeCode start, TimeCode stop, QStringList lines)
{
    return test::makeSubtitle(start, stop, std::move(lines));
}

// Italics, two lines, accents and an hour above nine.
SubtitleStore sampleStore()
{
    SubtitleStore store;
    store.subs = {
        sub({0, 0, 1, 250}, {0, 0, 3, 995}, {QStringLiteral("<i>Où est-il ?</i>")}),
        sub({0, 1, 2, 500}, {0, 1, 5, 0}, {QStringLiteral("Première ligne,"), QStringLiteral("seconde ligne.")}),
        sub({10, 20, 30, 40}, {10, 20, 33, 960}, {QStringLiteral("Dix heures"), QStringLiteral("<b>Fin</b>")}),
    };
    return store;
}

QStringList fileLines(OutputFormat format, const FormatOptions &options, const SubtitleStore &store)
{
    Renderer renderer;
    EXPECT_TRUE(renderer.setOutput(format, options).ok());
    renderer.setGeneratedAt(QStringLiteral("12/10/2026 10:00:00"));
    renderer.rebuild(store);
    return renderer.lines() + trailerLines(format);
}

class WholeFiles : public testing::TestWithParam<int> {};

// The golden files hold the saved text (UTF-8, one line per line) for the default options;
// GLYFEX_WRITE_GOLDEN=1 rewrites them, and the diff is then reviewed by hand.
TEST_P(WholeFiles, MatchTheGoldenFile)
{
    const auto format = OutputFormat(GetParam());
    const QString name = QStringLiteral("subtitles/golden/%1.%2")
                             .arg(GetParam(), 2, 10, QLatin1Char('0'))
                             .arg(defaultExtension(format));
    const QString text = fileLines(format, FormatOptions{}, sampleStore()).join(QLatin1Char('\n')) + QLatin1Char('\n');
    if (qEnvironmentVariableIsSet("GLYFEX_WRITE_GOLDEN")) {
        test::writeBytes(test::dataPath(name), text.toUtf8());
        return;
    }
    const std::vector<uint8_t> golden = test::readBytes(test::dataPath(name));
    EXPECT_EQ(text, QString::fromUtf8(reinterpret_cast<const char *>(golden.data()), qsizetype(golden.size())));
}

INSTANTIATE_TEST_SUITE_P(TextFormats, WholeFiles, testing::Range(0, kFirstPictureScriptFormat + 1),
                         [](const auto &info) { return std::string(outputFormatInfo(OutputFormat(info.param)).extension) +
                                                       std::to_string(info.param); });

TEST(Renderer, HeadersFollowTheirOptions)
{
    FormatOptions o;
    o.microDvdRateLine = false;
    EXPECT_EQ(fileLines(OutputFormat::MicroDvd, o, SubtitleStore{}), QStringList{});
    o.microDvdRateLine = true;
    o.frameRateText = QStringLiteral("29,97");
    EXPECT_EQ(fileLines(OutputFormat::MicroDvd, o, SubtitleStore{}), QStringList{"{1}{1}29,97"});

    o.sv2Font = FontSpec{QStringLiteral("Verdana"), 20, 0, true, true, true, true};
    const QStringList sv2 = fileLines(OutputFormat::Subviewer2, o, SubtitleStore{});
    EXPECT_TRUE(sv2.contains(QStringLiteral("[COLF]&HFFFFFF,[STYLE]it,[SIZE]20,[FONT]Verdana"))) << sv2.join('\n').toStdString();
    o.sv2Font.italic = false;
    EXPECT_TRUE(fileLines(OutputFormat::Subviewer2, o, SubtitleStore{}).contains(
        QStringLiteral("[COLF]&HFFFFFF,[STYLE]bd,[SIZE]20,[FONT]Verdana")));

    o.ssaFont = FontSpec{QStringLiteral("Tahoma"), 24, 204, true, false, false, false};
    o.ssaColours = {0xFFFFFF, 0x00FFFF, 0x000000, 0x808080};
    EXPECT_TRUE(fileLines(OutputFormat::SubStationAlpha, o, SubtitleStore{}).contains(
        QStringLiteral("Style: Style1,Tahoma,24,16777215,65535,0,8421504,-1,0,1,2,2,2,30,30,25,0,204")));

    o.stlHorzAlign = 0;
    o.stlVertAlign = 1;
    const QStringList stl = fileLines(OutputFormat::SpruceStl, o, SubtitleStore{});
    EXPECT_TRUE(stl.contains(QStringLiteral("$HorzAlign      = Left")));
    EXPECT_TRUE(stl.contains(QStringLiteral("$VertAlign      = Center")));
}

TEST(Renderer, UnicodeFlagFollowsTheTextUntilTheNextRebuild)
{
    Renderer renderer;
    SubtitleStore store = sampleStore();
    renderer.rebuild(store);
    EXPECT_FALSE(renderer.isUnicode()); // accents of Latin-1 only
    store.subs.push_back(sub({11, 0, 0, 0}, {11, 0, 1, 0}, {QStringLiteral("Ω")}));
    renderer.renderSubtitle(store, store.count());
    EXPECT_TRUE(renderer.isUnicode());
    store.subs.pop_back();
    renderer.rebuild(store);
    EXPECT_FALSE(renderer.isUnicode());
    // Anywhere in a longer line; U+00FF itself is still a Latin-1 character.
    for (const QString &line : {QStringLiteral("abcdefgh\u0100ijk"), QStringLiteral("ÿÿÿÿÿÿÿÿÿ")}) {
        store.subs.push_back(sub({11, 0, 0, 0}, {11, 0, 1, 0}, {line}));
        renderer.rebuild(store);
        EXPECT_EQ(renderer.isUnicode(), line.contains(QChar(0x100))) << line.toStdString();
        store.subs.pop_back();
    }
    EXPECT_TRUE(renderer.isModified());
    renderer.markSaved();
    EXPECT_FALSE(renderer.isModified());
}

TEST(Renderer, RemovingTheLastSubtitleTakesBackExactlyItsLines)
{
    struct Case {
        OutputFormat format;
        std::vector<Subtitle> subs;
        qsizetype removed;
    } cases[] = {
        // MacSUB: a frame line, two text lines, a frame line.
        {OutputFormat::MacSub, {sub({0, 0, 1, 0}, {0, 0, 2, 0}, {"a", "b"})}, 4},
        // Subviewer with the previous stop written as an empty entry before it.
        {OutputFormat::Subviewer,
         {sub({0, 0, 1, 0}, {0, 0, 2, 0}, {"a"}), sub({0, 0, 5, 0}, {0, 0, 6, 0}, {"b"})},
         4},
        {OutputFormat::Glyfex, {sub({0, 0, 1, 0}, {0, 0, 2, 0}, {"a", "b"})}, 5},
        {OutputFormat::TmPlayer, {sub({0, 0, 1, 0}, {0, 0, 2, 0}, {"a", "b"})}, 1},
    };
    for (const Case &c : cases) {
        SubtitleStore store;
        store.subs = c.subs;
        Renderer renderer;
        ASSERT_TRUE(renderer.setOutput(c.format, FormatOptions{}).ok());
        renderer.rebuild(store);
        const QStringList before = renderer.lines();
        renderer.removeLastSubtitleLines(store);
        EXPECT_EQ(before.size() - renderer.lines().size(), c.removed) << int(c.format);
        EXPECT_EQ(renderer.lines(), before.mid(0, before.size() - c.removed));
        // A second call has nothing of the last subtitle left to take back.
        renderer.removeLastSubtitleLines(store);
        EXPECT_EQ(before.size() - renderer.lines().size(), c.removed) << int(c.format);
        // Rendering it again restores the text.
        renderer.renderSubtitle(store, store.count());
        EXPECT_EQ(renderer.lines(), before);
    }
}

TEST(Renderer, SplitModeWritesTheRangeNumberedAndTimedFromItsStart)
{
    SubtitleStore store;
    store.subs = {
        sub({0, 0, 50, 0}, {0, 0, 52, 0}, {"before"}),
        sub({0, 0, 59, 500}, {0, 1, 0, 500}, {"straddles"}),
        sub({0, 1, 30, 0}, {0, 2, 10, 0}, {"inside, cut"}),
        sub({0, 2, 30, 0}, {0, 2, 31, 0}, {"after"}),
    };
    Renderer renderer;
    renderer.setSplit(true, SplitRange{{0, 1, 0, 0}, {0, 2, 0, 0}});
    renderer.rebuild(store);
    EXPECT_EQ(renderer.lines(),
              (QStringList{"1", "00:00:00,000 --> 00:00:00,500", "straddles", "", "2",
                           "00:00:30,000 --> 00:01:00,000", "inside, cut", ""}));
    EXPECT_EQ(renderer.splitFirstIndex(), 0);
    // A subtitle the filter dropped wrote nothing, so nothing is taken back.
    renderer.removeLastSubtitleLines(store);
    EXPECT_EQ(renderer.lines().size(), 8);
}

TEST(Renderer, SplitSubviewerStopEntriesAreTimedLikeTheEntries)
{
    SubtitleStore store;
    store.subs = {
        sub({0, 0, 50, 0}, {0, 0, 52, 0}, {"before"}),
        sub({0, 1, 10, 0}, {0, 1, 12, 0}, {"first"}),
        sub({0, 1, 20, 0}, {0, 1, 22, 0}, {"second"}),
    };
    Renderer renderer;
    ASSERT_TRUE(renderer.setOutput(OutputFormat::Subviewer, FormatOptions{}).ok());
    renderer.setSplit(true, SplitRange{{0, 1, 0, 0}, {0, 2, 0, 0}});
    renderer.rebuild(store);
    const QStringList lines = renderer.lines().mid(renderer.lines().indexOf(QStringLiteral("******** START SCRIPT ********")) + 1);
    // No stop entry for the subtitle outside the range; the first one's stop counted from the range's start.
    EXPECT_EQ(lines, (QStringList{"[00:00:10]", "first", "[00:00:12]", "", "[00:00:20]", "second"}));
}

TEST(Renderer, ViewerTimingEntriesAreFramesOfTheVideoRate)
{
    SubtitleStore store;
    store.subs = {sub({0, 0, 1, 0}, {0, 0, 2, 0}, {"a"}), sub({0, 0, 4, 0}, {0, 0, 5, 20}, {"b"})};
    Renderer renderer;
    renderer.setViewerTiming(ViewerTiming{true, 25000});
    // Entries are made before the split filter: a dropped subtitle keeps its entry.
    renderer.setSplit(true, SplitRange{{0, 0, 3, 0}, {0, 0, 9, 0}});
    renderer.rebuild(store);
    EXPECT_EQ(renderer.viewerTimingEntries(), (QStringList{"0,25,50,100,420", "1,100,126,100,420"}));
    renderer.rebuild(store);
    EXPECT_EQ(renderer.viewerTimingEntries().size(), 2);
    renderer.removeLastSubtitleLines(store);
    EXPECT_EQ(renderer.viewerTimingEntries().size(), 1);
}

TEST(Renderer, RefusedFrameRateKeepsTheOutput)
{
    Renderer renderer;
    FormatOptions o;
    o.frameRateText = QStringLiteral("25");
    ASSERT_TRUE(renderer.setOutput(OutputFormat::MicroDvd, o).ok());
    o.frameRateText = QStringLiteral("0");
    const auto refused = renderer.setOutput(OutputFormat::Mpl, o);
    ASSERT_FALSE(refused.ok());
    EXPECT_TRUE(refused.error().message().contains(QStringLiteral("above zero")));
    EXPECT_EQ(renderer.format(), OutputFormat::MicroDvd);
    EXPECT_EQ(renderer.frameRateX1000(), 25000u);
}

TEST(OutputFormatTable, RowsAndFilters)
{
    EXPECT_EQ(saveFilter(OutputFormat::Dks), QStringLiteral("Dks (*.dks)|*.dks|All|*.*"));
    EXPECT_EQ(saveFilter(OutputFormat::MicroDvd), QStringLiteral("MicroDVD (*.sub; *.txt)|*.sub;*.txt|All|*.*"));
    EXPECT_EQ(saveFilter(OutputFormat::SpruceStl), QStringLiteral("Spruce subtitle (*.stl)|*.stl|All|*.*"));
    EXPECT_EQ(saveFilter(OutputFormat::IAuthor), QStringLiteral("IAuthor OGT (*.txt)|*.txt|All|*.*"));
    EXPECT_EQ(saveFilter(OutputFormat::SpruceDvdMaestro), QStringLiteral("DVDMaestro (*.son)|*.son|All|*.*"));
    EXPECT_EQ(defaultExtension(OutputFormat::Glyfex), QStringLiteral("gxt"));
    for (int i = 0; i < kOutputFormatCount; ++i)
        EXPECT_EQ(int(outputFormatInfo(OutputFormat(i)).format), i);
    EXPECT_FALSE(isValidOutputFormat(25));
    EXPECT_TRUE(isPictureScript(OutputFormat::IAuthor));
    EXPECT_FALSE(isPictureScript(OutputFormat::ZeroG));
}

} // namespace
} // namespace glyfex::subtitles
