// Double quotes and apostrophes taught as a user teaches them, in reading order, on DVD and HD VobSubs read through the program.
#include "app/run_wiring.h"
#include "recognition/glyph.h"
#include "recognition/scripted_answerer.h"
#include "ripping/ui/input_dialog.h"
#include "subtitles/ui/subtitles_window.h"
#include "support/app_test.h"
#include "support/covering_teacher.h"
#include "support/hd_vobsub.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace glyfex {
namespace {

struct QuoteCase {
    const char *name;
    const char *family;
    int pixels;
    int frameWidth;
    int frameHeight;
    const char *first;  // the apostrophe comes before the first double quote
    const char *second; // the same marks again, now known
};

void PrintTo(const QuoteCase &c, std::ostream *os)
{
    *os << c.name;
}

class TaughtQuotes : public test::AppTest, public testing::WithParamInterface<QuoteCase> {};

// The teacher answers what each highlighted glyph covers: after the apostrophe is known, the first
// stroke of a double quote must not be read as an apostrophe with only the second asked; the pair is
// asked and learnt, and read again without a question.
TEST_P(TaughtQuotes, EachMarkReadsAsTheUserTaughtIt)
{
    const QuoteCase &c = GetParam();
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    test::HdTextStyle style;
    style.family = QString::fromLatin1(c.family);
    style.pixelSize = c.pixels;
    style.outline = 2;
    style.frameWidth = c.frameWidth;
    style.frameHeight = c.frameHeight;
    const std::vector<test::HdSubtitle> subtitles = {
        {1000, {QString::fromUtf8(c.first)}},
        {4000, {QString::fromUtf8(c.second)}},
    };
    const QString written = test::writeHdVobSub(scratch.path(), QStringLiteral("q"), subtitles, style);
    ASSERT_TRUE(written.isEmpty()) << written.toStdString();
    auto maps = test::readCharacterMaps(scratch.filePath(QStringLiteral("q.chars")));
    ASSERT_TRUE(maps.ok()) << maps.error().message().toStdString();

    app::RunWiring &wiring = app.run();
    test::CoveringTeacher teacher(*maps);
    wiring.setGlyphAsker(&teacher);
    app.ocr.spaceWidth = c.frameHeight > 576 ? (c.pixels + 3) / 7 : (c.pixels + 3) / 4;
    ripping::ui::InputDialog *input = app.inputDialog();
    ASSERT_TRUE(input->openInputFile(scratch.filePath(QStringLiteral("q.idx"))))
        << prompt.shown.join(QLatin1Char('\n')).toStdString();
    input->selectStream(0);
    input->setAction(picture::ActionMode::RecogniseText);
    ASSERT_TRUE(input->start()) << prompt.shown.join(QLatin1Char('\n')).toStdString();
    ASSERT_NO_FATAL_FAILURE(test::tickToTheEnd(app));
    EXPECT_EQ(teacher.unanswerable(), 0);

    const subtitles::SubtitleStore &store = wiring.subtitlesWindow().store();
    ASSERT_EQ(store.count(), 2);
    EXPECT_EQ(store.at(1).lines.join(QLatin1Char('|')).toStdString(), c.first);
    EXPECT_EQ(store.at(2).lines.join(QLatin1Char('|')).toStdString(), c.second);
    // No answer taught a shape as nothing.
    const recognition::CharMatrix &matrix = wiring.matrix();
    for (int i = 1; i <= matrix.count(); ++i)
        EXPECT_NE(matrix.entry(i).text.length, 0) << "entry " << i;
}

std::string caseName(const testing::TestParamInfo<QuoteCase> &info)
{
    return info.param.name;
}

const QuoteCase kCases[] = {
    {"Hd_DejaVu56", "DejaVu Sans", 56, 1920, 1080, "It's \"Go\"", "\"Stop,\" he said. It's late."},
    {"Hd_Liberation48", "Liberation Sans", 48, 1920, 1080, "It's \"Go\"", "\"Stop,\" he said. It's late."},
    {"Dvd_DejaVu28", "DejaVu Sans", 28, 720, 576, "It's \"Go\"", "\"Stop,\" he said. It's late."},
    {"Hd_CurlyQuotes", "DejaVu Sans", 56, 1920, 1080, "It\u2019s \u201cGo\u201d", "\u201cStop,\u201d he said. It\u2019s late."},
};

INSTANTIATE_TEST_SUITE_P(Marks, TaughtQuotes, testing::ValuesIn(kCases), caseName);

} // namespace
} // namespace glyfex
