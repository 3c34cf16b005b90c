// Image sequences of HD pictures: pictures cropped to their text read as they read on their frame, and thin marks of small text on a 720-row frame.
#include "recognition/recognition_driver.h"
#include "recognition/scripted_answerer.h"
#include "sources/image_sequence.h"
#include "support/hd_vobsub.h"
#include "support/sequence_road.h"

#include <QDir>
#include <QFontInfo>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

using namespace glyfex;

namespace {

constexpr uint32_t kFps = 25000;

// The subtitles of one case, each a picture; no capital I, which sans-serif faces draw as their "l" at
// half size.
std::vector<test::HdSubtitle> sampleTexts()
{
    const std::vector<QStringList> texts{
        {QStringLiteral("Where are you going, J\u00fcrgen?"), QStringLiteral("Home, before it rains.")},
        {QStringLiteral("Quick, the fox jumped over 9 dogs.")},
        {QStringLiteral("Don't wait for me: go!")},
    };
    std::vector<test::HdSubtitle> out;
    for (const QStringList &t : texts)
        out.push_back({0, t});
    return out;
}

// The picture's text pixels (code 1) white on black, placed at (x, y) of a black width x height picture.
QImage pictureOf(const picture::CodeImage &codes, int width, int height, int x, int y)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::black);
    for (int row = 0; row < codes.height; ++row)
        for (int col = 0; col < codes.width; ++col)
            if (codes.at(col, row) == 1)
                image.setPixel(x + col, y + row, qRgb(255, 255, 255));
    return image;
}

// Writes the pictures as folder/p0025.png, p0100.png, ... (a second and more apart at 25 frames a second)
// and gives the plan of the folder with the truth of each picture at its time.
sources::SequencePlan writeSequence(const QString &folder, const std::vector<QImage> &pictures,
                                    const std::vector<test::HdSubtitle> &texts, std::vector<recognition::TruthEntry> &truth)
{
    QDir().mkpath(folder);
    for (size_t i = 0; i < pictures.size(); ++i)
        EXPECT_TRUE(pictures[i].save(folder + QStringLiteral("/p%1.png").arg(25 + 75 * int(i), 4, 10, QLatin1Char('0'))));
    auto plan = sources::planSequence(folder + QStringLiteral("/p0025.png"));
    EXPECT_TRUE(plan.ok());
    truth.clear();
    for (size_t i = 0; i < texts.size(); ++i)
        truth.push_back({sources::sequenceTimes(*plan, int(i), kFps)->start, texts[i].lines});
    return *plan;
}

// Counts the questions and gives up each picture asked about.
class SkipsPicture : public recognition::GlyphAsker {
public:
    recognition::GlyphAnswer askGlyph(const recognition::GlyphQuestion &) override
    {
        ++asked;
        return {{}, 0, recognition::AnswerCode::SkipSubPicture};
    }
    int asked = 0;
};

struct CroppedCase {
    const char *name;
    const char *family;
    int pixelSize;
    int lineRows; // the tallest line the pictures hold
};

void PrintTo(const CroppedCase &c, std::ostream *os)
{
    *os << c.name;
}

class CroppedHdSequence : public testing::TestWithParam<CroppedCase> {};

// Cropped to their text, the pictures of a 1920x1080 source read as the same pixels do on the whole
// frame: a matrix taught on the frames reads every line of the cropped pictures without a question.
TEST_P(CroppedHdSequence, ReadsAsOnItsFrame)
{
    const CroppedCase &c = GetParam();
    test::HdTextStyle style;
    style.family = QString::fromLatin1(c.family);
    style.pixelSize = c.pixelSize;
    ASSERT_EQ(QFontInfo(QFont(style.family)).family(), style.family);
    const std::vector<test::HdSubtitle> texts = sampleTexts();
    std::vector<QImage> cropped, framed;
    int tallest = 0;
    for (const test::HdSubtitle &s : texts) {
        const test::HdPicture drawn = test::drawHdSubtitle(s, style);
        ASSERT_FALSE(drawn.codes.empty());
        tallest = std::max(tallest, sources::tallestTextRun(drawn.codes));
        cropped.push_back(pictureOf(drawn.codes, drawn.codes.width, drawn.codes.height, 0, 0));
        framed.push_back(pictureOf(drawn.codes, style.frameWidth, style.frameHeight, drawn.x, drawn.y));
    }
    ASSERT_EQ(tallest, c.lineRows) << "the case's pictures hold lines of another height";

    QTemporaryDir dir;
    std::vector<recognition::TruthEntry> truth;
    const sources::SequencePlan onFrames = writeSequence(dir.filePath(QStringLiteral("frames")), framed, texts, truth);
    const sources::SequencePlan cut = writeSequence(dir.filePath(QStringLiteral("cut")), cropped, texts, truth);
    QStringList expected;
    for (const recognition::TruthEntry &t : truth)
        expected << t.lines.join(QLatin1Char('|'));
    // As a user sets it for such a disc: a seventh of the text size, in the pixels of the half-size picture.
    const int spaceWidth = (c.pixelSize + 3) / 7;

    recognition::CharMatrix matrix;
    recognition::GroundTruthAnswerer teacher(truth);
    test::SequenceRoad taught(matrix, &teacher);
    taught.driver.options().match.settings.spaceWidth = spaceWidth;
    auto done = sources::runSequence(onFrames, kFps, taught.driver, taught);
    ASSERT_TRUE(done.ok()) << done.error().message().toStdString();
    EXPECT_EQ(taught.texts(), expected);
    EXPECT_EQ(teacher.unanswerable(), 0);

    SkipsPicture nobody;
    test::SequenceRoad read(matrix, &nobody);
    read.driver.options().match.settings.spaceWidth = spaceWidth;
    done = sources::runSequence(cut, kFps, read.driver, read);
    ASSERT_TRUE(done.ok()) << done.error().message().toStdString();
    EXPECT_EQ(read.texts(), expected);
    EXPECT_EQ(nobody.asked, 0);
    EXPECT_EQ(read.driver.unreadLines(), 0);
}

const CroppedCase kCroppedCases[] = {
    {"lines_of_44_rows", "Liberation Sans", 47, 44},
    {"lines_of_46_rows", "DejaVu Sans", 47, 46},
    {"lines_of_56_rows", "DejaVu Sans", 58, 56},
    {"lines_of_90_rows", "DejaVu Sans", 93, 90},
};

INSTANTIATE_TEST_SUITE_P(Heights, CroppedHdSequence, testing::ValuesIn(kCroppedCases),
                         [](const testing::TestParamInfo<CroppedCase> &info) { return std::string(info.param.name); });

// Small serif text on a 1280x720 frame, drawn smoothed as subtitle converters draw it: the pixels of
// the glyphs' cores in the text colour, their smoothed edges in a colour of their own, which is no
// text. Read at half size, the apostrophe and the comma, thin cores with much edge around them, are
// read with the letters.
TEST(ThinMarksAtHalfSize, ApostropheAndCommaRead)
{
    const QString text = QStringLiteral("That's all,");
    for (const char *family : {"URW Bookman", "DejaVu Serif"}) {
        SCOPED_TRACE(family);
        QFont font(QString::fromLatin1(family));
        ASSERT_TRUE(QFontInfo(font).family().startsWith(font.family()));
        font.setPixelSize(36);
        QImage smooth(1280, 720, QImage::Format_Grayscale8);
        smooth.fill(0);
        {
            QPainter painter(&smooth);
            painter.setRenderHint(QPainter::TextAntialiasing, true);
            painter.setFont(font);
            painter.setPen(Qt::white);
            painter.drawText(211, 650, text);
        }
        // Palette indices as the sequence reads them: 3 the text (code 1), 2 the edges (code 2).
        QImage picture(smooth.width(), smooth.height(), QImage::Format_Indexed8);
        picture.setColorTable({qRgb(0, 0, 0), qRgb(0, 0, 255), qRgb(40, 40, 40), qRgb(255, 255, 255)});
        for (int y = 0; y < smooth.height(); ++y) {
            const uchar *in = smooth.constScanLine(y);
            uchar *out = picture.scanLine(y);
            for (int x = 0; x < smooth.width(); ++x)
                out[x] = in[x] > 210 ? 3 : in[x] > 30 ? 2 : 0;
        }

        QTemporaryDir dir;
        std::vector<recognition::TruthEntry> truth;
        const sources::SequencePlan plan = writeSequence(dir.path(), {picture}, {{0, {text}}}, truth);
        recognition::CharMatrix matrix;
        recognition::GroundTruthAnswerer teacher(truth);
        test::SequenceRoad road(matrix, &teacher);
        road.driver.options().match.settings.spaceWidth = 5;
        auto done = sources::runSequence(plan, kFps, road.driver, road);
        ASSERT_TRUE(done.ok()) << done.error().message().toStdString();
        EXPECT_EQ(road.texts(), QStringList{text});
    }
}

} // namespace
