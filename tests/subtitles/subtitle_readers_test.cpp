// The format detection, the line reader and the 14 readers, on hand-made files and on our own writers' files.
#include "subtitles/format_writers.h"
#include "subtitles/renderer.h"
#include "subtitles/subtitle_loader.h"
#include "subtitles/subtitle_saver.h"

#include "qt_printers.h"
#include "subtitle_builder.h"

#include <gtest/gtest.h>

namespace glyfex::subtitles {
namespace {

using core::TimeCode;
using K = SubtitleFileKind;

int64_t ms(const TimeCode &t)
{
    return core::timeCodeToMilliseconds(t);
}

// Answers the failed-entry question from a list (then Ignore) and keeps the entry numbers it was asked about.
struct ScriptedAnswers {
    std::vector<ParseErrorAnswer> answers;
    std::vector<int> askedAbout{};
    ParseErrorHandler handler()
    {
        return [this](int number, const core::Error &) {
            askedAbout.push_back(number);
            if (answers.empty())
                return ParseErrorAnswer::Ignore;
            const ParseErrorAnswer a = answers.front();
            answers.erase(answers.begin());
            return a;
        };
    }
};

core::Result<LoadResult> load(const QByteArray &bytes, ScriptedAnswers *answers = nullptr,
                              LoadSettings settings = {})
{
    return loadSubtitleBytes(bytes, QStringLiteral("test file"), settings,
                             answers ? answers->handler() : ParseErrorHandler());
}

// The subtitles of a file that must load, as "start-stop:line|line" with times in ms.
QStringList entries(const QByteArray &bytes, LoadSettings settings = {})
{
    auto loaded = load(bytes, nullptr, settings);
    if (!loaded) {
        ADD_FAILURE() << loaded.error().message().toStdString();
        return {};
    }
    QStringList out;
    for (const Subtitle &s : loaded->store.subs)
        out << QStringLiteral("%1-%2:%3").arg(ms(s.start)).arg(ms(s.stop)).arg(s.lines.join(QLatin1Char('|')));
    return out;
}

// --- detection -----------------------------------------------------------------------------------------

TEST(SubtitleFileKind, TheLastTestThatHoldsDecides)
{
    const struct {
        const char16_t *first;
        const char16_t *second;
        K kind;
    } cases[] = {
        {u"1", u"00:00:01,000 --> 00:00:03,000", K::Glyfex},
        {u"-1", u"00:00:01,000 --> 00:00:03,000", K::Unknown},
        {u"{1}{1}23.976", u"{100}{200}Text", K::MicroDvd},
        {u"{00:00:01}{00:00:03}Text", u"", K::PowerDivX},
        {u"[INFORMATION]", u"[TITLE]", K::SubViewer2},
        {u"[information]", u"", K::Mpl2},
        {u"[TITLE]", u"x", K::Mpl2},
        {u"[12][35]Hello", u"", K::Mpl2},
        {u"[00:00:01]Text", u"", K::Dks},
        {u"00:00:01:Text", u"", K::TmPlayer},
        {u"0:00:01=Text", u"", K::TmPlayer},
        {u"00:00:01,1=Text", u"00:00:01,2=Text", K::TmPlayerMultiLine},
        {u"0:00:01.00,0:00:03.00,NTP Text", u"", K::TurboTitler},
        {u"30,84,0,Hello", u"", K::Mpl},
        {u"/30", u"Hello", K::MacSub},
        {u"{* VIPLAY SUBTITLE FILE *}", u"", K::ViPlay},
        {u"% Zero G 1.0", u"E 1 0:00:01.00", K::ZeroG},
        {u"     30,     84, \"Hello\"", u"", K::Phoenix},
        {u"Dialogue: Marked=0", u"", K::Unknown},
        {u"", u"", K::Unknown},
    };
    for (const auto &c : cases)
        EXPECT_EQ(detectSubtitleFileKind(QStringView(c.first), QStringView(c.second)), c.kind)
            << QString::fromUtf16(c.first).toStdString();
}

// --- the line reader --------------------------------------------------------------------------------------

TEST(SubtitleLineReader, SplitsAtLineFeedsAndDropsEveryCarriageReturn)
{
    auto ansi = SubtitleLineReader::fromBytes(QByteArray("a\r\nb\rc\n\nd"), 1252);
    ASSERT_TRUE(ansi.ok());
    EXPECT_EQ(ansi->lines(), (QStringList{"a", "bc", "", "d"}));
    EXPECT_FALSE(ansi->hasByteOrderMark());
    EXPECT_EQ(SubtitleLineReader::rawLines("a\r\nb\rc\n\nd"), (QList<QByteArray>{"a", "bc", "", "d"}));

    // Only the code units U+000A and U+000D separate: U+0A0D and U+010D are characters.
    const QString text = QStringLiteral("\u010D\u0A0D\r\nx\ry\n");
    QByteArray utf16("\xFF\xFE", 2);
    for (QChar c : text)
        utf16.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
    auto wide = SubtitleLineReader::fromBytes(utf16, 1252);
    ASSERT_TRUE(wide.ok());
    EXPECT_EQ(wide->encoding(), SubtitleLineReader::Encoding::Utf16Le);
    EXPECT_EQ(wide->lines(), (QStringList{QStringLiteral("\u010D\u0A0D"), "xy"}));

    auto utf8 = SubtitleLineReader::fromBytes(QByteArray("\xEF\xBB\xBF" "1\n\xC3\xA9t\xC3\xA9\n"), 1251);
    ASSERT_TRUE(utf8.ok());
    EXPECT_EQ(utf8->lines(), (QStringList{"1", QStringLiteral("été")})) << "the mark wins over the chosen page";

    auto bomOnly = SubtitleLineReader::fromBytes(QByteArray("\xFF\xFE", 2), 1252);
    ASSERT_TRUE(bomOnly.ok());
    EXPECT_EQ(bomOnly->encoding(), SubtitleLineReader::Encoding::CodePage) << "a mark needs one byte more";
}

// --- the readers on hand-made files ---------------------------------------------------------------------

TEST(SubtitleReaders, ReadEachLayout)
{
    const struct {
        const char *name;
        QByteArray file;
        QStringList expected;
    } cases[] = {
        {"gxt, colour and style tags", "\n\n1\r\n00:00:01,000 --> 00:00:03,500\r\n<font color=\"#ff8000\">Hi</font>\r\n{y:i}{y:b}So\r\n\r\n",
         {"1000-3500:Hi|<b><i>So</i></b>"}},
        {"MicroDVD without rate line uses the window's", "{25}{50}A|B\n{100}{}C\n",
         {"1043-2085:A|B", "4171-6673:C"}},
        {"MicroDVD rate line", "{1}{1}25.000\n{25}{50}A\n", {"1000-2000:A"}},
        {"MicroDVD short rate line", "{0}{0}25\n{25}{50}A\n", {"1000-2000:A"}},
        {"MicroDVD 11-character rate line", "{1}{1}23.98\n{2398}{4796}A\n", {"100000-200000:A"}},
        {"MicroDVD carried style", "{1}{50}{Y:i}One|Two|{y:b}Three|\n{60}{90}{y:i}One|Two\n",
         {"42-2085:<i>One</i>|<i>Two</i>|<i>{y:b}Three</i>", "2503-3754:<i>One</i>|Two"}},
        {"Mpl2", "[10][25]A|B\n[30][]C\n", {"1000-2500:A|B", "3000-5500:C"}},
        {"TMPlayer", "00:00:05:Hello\n00:00:07:\n0:00:10=World|Two\n",
         {"5000-6800:Hello", "7000-9500:", "10000-12500:World|Two"}},
        {"TMPlayer numbered", "00:01:02,1=A\n00:01:02,2=B C \n00:01:05,1=D\n00:01:05,2=\n",
         {"62000-64500:A|B C", "65000-67500:D"}},
        {"Mpl", "25,50,0,A|B\n", {"1043-2085:A|B"}},
        {"Dks", "[00:00:05]A[br]B\n[00:00:06]C\n", {"5000-5800:A|B", "6000-8500:C"}},
        {"MacSUB", "/25\nA\nB\n/50\n/75\n/100\n", {"1043-2085:A|B"}},
        {"ViPlay", "{* VIPLAY SUBTITLE FILE *}\n00:00:01,000-00:00:02,500=A|B\n", {"1000-2500:A|B"}},
        {"ZeroG reads its first entry", "% Zero G 1.0\n\nE 1 0:00:01.00 0:00:02.50 Default NTP A\\nB\n",
         {"1000-2500:A|B"}},
        {"Turbo Titler", "0:00:01.00,0:00:02.50,NTP A|B\n", {"1000-2500:A|B"}},
        {"PowerDivX", "{00:00:01}{00:00:03}A|B\n", {"1000-3000:A|B"}},
        {"Phoenix wider than seven columns", "   1362,   1382, \"A|B\"\n123456789,123456800, \"C\"\n",
         {"56807-57641:A|B", "5149182057-5149182516:C"}},
        {"SubViewer 2 without a colour line", "[INFORMATION]\n[TITLE]T\n[END INFORMATION]\n[SUBTITLE]\n"
                                              "00:00:01.25,00:00:03.50\nA[br]<font color=\"#00ff00\">B</font>\n",
         {"1250-3500:A|B"}},
        {"SubViewer 2 with blank lines in its header", "[INFORMATION]\n\n[TITLE]T\n\n[COLF]&HFFFFFF,[STYLE]no,[SIZE]18,[FONT]Arial\n"
                                                       "\n00:00:01.25,00:00:03.50\nA\n",
         {"1250-3500:A"}},
        {"entries at 0 are dropped only where the format says",
         "00:00:00:Zero\n00:00:01:One\n", {"1000-3500:One"}},
    };
    LoadSettings settings; // 23.976 fps, 2.5 s for entries without a stop, 200 ms gap
    for (const auto &c : cases)
        EXPECT_EQ(entries(c.file, settings), c.expected) << c.name;
}

TEST(SubtitleReaders, StatedOptionsComeBack)
{
    auto gxt = load("101\n00:00:01,000 --> 00:00:02,000  X1:100 X2:620 Y1:400 Y2:450\nA\n");
    ASSERT_TRUE(gxt.ok());
    EXPECT_EQ(gxt->options.glyfexOffset, 100);
    EXPECT_EQ(gxt->options.glyfexExtended, true);
    const Subtitle &s = gxt->store.at(1);
    EXPECT_EQ((std::array{s.rect.left, s.rect.top, s.rect.right, s.rect.bottom}), (std::array{100, 400, 620, 450}));

    auto sv2 = load("[INFORMATION]\n[TITLE]Film\n[SOURCE]\n[DELAY]x\n[CD TRACK]2\n[COLF]&HFFFFFF,[STYLE]it,[SIZE]24,[FONT]Sans Serif\n"
                    "00:00:01.00,00:00:02.00\nA\n");
    ASSERT_TRUE(sv2.ok());
    FormatOptions options;
    sv2->options.applyTo(options);
    EXPECT_EQ(options.sv2Title, QStringLiteral("Film"));
    EXPECT_EQ(options.sv2Source, FormatOptions{}.sv2Source) << "an empty source keeps the option";
    EXPECT_EQ(options.sv2Delay, 0);
    EXPECT_EQ(options.sv2CdTrack, 2);
    EXPECT_TRUE(options.sv2Font.italic);
    EXPECT_FALSE(options.sv2Font.bold);
    EXPECT_EQ(options.sv2Font.size, 24);
    EXPECT_EQ(options.sv2Font.name, QStringLiteral("Sans Serif"));

    auto microDvd = load("{1}{1}29.970\n{30}{60}A\n");
    ASSERT_TRUE(microDvd.ok());
    EXPECT_EQ(microDvd->options.frameRateText, QStringLiteral("29.970"));
    EXPECT_EQ(microDvd->options.frameRateIndex, 1) << "NTSC frame time codes at 29.97 fps";
    EXPECT_EQ(ms(microDvd->store.at(1).start), 1001);
}

TEST(SubtitleReaders, FailedEntriesAskOnceEachUnlessToldOtherwise)
{
    // Two bad entries between good ones; blank lines at the end ask nothing.
    const QByteArray file = "00:00:01:A\nxx:00:02:B\n00:00:03:C\n00:0y:04:D\n00:00:05:E\n\n\n\n";
    ScriptedAnswers ignore;
    auto all = load(file, &ignore);
    ASSERT_TRUE(all.ok());
    EXPECT_EQ(all->store.count(), 3);
    EXPECT_EQ(all->failedEntries, 2);
    EXPECT_EQ(ignore.askedAbout, (std::vector<int>{2, 3})) << "the number the entry would have had";

    ScriptedAnswers yesToAll{{ParseErrorAnswer::IgnoreAll}};
    ASSERT_TRUE(load(file, &yesToAll).ok());
    EXPECT_EQ(yesToAll.askedAbout.size(), 1u);

    ScriptedAnswers cancel{{ParseErrorAnswer::Stop}};
    auto stopped = load(file, &cancel);
    ASSERT_TRUE(stopped.ok());
    EXPECT_TRUE(stopped->cancelled);
    EXPECT_TRUE(stopped->store.isEmpty()) << "a cancelled open gives nothing to take";
}

TEST(SubtitleReaders, FaultsOfTheLayoutsAreRefusedSoundly)
{
    // A blank times line fails its entry instead of taking the previous entry's times.
    ScriptedAnswers answers;
    auto gxt = load("1\n00:00:01,000 --> 00:00:02,000\nA\n\n2\n\nB\n\n3\n00:00:05,000 --> 00:00:06,000\nC\n", &answers);
    ASSERT_TRUE(gxt.ok());
    ASSERT_EQ(gxt->store.count(), 2);
    EXPECT_EQ(gxt->store.at(2).lines, QStringList{"C"});
    EXPECT_EQ(answers.askedAbout, std::vector<int>{2}) << "the .gxt entry number";

    // A repaired stop never ends before its own start, whatever the gap.
    LoadSettings wideGap;
    wideGap.minGapMs = 5000;
    EXPECT_EQ(entries("00:00:05:A\n00:00:07:B\n", wideGap), (QStringList{"5000-5000:A", "7000-9500:B"}));

    // Frame rates of 0 or less are refused: the window's for the frame formats, a file's rate line is not used.
    LoadSettings noRate;
    noRate.frameRateText = QStringLiteral("0");
    auto refused = load("25,50,0,A\n", nullptr, noRate);
    ASSERT_FALSE(refused.ok());
    EXPECT_TRUE(refused.error().why.contains(QStringLiteral("above zero")));
    EXPECT_TRUE(load("00:00:05:A\n", nullptr, noRate).ok()) << "formats without frames do not need the rate";
    auto zeroLine = load("{1}{1}0.000\n{25}{50}A\n");
    ASSERT_TRUE(zeroLine.ok());
    EXPECT_FALSE(zeroLine->options.frameRateText.has_value());
    EXPECT_EQ(zeroLine->warnings.size(), 1);
    EXPECT_EQ(ms(zeroLine->store.at(1).start), 1043) << "timed at the window's rate";

    // Fixed-position fields of short lines are read without reaching past their end.
    for (const char *shortLine : {"{* VIPLAY *}\n0", "% Zero G\nE", "{00:0", "[0", "/", "{1}{", "1\n0"}) {
        ScriptedAnswers quiet;
        EXPECT_FALSE(load(shortLine, &quiet).ok()) << shortLine;
    }

    // Binary data and files that are not subtitles.
    EXPECT_TRUE(load(QByteArray("1\n00:00:01,000 --> 00:00:02,000\nA") + '\0' + "B\n").error().what.contains(
        QStringLiteral("Not a subtitle file")));
    for (const QByteArray &unknown : {QByteArray(), QByteArray("\n \n"), QByteArray("\xFF\xFE\x0A\x00", 4)}) {
        auto none = load(unknown);
        ASSERT_TRUE(none.ok());
        EXPECT_EQ(none->kind, K::Unknown);
    }
    ScriptedAnswers onlyFailures;
    auto nothing = load("[TITLE]\nx\n", &onlyFailures);
    ASSERT_FALSE(nothing.ok()) << "a file of which nothing could be read is no load";
    EXPECT_TRUE(nothing.error().why.contains(QStringLiteral("none of its")));
}

TEST(SubtitleReaders, TheStoreLimitEndsReadingWithAWarning)
{
    QByteArray file;
    for (int i = 0; i < SubtitleStore::kCapacity + 5; ++i)
        file += "[" + QByteArray::number(i * 10 + 10) + "][" + QByteArray::number(i * 10 + 15) + "]x\n";
    auto loaded = load(file);
    ASSERT_TRUE(loaded.ok());
    EXPECT_EQ(loaded->store.count(), SubtitleStore::kCapacity);
    EXPECT_EQ(loaded->warnings.size(), 1);
}

// --- our own files read back ------------------------------------------------------------------------------

SubtitleStore roundTripStore()
{
    using test::makeSubtitle;
    SubtitleStore store;
    store.subs = {
        makeSubtitle({0, 0, 1, 250}, {0, 0, 3, 995}, {QStringLiteral("<i>Où est-il ?</i>")}),
        makeSubtitle({0, 1, 2, 512}, {0, 1, 5, 0}, {QStringLiteral("Première ligne,"), QStringLiteral("l'été dernier.")}),
        makeSubtitle({1, 2, 3, 456}, {1, 2, 6, 789}, {QStringLiteral("<b>Ça va</b>"), QStringLiteral("très bien")}),
        makeSubtitle({2, 0, 0, 40}, {2, 0, 2, 960}, {QStringLiteral("Привет"), QStringLiteral("Two"), QStringLiteral("Three")}),
    };
    store.subs[1].lineColours[1] = 0x00FF80;
    return store;
}

QByteArray written(OutputFormat format, const FormatOptions &options, const SubtitleStore &store)
{
    Renderer renderer;
    EXPECT_TRUE(renderer.setOutput(format, options).ok());
    renderer.rebuild(store);
    auto bytes = encodeSubtitleText(renderer.lines() + trailerLines(format), true, 1252);
    EXPECT_TRUE(bytes.ok());
    return bytes.ok() ? *bytes : QByteArray();
}

struct RoundTrip {
    const char *name;
    OutputFormat format;
    K kind;
    std::function<void(FormatOptions &)> options;
};

// Listings show a row by its name rather than by its bytes, which hold pointers and change from run to run.
void PrintTo(const RoundTrip &r, std::ostream *os) { *os << r.name; }

class OwnFiles : public testing::TestWithParam<RoundTrip> {};

TEST_P(OwnFiles, WriteReadWriteGivesTheSameBytes)
{
    const RoundTrip &c = GetParam();
    FormatOptions options;
    options.frameRateText = QStringLiteral("25.000");
    if (c.options)
        c.options(options);
    const QByteArray first = written(c.format, options, roundTripStore());
    LoadSettings settings;
    settings.frameRateText = options.frameRateText;
    ScriptedAnswers answers;
    auto loaded = loadSubtitleBytes(first, QStringLiteral("own file"), settings, answers.handler());
    ASSERT_TRUE(loaded.ok()) << loaded.error().message().toStdString();
    EXPECT_EQ(loaded->kind, c.kind);
    EXPECT_TRUE(answers.askedAbout.empty());
    EXPECT_EQ(loaded->store.count(), roundTripStore().count());
    loaded->options.applyTo(options);
    EXPECT_EQ(written(c.format, options, loaded->store), first);
}

INSTANTIATE_TEST_SUITE_P(
    AllFourteen, OwnFiles,
    testing::Values(
        RoundTrip{"Glyfex", OutputFormat::Glyfex, K::Glyfex, [](FormatOptions &o) { o.glyfexOffset = 100; }},
        RoundTrip{"GlyfexExtendedWithColours", OutputFormat::Glyfex, K::Glyfex,
                  [](FormatOptions &o) {
                      o.glyfexExtended = true;
                      o.glyfexFontColourTags = true;
                  }},
        RoundTrip{"MicroDvd", OutputFormat::MicroDvd, K::MicroDvd, {}},
        RoundTrip{"MicroDvdWithoutRateLine", OutputFormat::MicroDvd, K::MicroDvd,
                  [](FormatOptions &o) { o.microDvdRateLine = false; }},
        RoundTrip{"Mpl2", OutputFormat::Mpl2, K::Mpl2, {}},
        RoundTrip{"TmPlayer", OutputFormat::TmPlayer, K::TmPlayer, {}},
        RoundTrip{"TmPlayerShortHours", OutputFormat::TmPlayer, K::TmPlayer, [](FormatOptions &o) { o.tmPlayerVariant = 4; }},
        RoundTrip{"TmPlayerNumbered", OutputFormat::TmPlayer, K::TmPlayerMultiLine,
                  [](FormatOptions &o) { o.tmPlayerVariant = 5; }},
        RoundTrip{"Mpl", OutputFormat::Mpl, K::Mpl, {}},
        RoundTrip{"Dks", OutputFormat::Dks, K::Dks, {}},
        RoundTrip{"MacSub", OutputFormat::MacSub, K::MacSub, {}},
        RoundTrip{"ViPlay", OutputFormat::ViPlay, K::ViPlay, {}},
        RoundTrip{"ZeroG", OutputFormat::ZeroG, K::ZeroG, {}},
        RoundTrip{"TurboTitler", OutputFormat::TurboTitler, K::TurboTitler, {}},
        RoundTrip{"PowerDivX", OutputFormat::PowerDivX, K::PowerDivX, {}},
        RoundTrip{"Phoenix", OutputFormat::PhoenixJapanimation, K::Phoenix, {}},
        RoundTrip{"SubViewer2", OutputFormat::Subviewer2, K::SubViewer2,
                  [](FormatOptions &o) {
                      o.sv2Title = QStringLiteral("Title");
                      o.sv2Font.italic = true;
                      o.sv2Font.size = 22;
                  }},
        RoundTrip{"SubViewer2WithColours", OutputFormat::Subviewer2, K::SubViewer2,
                  [](FormatOptions &o) { o.sv2PreserveStyles = true; }}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace glyfex::subtitles
