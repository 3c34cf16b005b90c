// Saving: the byte layout of Unicode and code-page files (checked against iconv), the palette file, the
// viewer index, the Unicode question, and failures that must leave earlier files alone.
#include "subtitles/renderer.h"
#include "subtitles/subtitle_saver.h"

#include "qt_printers.h"
#include "support/test_data.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <deque>
#include <ostream>

namespace glyfex::subtitles {
namespace {

// Records what the user is told and answers confirmations from a script.
class ScriptedPrompt : public core::UserPrompt {
public:
    QStringList warnings;
    QStringList questions;
    core::Answer answer = core::Answer::No;
    void warn(const QString &text) override { warnings << text; }
    void error(const QString &text) override { warnings << text; }
    void inform(const QString &) override {}
    core::Answer confirm(const QString &text) override
    {
        questions << text;
        return answer;
    }
    core::Answer ask(const QString &text) override
    {
        questions << text;
        return answer;
    }
};

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class Saver : public testing::Test {
protected:
    QTemporaryDir dir;
    core::MessageTable messages;
    ScriptedPrompt prompt;

    QString path(const QString &name) const { return dir.filePath(name); }

    core::Result<SaveReport> save(SaveRequest request)
    {
        return saveSubtitleFile(request, messages, prompt);
    }
};

TEST_F(Saver, UnicodeFileHasByteOrderMarkAndWideLineEnds)
{
    SaveRequest r;
    r.path = path(QStringLiteral("u.gxt"));
    r.lines = {QStringLiteral("1"), QStringLiteral("Ωa")};
    r.unicode = true;
    ASSERT_TRUE(save(r).ok());
    EXPECT_EQ(readAll(r.path), QByteArray("\xFF\xFE" "1\0\r\0\n\0" "\xA9\x03" "a\0\r\0\n\0", 16));
}

TEST_F(Saver, AnsiFileHasCrLfAndNoByteOrderMarkAndTheTrailer)
{
    SaveRequest r;
    r.path = path(QStringLiteral("a.sub"));
    r.format = OutputFormat::Subviewer;
    r.lines = {QStringLiteral("[00:00:01]"), QStringLiteral("Où")};
    r.codePage = 1252;
    const auto report = save(r);
    ASSERT_TRUE(report.ok());
    EXPECT_TRUE(report->saved);
    EXPECT_EQ(readAll(r.path), QByteArray("[00:00:01]\r\nO\xF9\r\n[END]\r\n******** End Script ********\r\n"));
    EXPECT_TRUE(prompt.warnings.isEmpty());
}

TEST_F(Saver, IAuthorListIsNotSavedAsItsScript)
{
    SaveRequest r;
    r.path = path(QStringLiteral("ia.txt"));
    r.format = OutputFormat::IAuthor;
    r.lines = {QStringLiteral("1")};
    EXPECT_FALSE(save(r).ok());
    EXPECT_FALSE(QFile::exists(r.path));
}

TEST_F(Saver, EmptyListSavesNothing)
{
    SaveRequest r;
    r.path = path(QStringLiteral("none.gxt"));
    const auto report = save(r);
    ASSERT_TRUE(report.ok());
    EXPECT_FALSE(report->saved);
    EXPECT_FALSE(QFile::exists(r.path));
}

// The bytes iconv makes of the same text, with CR LF line ends, from UTF-8.
QByteArray iconvOf(const QStringList &lines, const char *iconvName)
{
    QProcess p;
    p.start(QStringLiteral("iconv"), {QStringLiteral("-f"), QStringLiteral("UTF-8"), QStringLiteral("-t"),
                                      QString::fromLatin1(iconvName)});
    EXPECT_TRUE(p.waitForStarted());
    p.write((lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8());
    p.closeWriteChannel();
    EXPECT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 0) << iconvName << ": " << p.readAllStandardError().toStdString();
    return p.readAllStandardOutput();
}

struct CodePageCase {
    uint16_t codePage;
    const char *iconvName;
    const char *text; // UTF-8; every character is one the page holds
};

// The row's name, so that test names stay readable and stable.
void PrintTo(const CodePageCase &c, std::ostream *os)
{
    *os << "cp" << c.codePage;
}

class CodePageOutput : public testing::TestWithParam<CodePageCase> {};

TEST_P(CodePageOutput, MatchesIconv)
{
    const CodePageCase &c = GetParam();
    QTemporaryDir dir;
    core::MessageTable messages;
    ScriptedPrompt prompt;
    // The rendered .gxt entry, so numbers, times and the text all go through the page.
    SubtitleStore store;
    Subtitle s;
    s.start = {0, 0, 1, 250};
    s.stop = {0, 0, 2, 500};
    s.lines = QString::fromUtf8(c.text).split(QLatin1Char('|'));
    store.subs.push_back(s);
    Renderer renderer;
    renderer.rebuild(store);

    SaveRequest r;
    r.path = dir.filePath(QStringLiteral("cp.gxt"));
    r.lines = renderer.lines();
    r.codePage = c.codePage;
    const auto report = saveSubtitleFile(r, messages, prompt);
    ASSERT_TRUE(report.ok()) << report.error().message().toStdString();
    EXPECT_EQ(report->unmappable, 0);
    EXPECT_EQ(readAll(r.path), iconvOf(r.lines, c.iconvName));
}

INSTANTIATE_TEST_SUITE_P(
    Pages, CodePageOutput,
    testing::Values(CodePageCase{1250, "CP1250", "Příliš žluťoučký kůň|úpěl ďábelské ódy"},
                    CodePageCase{1251, "CP1251", "Съешь же ещё этих|мягких булок"},
                    CodePageCase{1252, "CP1252", "Où est l'été ?|Ça coûte 5 € — «non»"},
                    CodePageCase{1253, "CP1253", "Ξεσκεπάζω την|ψυχοφθόρα βδελυγμία"},
                    CodePageCase{1254, "CP1254", "Pijamalı hasta yağız şoföre|çabucak güvendi"},
                    CodePageCase{1255, "CP1255", "דג סקרן שט בים|מאוכזב ולפתע"},
                    CodePageCase{1256, "CP1256", "نص حكيم له سر|قاطع وذو شأن"},
                    CodePageCase{874, "CP874", "เป็นมนุษย์สุดประเสริฐ|เลิศคุณค่า"},
                    CodePageCase{932, "CP932", "いろはにほへと|ちりぬるを ｶﾀｶﾅ"},
                    CodePageCase{936, "CP936", "我能吞下玻璃|而不伤身体"},
                    CodePageCase{949, "CP949", "다람쥐 헌 쳇바퀴에|타고파"},
                    CodePageCase{950, "CP950", "我能吞下玻璃|而不傷身體"},
                    CodePageCase{65001, "UTF-8", "Où|Ω 我 🎬"},
                    CodePageCase{1200, "UTF-16LE", "Où|Ω 我 🎬"},
                    CodePageCase{12000, "UTF-32LE", "Où|Ω 我 🎬"}),
    [](const auto &info) { return "cp" + std::to_string(info.param.codePage); });

TEST_F(Saver, CharactersThePageCannotHoldAreCountedAndTheSaveGoesAhead)
{
    SaveRequest r;
    r.path = path(QStringLiteral("lossy.gxt"));
    r.lines = {QStringLiteral("Ω and 我"), QStringLiteral("é")};
    r.codePage = 1252;
    const auto report = save(r);
    ASSERT_TRUE(report.ok());
    EXPECT_EQ(report->unmappable, 2);
    ASSERT_EQ(prompt.warnings.size(), 1);
    EXPECT_TRUE(prompt.warnings[0].contains(QStringLiteral("2 characters"))) << prompt.warnings[0].toStdString();
    EXPECT_EQ(readAll(r.path), QByteArray("? and ?\r\n\xE9\r\n"));
}

TEST_F(Saver, UnknownCodePageAbortsAndLeavesThePreviousFile)
{
    SaveRequest r;
    r.path = path(QStringLiteral("keep.stl"));
    r.format = OutputFormat::SpruceStl;
    test::writeBytes(r.path, "previous");
    r.lines = {QStringLiteral("text")};
    r.codePage = 4711;
    r.palette = stlPalette({0x808080, 0, 0xFFFFFF, 0});
    const auto report = save(r);
    ASSERT_FALSE(report.ok());
    EXPECT_TRUE(report.error().message().contains(QStringLiteral("Text NOT saved!")));
    EXPECT_TRUE(report.error().message().contains(QStringLiteral("4711"))) << report.error().message().toStdString();
    EXPECT_EQ(readAll(r.path), QByteArray("previous"));
    EXPECT_FALSE(QFile::exists(paletteFilePath(r.path)));
}

TEST_F(Saver, UnwritablePlaceIsReportedAndNoPaletteIsWritten)
{
    test::writeBytes(path(QStringLiteral("file")), "x");
    SaveRequest r;
    r.path = path(QStringLiteral("file/inside.stl")); // a folder that is a file
    r.format = OutputFormat::SpruceStl;
    r.lines = {QStringLiteral("text")};
    r.palette = stlPalette({0x808080, 0, 0xFFFFFF, 0});
    const auto report = save(r);
    ASSERT_FALSE(report.ok());
    EXPECT_TRUE(report.error().message().contains(QStringLiteral("Cannot write to file")));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"file"});
}

TEST_F(Saver, SprucePaletteFileHoldsTheFourColours)
{
    SaveRequest r;
    r.path = path(QStringLiteral("sp.stl"));
    r.format = OutputFormat::SpruceStl;
    r.lines = {QStringLiteral("//")};
    // Colour values are 0x00BBGGRR: red in the low byte.
    r.palette = stlPalette({0x808080, 0x0000FF, 0xFF0000, 0x00FF00});
    const auto report = save(r);
    ASSERT_TRUE(report.ok());
    EXPECT_EQ(report->palettePath, path(QStringLiteral("sp.spf")));
    QByteArray expected(64, '\0');
    expected.replace(0, 12, QByteArray("\x80\x80\x80\0\xFF\0\0\0\0\0\xFF\0", 12));
    expected.replace(13, 1, QByteArray("\xFF", 1));
    EXPECT_EQ(readAll(report->palettePath), expected);
}

TEST_F(Saver, ViewerIndexHasOneCountLineOnEverySave)
{
    SaveRequest r;
    r.path = path(QStringLiteral("v.gxt"));
    r.lines = {QStringLiteral("1")};
    r.viewerIndex = SaveRequest::ViewerIndex{dir.path(), {QStringLiteral("0,25,50,100,420"), QStringLiteral("1,100,126,100,420")}};
    for (int i = 0; i < 2; ++i) {
        const auto report = save(r);
        ASSERT_TRUE(report.ok());
        EXPECT_EQ(readAll(report->indexPath), QByteArray("2\r\n0,25,50,100,420\r\n1,100,126,100,420\r\n"));
    }
}

TEST(SaveAs, UnicodeQuestionOnlyForCharactersAboveLatin1)
{
    core::MessageTable messages;
    struct Case {
        const char *name;
        bool isUnicode;
        bool commandLine;
        core::Answer answer;
        SaveEncoding expected;
        int questions;
    } cases[] = {
        {"Latin1OpensThePanel", false, false, core::Answer::Yes, SaveEncoding::ChooseCodePage, 0},
        {"UnicodeYes", true, false, core::Answer::Yes, SaveEncoding::Unicode, 1},
        {"UnicodeNoOpensThePanel", true, false, core::Answer::No, SaveEncoding::ChooseCodePage, 1},
        {"CommandLineUnicode", true, true, core::Answer::No, SaveEncoding::Unicode, 0},
        {"CommandLineLatin1", false, true, core::Answer::Yes, SaveEncoding::AnsiNow, 0},
    };
    for (const Case &c : cases) {
        ScriptedPrompt prompt;
        prompt.answer = c.answer;
        EXPECT_EQ(chooseSaveEncoding(c.isUnicode, c.commandLine, messages, prompt), c.expected) << c.name;
        ASSERT_EQ(prompt.questions.size(), c.questions) << c.name;
        if (c.questions) {
            EXPECT_EQ(prompt.questions[0],
                      QStringLiteral("Subtitle contains non-standard characters.\r\nSave as UniCode instead of ANSI?"));
        }
    }
}

TEST_F(Saver, ReplacingAnExistingFileIsAskedOutsideTheCommandLine)
{
    const QString existing = path(QStringLiteral("old.gxt"));
    test::writeBytes(existing, "x");
    prompt.answer = core::Answer::No;
    EXPECT_TRUE(confirmReplace(path(QStringLiteral("new.gxt")), false, messages, prompt));
    EXPECT_TRUE(prompt.questions.isEmpty());
    EXPECT_FALSE(confirmReplace(existing, false, messages, prompt));
    ASSERT_EQ(prompt.questions.size(), 1);
    EXPECT_EQ(prompt.questions[0], QStringLiteral("Warning\r\nFile old.gxt already exists! Replace?"));
    prompt.answer = core::Answer::Yes;
    EXPECT_TRUE(confirmReplace(existing, false, messages, prompt));
    EXPECT_TRUE(confirmReplace(existing, true, messages, prompt));
    EXPECT_EQ(prompt.questions.size(), 2);
    EXPECT_EQ(commandLineSavePath(QStringLiteral("/out/film"), OutputFormat::SubStationAlpha), QStringLiteral("/out/film.ssa"));
}

TEST(SaveAs, AnsiFileNameTakesTheLanguageAndTheFormatsExtension)
{
    EXPECT_EQ(ansiSaveFileName(QStringLiteral("/dvd/VTS_01_1.VOB"), QStringLiteral("English|en"), OutputFormat::Glyfex),
              QStringLiteral("/dvd/VTS_01_1.English.gxt"));
    EXPECT_EQ(ansiSaveFileName(QStringLiteral("/v/movie.avi"), QString(), OutputFormat::SubStationAlpha),
              QStringLiteral("/v/movie.ssa"));
}

} // namespace
} // namespace glyfex::subtitles
