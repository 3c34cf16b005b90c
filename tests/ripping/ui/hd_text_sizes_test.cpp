// HD VobSubs with text 40 to 64 pixels high, made here with FFmpeg's encoder and read through the program after teaching.
#include "app/run_wiring.h"
#include "recognition/glyph.h"
#include "recognition/matcher.h"
#include "recognition/picture_reduction.h"
#include "recognition/recognition_driver.h"
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
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <utility>

namespace glyfex {
namespace {

QStringList stripped(QStringList lines)
{
    static const QRegularExpression tags(QStringLiteral("</?[biu]>"));
    for (QString &l : lines)
        l.remove(tags);
    return lines;
}

// A glyph's shape as the matcher compares it: size, place in the line and pixels.
struct Shape {
    int width, height, dy;
    std::vector<recognition::GlyphRow> rows;
    auto operator<=>(const Shape &) const = default;
};

// The pairs of characters that the reduced pictures draw with one shape: every picture is drawn again
// as it was encoded, reduced and segmented as recognition does it, and each box that the truth gives
// one character of its own is collected under that character. Two characters that share a shape
// cannot be told apart by any matrix, so reading one for the other there is no fault of the run.
std::set<std::pair<QString, QString>> identicalShapes(const std::vector<test::HdSubtitle> &subtitles,
                                                      const std::vector<recognition::TruthEntry> &truth,
                                                      const test::HdTextStyle &style, const recognition::OcrSettings &ocr)
{
    const recognition::InkCodes ink{1, 255};
    std::map<Shape, std::set<QString>> charsOfShape;
    for (size_t i = 0; i < subtitles.size() && i < truth.size(); ++i) {
        const test::HdPicture drawn = test::drawHdSubtitle(subtitles[i], style);
        const int factor = recognition::reductionFactor(style.frameHeight);
        picture::CodeImage work = recognition::reduceByBands(drawn.codes, ink, factor).image;
        const recognition::Segmentation seg = recognition::segmentSubtitle(work, ink, {}, ocr, factor > 1);
        if (seg.lines.size() != size_t(truth[i].lines.size()))
            continue;
        for (size_t l = 0; l < seg.lines.size(); ++l) {
            const auto &boxes = seg.lines[l].boxes;
            const auto a = recognition::GroundTruthAnswerer::align(boxes, truth[i].lines[qsizetype(l)]);
            for (size_t b = 0; b < boxes.size(); ++b) {
                const int g = a.groupOfBox[b];
                if (g < 0 || a.groupText[size_t(g)].size() != 1
                    || std::count(a.groupOfBox.begin(), a.groupOfBox.end(), g) != 1)
                    continue;
                const recognition::Glyph glyph = recognition::buildGlyphDescriptor(work, recognition::markerOfBox(int(b)), boxes[b]);
                Shape shape{glyph.width, glyph.height, glyph.dy, {glyph.rows.begin(), glyph.rows.begin() + glyph.height}};
                charsOfShape[shape].insert(a.groupText[size_t(g)]);
            }
        }
    }
    std::set<std::pair<QString, QString>> pairs;
    for (const auto &[shape, chars] : charsOfShape)
        for (const QString &x : chars)
            for (const QString &y : chars)
                if (x != y)
                    pairs.insert({x, y});
    return pairs;
}

// Where a read line differs from the true one other than by characters of one shape: empty when it
// does not. The lengths must agree, so a lost or added character is always a difference.
QString unexplainedDifference(const QString &read, const QString &truth, const std::set<std::pair<QString, QString>> &alike)
{
    if (read.size() != truth.size())
        return QStringLiteral("length %1, not %2").arg(read.size()).arg(truth.size());
    for (qsizetype k = 0; k < read.size(); ++k)
        if (read[k] != truth[k] && !alike.count({QString(truth[k]), QString(read[k])}))
            return QStringLiteral("\"%1\" read as \"%2\" at %3").arg(truth[k]).arg(read[k]).arg(k);
    return {};
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

// Every subtitle is stored with its lines, none marked unread and none sent to the skipped items; every
// character is read, but where the truth's character and the one read have one shape after reduction;
// and no shape is asked twice: no entry learned matches one learned before it.
TEST_P(HdTextSizes, EveryCharacterReadAfterTeachingEachShapeOnce)
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
    const auto alike = identicalShapes(subtitles, *truth, style, app.ocr);
    QStringList alikeNames;
    for (const auto &[x, y] : alike)
        if (x < y)
            alikeNames << x + QLatin1Char('=') + y;
    for (int i = 1; i <= store.count(); ++i) {
        const QStringList read = stripped(store.at(i).lines);
        const QStringList &want = (*truth)[size_t(i - 1)].lines;
        ASSERT_EQ(read.size(), want.size()) << "subtitle " << i << ": " << read.join(QLatin1Char('|')).toStdString();
        EXPECT_FALSE(read.join(QLatin1Char('|')).contains(recognition::unreadLineMarker())) << "subtitle " << i;
        for (qsizetype l = 0; l < read.size(); ++l)
            EXPECT_EQ(unexplainedDifference(read[l], want[l], alike).toStdString(), "")
                << "subtitle " << i << " line " << l + 1 << ": \"" << read[l].toStdString() << "\" for \""
                << want[l].toStdString() << "\" (characters of one shape after reduction: "
                << alikeNames.join(QLatin1Char(' ')).toStdString() << ")";
    }

    const recognition::CharMatrix &matrix = wiring.matrix();
    recognition::CharMatrix earlier;
    // Compared as recognition compared them: on the reduced picture.
    recognition::MatchOptions asRead;
    asRead.reducedPicture = recognition::reductionFactor(style.frameHeight) > 1;
    for (int i = 1; i <= matrix.count(); ++i) {
        const recognition::Glyph &g = matrix.entry(i);
        // The first strokes of a run (a double quote's) may share a shape with a character of their own.
        if (recognition::isTakeWithNext(g.text))
            continue;
        const recognition::CharBox box{0, 0, g.width, g.height, g.dy};
        EXPECT_FALSE(recognition::matchChar(earlier, g, box, true, asRead).matched())
            << "entry " << i << " \"" << core::fromCharText(g.text).toStdString() << "\" was asked again";
        (void)earlier.add(g);
    }
}

std::string caseName(const testing::TestParamInfo<HdCase> &info)
{
    std::string name = info.param.family;
    name.erase(std::remove(name.begin(), name.end(), ' '), name.end());
    return name + "_" + std::to_string(info.param.pixels) + "px";
}

const HdCase kCases[] = {
    {"DejaVu Sans", 40}, {"DejaVu Sans", 48}, {"DejaVu Sans", 56}, {"DejaVu Sans", 64},
    {"Liberation Sans", 40}, {"Liberation Sans", 48}, {"Liberation Sans", 56}, {"Liberation Sans", 64},
};

INSTANTIATE_TEST_SUITE_P(Faces, HdTextSizes, testing::ValuesIn(kCases), caseName);

} // namespace
} // namespace glyfex
