// Lines too tall to read on a 1920x1080 frame, through the program as main() builds it: each one is marked
// in its subtitle, or its picture is a skipped item, and the Subtitles window counts them, on the VobSub
// and image-sequence roads, also with the OCR assistant in the way of the first question.
#include "app/app.h"
#include "app/run_wiring.h"
#include "recognition/recognition_driver.h"
#include "recognition/scripted_answerer.h"
#include "recognition/ui/new_character_dialog.h"
#include "ripping/ui/input_dialog.h"
#include "ripping/ui/main_window.h"
#include "sources/image_sequence.h"
#include "subtitles/ui/subtitles_window.h"

#include "support/app_test.h"
#include "support/first_question_in_dialog.h"
#include "support/hd_vobsub.h"
#include "support/test_data.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <string>

using namespace glyfex;

namespace {

enum class Road { VobSub, ImageSequence };

// What the user does at the run's first question, asked with an empty matrix.
enum class FirstQuestion {
    Answered,   // types the glyph's text
    FillMatrix, // "Fill matrix" in New Character(s), then Done in the OCR assistant without filling
};

struct TallCase {
    const char *name;
    Road road;
    const char *family;
    int pixels;          // the type's em
    int tallRows;        // the rows of its tallest line at least, outline included
    QStringList lines;   // the subtitle's lines, top to bottom
    QStringList read;    // what the subtitle holds afterwards (the marker stands as "#")
    int notRead;         // the lines the window counts as not read
    QStringList opened;  // the OCR assistant's pages the run opened, in order
    FirstQuestion first = FirstQuestion::Answered;
};

void PrintTo(const TallCase &c, std::ostream *os)
{
    *os << c.name;
}

const QString kSkipped = QStringLiteral("Processing skipped subtitle item");
const QString kFill = QStringLiteral("Fill character matrix");
// "Jumpy quiz" and "Quick jigs" reach from a capital to the descenders: from 110 pixels on they are
// taller than 90 rows, and from 128 pixels (133 of Liberation Sans) 128 rows or more. "Brown fox" has
// no descender and stays within 90 rows.
const QString kTall = QStringLiteral("Jumpy quiz");
const QString kTallToo = QStringLiteral("Quick jigs");
const QString kShort = QStringLiteral("Brown fox");
constexpr int kStartMs = 1000;

class TallLines : public test::AppTest, public testing::WithParamInterface<TallCase> {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        ASSERT_TRUE(scratch.isValid());
        app.mainWindow()->show();
    }

    // The subtitle on the road of the case, ready to be opened; empty on success.
    QString writeMaterial(const test::HdSubtitle &subtitle, const test::HdTextStyle &style)
    {
        if (GetParam().road == Road::VobSub)
            return test::writeHdVobSub(scratch.path(), QStringLiteral("hd"), {subtitle}, style);
        // The whole frame as a picture file, the text in white where the VobSub would place it.
        const test::HdPicture drawn = test::drawHdSubtitle(subtitle, style);
        if (drawn.codes.empty())
            return QStringLiteral("the subtitle draws nothing");
        QImage frame(style.frameWidth, style.frameHeight, QImage::Format_RGB32);
        frame.fill(Qt::black);
        for (int y = 0; y < drawn.codes.height; ++y)
            for (int x = 0; x < drawn.codes.width; ++x)
                if (drawn.codes.at(x, y) == 1)
                    frame.setPixel(drawn.x + x, drawn.y + y, 0xFFFFFFFF);
        if (!frame.save(scratch.filePath(QStringLiteral("hd.png"))))
            return QStringLiteral("cannot write the frame");
        const int frame25 = kStartMs * 25 / 1000;
        test::writeBytes(scratch.filePath(QStringLiteral("hd.txt")),
                         QStringLiteral("FrameRate=25\r\n{%1}{%2}hd.png\r\n").arg(frame25).arg(frame25 + 50).toUtf8());
        return {};
    }

    void runRoad()
    {
        if (GetParam().road == Road::ImageSequence) {
            files.names = {scratch.filePath(QStringLiteral("hd.txt"))};
            app.mainWindow()->findChild<QAction *>(QStringLiteral("OpenImageSequence1"))->trigger();
            return;
        }
        ripping::ui::InputDialog *input = app.inputDialog();
        ASSERT_TRUE(input->openInputFile(scratch.filePath(QStringLiteral("hd.idx"))))
            << prompt.shown.join(QLatin1Char('\n')).toStdString();
        input->selectStream(0);
        input->setAction(picture::ActionMode::RecogniseText); // "SubPictures to Text via OCR"
        ASSERT_TRUE(input->start()) << prompt.shown.join(QLatin1Char('\n')).toStdString();
        ASSERT_NO_FATAL_FAILURE(test::tickToTheEnd(app));
    }

    QTemporaryDir scratch;
};

TEST_P(TallLines, AreMarkedOrSkippedInTheSubtitlesWindow)
{
    const TallCase &c = GetParam();
    test::HdTextStyle style;
    style.family = QString::fromLatin1(c.family);
    style.pixelSize = c.pixels;
    style.outline = 2; // white text in a black outline, as Blu-ray conversions draw it
    const test::HdSubtitle subtitle{kStartMs, c.lines};
    // Taller than the 90 rows a line of a 1080-row frame may have.
    ASSERT_GE(sources::tallestTextRun(test::drawHdSubtitle(subtitle, style).codes), c.tallRows);
    const QString written = writeMaterial(subtitle, style);
    ASSERT_TRUE(written.isEmpty()) << written.toStdString();

    // The user: closes the skipped item's page without typing (its placeholder stays), and leaves the
    // fill page with Done; other windows are answered by their own askers.
    QStringList opened;
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&opened] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog || dialog->objectName() != QStringLiteral("Form15"))
            return;
        opened << dialog->windowTitle();
        if (dialog->windowTitle() == kFill)
            dialog->findChild<QPushButton *>(QStringLiteral("bbDone"))->click();
        else
            dialog->reject();
    });
    user.start(20);

    // The teacher knows the lines that can be read; the space width is a seventh of the type, in the
    // pixels of the half-size picture recognition reads.
    QStringList readable = c.read;
    readable.removeAll(QStringLiteral("#"));
    recognition::GroundTruthAnswerer teacher({{core::millisecondsToTimeCode(kStartMs), readable}});
    recognition::ui::NewCharacterDialog *dialog = app.run().newCharacterDialog();
    ASSERT_NE(dialog, nullptr);
    test::FirstQuestionInDialog fillFirst(*dialog, "ButtonFillMatrix", teacher);
    app.run().setGlyphAsker(c.first == FirstQuestion::FillMatrix ? static_cast<recognition::GlyphAsker *>(&fillFirst)
                                                                 : &teacher);
    app.ocr.spaceWidth = (style.pixelSize + 3) / 7;
    ASSERT_NO_FATAL_FAILURE(runRoad());

    QStringList want;
    for (const QString &line : c.read)
        want << (line == QStringLiteral("#") ? recognition::unreadLineMarker() : line);
    const QString placeholder = QStringLiteral("[ Skipped item nr. 1 ]");
    const QString expected = want.isEmpty() ? placeholder : want.join(QLatin1Char('|'));
    subtitles::ui::SubtitlesWindow &window = app.run().subtitlesWindow();
    ASSERT_EQ(window.store().count(), 1) << prompt.shown.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(window.store().at(1).lines.join(QLatin1Char('|')), expected);
    EXPECT_EQ(teacher.unanswerable(), 0);
    if (c.first == FirstQuestion::FillMatrix)
        EXPECT_GT(fillFirst.asked, 0) << "the first question came";

    // What the window shows: the subtitle's lines in its list, and the count beside the skipped pictures.
    QStringList shown;
    for (int i = 0; i < window.list()->count(); ++i)
        shown << window.list()->item(i)->text();
    for (const QString &line : want.isEmpty() ? QStringList{placeholder} : want)
        EXPECT_TRUE(shown.contains(line)) << line.toStdString() << " in " << shown.join(QLatin1Char('\n')).toStdString();
    auto *notRead = window.findChild<QLabel *>(QStringLiteral("LabelNotRead"));
    ASSERT_NE(notRead, nullptr);
    EXPECT_TRUE(notRead->isVisible());
    EXPECT_EQ(notRead->text(), c.notRead == 1 ? QStringLiteral("(1 line not read)")
                                              : QStringLiteral("(%1 lines not read)").arg(c.notRead));
    EXPECT_EQ(opened, c.opened);
    EXPECT_TRUE(prompt.shown.isEmpty()) << prompt.shown.join(QLatin1Char('\n')).toStdString();
}

const TallCase kCases[] = {
    {"VobSub_DejaVuSans_110px_OneLine", Road::VobSub, "DejaVu Sans", 110, 110, {kTall}, {}, 1, {kSkipped}},
    {"VobSub_DejaVuSans_110px_TallAbove", Road::VobSub, "DejaVu Sans", 110, 110, {kTall, kShort}, {"#", kShort}, 1, {}},
    {"VobSub_DejaVuSans_128px_TwoTallLines", Road::VobSub, "DejaVu Sans", 128, 128, {kTall, kTallToo}, {}, 2,
     {kSkipped}},
    {"VobSub_LiberationSans_110px_OneLine", Road::VobSub, "Liberation Sans", 110, 106, {kTall}, {}, 1, {kSkipped}},
    {"VobSub_LiberationSans_110px_TallBelow", Road::VobSub, "Liberation Sans", 110, 106, {kShort, kTall}, {kShort, "#"},
     1, {}},
    {"VobSub_LiberationSans_133px_TwoTallLines", Road::VobSub, "Liberation Sans", 133, 128, {kTall, kTallToo}, {}, 2,
     {kSkipped}},
    {"VobSub_DejaVuSans_110px_TallAbove_FillMatrixFirst", Road::VobSub, "DejaVu Sans", 110, 110, {kTall, kShort},
     {"#", kShort}, 1, {kFill}, FirstQuestion::FillMatrix},
    {"VobSub_LiberationSans_110px_TallBelow_FillMatrixFirst", Road::VobSub, "Liberation Sans", 110, 106, {kShort, kTall},
     {kShort, "#"}, 1, {kFill}, FirstQuestion::FillMatrix},
    {"ImageSequence_DejaVuSans_110px_TallAbove", Road::ImageSequence, "DejaVu Sans", 110, 110, {kTall, kShort},
     {"#", kShort}, 1, {}},
    {"ImageSequence_LiberationSans_133px_OneLine", Road::ImageSequence, "Liberation Sans", 133, 128, {kTall}, {}, 1,
     {kSkipped}},
};

INSTANTIATE_TEST_SUITE_P(Roads, TallLines, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<TallCase> &info) { return std::string(info.param.name); });

} // namespace
