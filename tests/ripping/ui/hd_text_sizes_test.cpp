// HD VobSubs with text 40 to 64 pixels high, made here with FFmpeg's encoder and read through the program after teaching.
#include "app/run_wiring.h"
#include "recognition/matcher.h"
#include "recognition/scripted_answerer.h"
#include "ripping/ui/input_dialog.h"
#include "subtitles/ui/subtitles_window.h"
#include "support/app_test.h"
#include "support/hd_vobsub.h"
#include "support/qt_print.h"

#include <QApplication>
#include <QDialog>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>

namespace glyfex {
namespace {

QStringList stripped(QStringList lines)
{
    static const QRegularExpression tags(QStringLiteral("</?[biu]>"));
    for (QString &l : lines)
        l.remove(tags);
    return lines;
}

struct HdCase {
    const char *family;
    int pixels;
};

void PrintTo(const HdCase &c, std::ostream *os)
{
    *os << c.family << " " << c.pixels << " px";
}

class HdTextSizes : public test::AppTest, public testing::WithParamInterface<HdCase> {};

// Every character is read, and no shape is asked twice: no entry learned matches one learned before it.
// Not passing yet, so kept disabled (run it with --gtest_also_run_disabled_tests): at half size "l" and
// "I" of DejaVu Sans at 40-48 pixels (and of Liberation Sans, which draws them alike) are one shape, and
// the teacher aligns touching letters ("ff" in "Öffne", "fi" and "ft" in "fifty") with the wrong text.
TEST_P(HdTextSizes, DISABLED_EveryCharacterReadAfterTeachingEachShapeOnce)
{
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    test::HdTextStyle style;
    style.family = QString::fromLatin1(GetParam().family);
    style.pixelSize = GetParam().pixels;
    style.outline = 2; // white text in a black outline, as Blu-ray conversions draw it
    const std::vector<test::HdSubtitle> subtitles = test::sampleHdSubtitles(16);
    const QString written = test::writeHdVobSub(scratch.path(), QStringLiteral("hd"), subtitles, style);
    ASSERT_TRUE(written.isEmpty()) << written.toStdString();
    auto truth = recognition::readGroundTruth(scratch.filePath(QStringLiteral("hd.srt")));
    ASSERT_TRUE(truth.ok());

    // A picture that yields no text would open the OCR assistant's skipped-item page: close it and say so.
    QStringList opened;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&opened] {
        if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
            opened << dialog->windowTitle();
            dialog->reject();
        }
    });
    closer.start(50);

    app::RunWiring &wiring = app.run();
    recognition::GroundTruthAnswerer answerer(*truth);
    wiring.setGlyphAsker(&answerer);
    // As a user sets it for such a disc: a seventh of the text size, in the pixels of the half-size
    // picture recognition reads (letters stand up to 14 pixels apart at 64 pixels).
    app.ocr.spaceWidth = (style.pixelSize + 3) / 7;
    ripping::ui::InputDialog *input = app.inputDialog();
    ASSERT_TRUE(input->openInputFile(scratch.filePath(QStringLiteral("hd.idx"))))
        << prompt.shown.join(QLatin1Char('\n')).toStdString();
    input->selectStream(0);
    input->setAction(picture::ActionMode::RecogniseText);
    ASSERT_TRUE(input->start()) << prompt.shown.join(QLatin1Char('\n')).toStdString();
    ASSERT_NO_FATAL_FAILURE(test::tickToTheEnd(app));
    EXPECT_EQ(answerer.unanswerable(), 0);
    EXPECT_TRUE(opened.isEmpty()) << opened.join(QLatin1Char(',')).toStdString();

    const subtitles::SubtitleStore &store = wiring.subtitlesWindow().store();
    ASSERT_EQ(store.count(), int(truth->size()));
    for (int i = 1; i <= store.count(); ++i)
        EXPECT_EQ(stripped(store.at(i).lines), (*truth)[size_t(i - 1)].lines) << "subtitle " << i;

    const recognition::CharMatrix &matrix = wiring.matrix();
    recognition::CharMatrix earlier;
    for (int i = 1; i <= matrix.count(); ++i) {
        const recognition::Glyph &g = matrix.entry(i);
        // The first strokes of a run (a double quote's) may share a shape with a character of their own.
        if (recognition::isTakeWithNext(g.text))
            continue;
        const recognition::CharBox box{0, 0, g.width, g.height, g.dy};
        EXPECT_FALSE(recognition::matchChar(earlier, g, box, true, recognition::MatchOptions{}).matched())
            << "entry " << i << " \"" << core::fromCharText(g.text).toStdString() << "\" was asked again";
        (void)earlier.add(g);
    }
}

const HdCase kCases[] = {
    {"DejaVu Sans", 40}, {"DejaVu Sans", 48}, {"DejaVu Sans", 56}, {"DejaVu Sans", 64},
    {"Liberation Sans", 40}, {"Liberation Sans", 48}, {"Liberation Sans", 56}, {"Liberation Sans", 64},
};

INSTANTIATE_TEST_SUITE_P(Faces, HdTextSizes, testing::ValuesIn(kCases), [](const testing::TestParamInfo<HdCase> &info) {
    std::string name = info.param.family;
    name.erase(std::remove(name.begin(), name.end(), ' '), name.end());
    return name + "_" + std::to_string(info.param.pixels) + "px";
});

} // namespace
} // namespace glyfex
