// The video viewer window on a real lossless video: opening, the form's controls, the region drag, the colour pick, option linking, playing and closing.
#include "sources/ui/video_viewer.h"

#include "support/burned_video_fixture.h"
#include "support/test_video.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

using namespace glyfex;
using glyfex::picture::Rect;
using glyfex::sources::ui::VideoViewer;

namespace {

constexpr int kFrames = 75;

class VideoViewerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        test::BurnedVideo video;
        video.frames = kFrames;
        video.subtitles = {{400, 1200, QStringLiteral("Hello world")}};
        s_video.make(QStringLiteral("burned.mkv"), video);
    }
    static void TearDownTestSuite() { s_video.drop(); }

    void SetUp() override
    {
        ASSERT_TRUE(s_video.error.isEmpty()) << s_video.error.toStdString();
        auto opened = viewer.openFile(s_video.path);
        ASSERT_TRUE(opened.ok()) << opened.error().message().toStdString();
        auto started = viewer.startVideo(25000);
        ASSERT_TRUE(started.ok()) << started.error().message().toStdString();
        viewer.show();
    }

    template <class T>
    T *child(const char *name) const
    {
        T *w = viewer.findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QWidget *image() const { return child<QWidget>("ImageVideo"); }
    QPushButton *runButton() const { return child<QPushButton>("bbProcess"); }

    // A pixel of the text's core at frame 15, where the line shows.
    QPoint textPixel()
    {
        viewer.setPosition(15);
        const std::optional<QPoint> p = test::burnedTextPixel(viewer.frame(), viewer.region());
        EXPECT_TRUE(p.has_value()) << "no text at frame 15";
        return p.value_or(QPoint());
    }

    void drag(QPoint from, QPoint to)
    {
        QTest::mousePress(image(), Qt::RightButton, {}, from);
        QTest::mouseMove(image(), to);
        QTest::mouseRelease(image(), Qt::RightButton, {}, to);
    }

    static inline test::SuiteVideo s_video;
    VideoViewer viewer;
};

TEST_F(VideoViewerTest, OpensAtFrameOneWithTheBottomFifthAsRegion)
{
    EXPECT_TRUE(viewer.videoOpen());
    EXPECT_EQ(viewer.objectName(), QStringLiteral("Form21"));
    EXPECT_EQ(viewer.region(), (Rect{1, 460, 719, 575}));
    auto *position = child<QSlider>("tbPosition");
    auto *frameNo = child<QSpinBox>("seFrameNo");
    EXPECT_EQ(position->minimum(), 0);
    EXPECT_EQ(position->maximum(), kFrames - 1);
    EXPECT_EQ(frameNo->maximum(), kFrames - 1);
    EXPECT_EQ(position->value(), 1);
    EXPECT_EQ(frameNo->value(), 1);
    EXPECT_FALSE(runButton()->isEnabled()) << "no colour is picked yet";
    EXPECT_TRUE(child<QPushButton>("bbCloseVideo")->isEnabled());
    EXPECT_FALSE(child<QPushButton>("bbPrevSub")->isEnabled());
    EXPECT_EQ(viewer.shownImage().size(), QSize(720, 576)) << "the frame is shown at 1:1";
    EXPECT_EQ(child<QSpinBox>("seTopOffset")->maximum(), 575 - 460 - 1);
}

TEST_F(VideoViewerTest, ControlsHaveTheirFormRangesAndDefaults)
{
    struct Spin {
        const char *name;
        int min, max, value;
    };
    const Spin spins[] = {
        {"seDiffTol", 0, 1000, 50},     {"seMinPixels", 1, 10000, 100}, {"seSkipFirst", 0, 9, 3},
        {"seMinDuration", 1, 100, 10},  {"seUpdateEvery", 1, 100, 30},  {"seTextRed", 0, 255, 50},
        {"seTextBlue", 0, 255, 50},     {"seOutlineGreen", 0, 255, 100}, {"seFattenRed", -255, 255, 10},
        {"seTextLineWidth", 1, 10, 1},  {"seOutlineWidth", 1, 10, 1},   {"seLineCount", 1, 10, 2},
        {"seLineHeight", 2, 44, 30},    {"seSpace", 2, 100, 5},
    };
    for (const Spin &s : spins) {
        auto *box = child<QSpinBox>(s.name);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->minimum(), s.min) << s.name;
        EXPECT_EQ(box->maximum(), s.max) << s.name;
        EXPECT_EQ(box->value(), s.value) << s.name;
    }
    struct Check {
        const char *name;
        bool checked;
    };
    const Check checks[] = {{"cbSave", false},      {"cbUseOutline", false}, {"cbFillOpen", true},
                            {"cbFillLarge", false}, {"cbFatten", false},     {"cbDrawLines", false},
                            {"cbFillSides", false}, {"cbAllText", true},     {"cbAllOutline", true},
                            {"cbAllFatten", true}};
    for (const Check &c : checks) {
        auto *box = child<QCheckBox>(c.name);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->isChecked(), c.checked) << c.name;
    }
    const sources::VideoRunOptions options = viewer.runOptions();
    EXPECT_EQ(options.minPixels, 100);
    EXPECT_EQ(options.diffTolerance, 50);
    EXPECT_EQ(options.skipFirst, 3);
    EXPECT_EQ(options.minDuration, 10);
    EXPECT_EQ(options.updateEvery, 30);
}

TEST_F(VideoViewerTest, RightDragSetsTheRegionOrderedAndKeptInTheFrame)
{
    struct Case {
        QPoint from, to;
        Rect region;
    };
    const Case cases[] = {
        {{600, 560}, {100, 500}, {100, 500, 600, 560}}, // dragged up and left: ordered
        {{10, 10}, {900, 700}, {10, 10, 719, 575}},     // released beyond the frame: the frame's edge
        {{50, 300}, {-40, 20}, {0, 20, 50, 300}},
        {{300, 300}, {300, 300}, {0, 20, 50, 300}},     // a click without a drag keeps the region
        {{200, 100}, {400, 100}, {0, 20, 50, 300}},     // a region of one row too
    };
    for (const Case &c : cases) {
        drag(c.from, c.to);
        EXPECT_EQ(viewer.region(), c.region) << c.from.x() << "," << c.from.y() << " to " << c.to.x() << "," << c.to.y();
        EXPECT_EQ(viewer.analysis().area(), viewer.region());
    }
}

TEST_F(VideoViewerTest, LeftClickOutsideTheRegionPicksNoColour)
{
    QTest::mouseClick(image(), Qt::LeftButton, {}, QPoint(100, 100));
    EXPECT_TRUE(viewer.colourPicked());
    EXPECT_FALSE(runButton()->isEnabled());
}

TEST_F(VideoViewerTest, LeftClickOnTheTextPicksItsColourAndEnablesRun)
{
    const QPoint p = textPixel();
    // The click draws the frame again: its colour is copied first.
    const uint8_t *at = viewer.frame().pixel(p.x(), p.y());
    const int c[3] = {at[0], at[1], at[2]};
    QTest::mouseClick(image(), Qt::LeftButton, {}, p);
    EXPECT_TRUE(runButton()->isEnabled());
    EXPECT_EQ(viewer.analysis().textRange.max, (sources::Rgb{std::min(c[2] + 50, 255), std::min(c[1] + 50, 255), c[0] + 50}));
    EXPECT_EQ(viewer.analysis().textRange.min, (sources::Rgb{c[2] - 50, c[1] - 50, 0}));
    EXPECT_GT(viewer.analysis().textCount(), 101) << "the frame is analysed once a colour is picked";
    const sources::Rgb outline = viewer.analysis().outlineRange.max;
    EXPECT_LT(outline.red + outline.green + outline.blue, 3 * 255) << "the outline is darker than the text";
}

TEST_F(VideoViewerTest, ChangeAllMovesTheOtherTwoChannelsByTheSameAmount)
{
    struct Case {
        const char *changed;
        const char *all;
        bool linked;
        int to;
        const char *others[2];
        int expected;
    };
    const Case cases[] = {
        {"seTextRed", "cbAllText", true, 70, {"seTextGreen", "seTextBlue"}, 70},
        {"seTextGreen", "cbAllText", false, 20, {"seTextRed", "seTextBlue"}, 70},
        {"seOutlineBlue", "cbAllOutline", true, 90, {"seOutlineRed", "seOutlineGreen"}, 90},
        {"seFattenRed", "cbAllFatten", true, -300, {"seFattenGreen", "seFattenBlue"}, -255},
        {"seOutlineBlue", "cbAllOutline", true, 255, {"seOutlineRed", "seOutlineGreen"}, 255},
    };
    for (const Case &c : cases) {
        child<QCheckBox>(c.all)->setChecked(c.linked);
        child<QSpinBox>(c.changed)->setValue(c.to);
        for (const char *other : c.others)
            EXPECT_EQ(child<QSpinBox>(other)->value(), c.expected) << c.changed << " -> " << other;
    }
    // The ranges follow the tolerances: yellow text with tolerance 20 in green only.
    const QPoint p = textPixel();
    // The click draws the frame again: its colour is copied first.
    const uint8_t *at = viewer.frame().pixel(p.x(), p.y());
    const int c[3] = {at[0], at[1], at[2]};
    QTest::mouseClick(image(), Qt::LeftButton, {}, p);
    EXPECT_EQ(viewer.analysis().textRange.min, (sources::Rgb{c[2] - 70, c[1] - 20, 0}));
    EXPECT_EQ(viewer.analysis().textRange.max, (sources::Rgb{255, 255, c[0] + 70}));
    const sources::ColourRange &fatten = viewer.analysis().fattenRange;
    EXPECT_GT(fatten.min.red, fatten.max.red) << "a fatten tolerance of -255 leaves no range";
}

TEST_F(VideoViewerTest, SkipFirstStaysBelowMinDuration)
{
    auto *skip = child<QSpinBox>("seSkipFirst");
    child<QSpinBox>("seMinDuration")->setValue(3);
    EXPECT_EQ(skip->maximum(), 2);
    EXPECT_EQ(skip->value(), 2);
    child<QSpinBox>("seMinDuration")->setValue(50);
    EXPECT_EQ(skip->maximum(), 49);
}

TEST_F(VideoViewerTest, OptionButtonsToggleTheirPanelsAndLineOptionsEnableEachOther)
{
    const std::pair<const char *, const char *> toggles[] = {{"bbLineOptions", "pLineOptions"},
                                                             {"bbColorOptions", "pColorOptions"}};
    for (const auto &[button, panel] : toggles) {
        auto *box = child<QGroupBox>(panel);
        EXPECT_FALSE(box->isVisible()) << panel;
        QTest::mouseClick(child<QPushButton>(button), Qt::LeftButton);
        EXPECT_TRUE(box->isVisible()) << panel;
        EXPECT_GE(viewer.minimumHeight(), 246);
        QTest::mouseClick(child<QPushButton>(button), Qt::LeftButton);
        EXPECT_FALSE(box->isVisible()) << panel;
    }
    auto *fillSides = child<QCheckBox>("cbFillSides");
    auto *align = child<QGroupBox>("rgAlign");
    EXPECT_FALSE(fillSides->isEnabled());
    child<QCheckBox>("cbDrawLines")->setChecked(true);
    EXPECT_TRUE(fillSides->isEnabled());
    EXPECT_FALSE(align->isEnabled());
    fillSides->setChecked(true);
    EXPECT_TRUE(align->isEnabled());
    EXPECT_TRUE(viewer.analysis().options.drawLines);
    EXPECT_TRUE(viewer.analysis().options.fillSides);
}

TEST_F(VideoViewerTest, PlayStopsAtTheLastFrameAndRewindGoesBackToTheFirst)
{
    QTest::mouseClick(image(), Qt::LeftButton, {}, textPixel());
    ASSERT_TRUE(runButton()->isEnabled());
    QTest::mouseClick(child<QPushButton>("bbPlay"), Qt::LeftButton);
    EXPECT_EQ(viewer.position(), kFrames - 1);
    EXPECT_FALSE(viewer.playing());
    EXPECT_TRUE(viewer.stopped()) << "the last frame stops a run that was not running";
    EXPECT_TRUE(child<QPushButton>("bbPlay")->isVisible());
    // Play again on the last frame: nothing is left to play, so the viewer is idle again at once.
    QTest::mouseClick(child<QPushButton>("bbPlay"), Qt::LeftButton);
    EXPECT_FALSE(viewer.playing());
    EXPECT_TRUE(child<QPushButton>("bbPlay")->isVisible());
    EXPECT_FALSE(child<QPushButton>("bbPause")->isVisible());
    EXPECT_TRUE(runButton()->isEnabled());
    QTest::mouseClick(child<QPushButton>("bbRewind"), Qt::LeftButton);
    EXPECT_EQ(viewer.position(), 0);
    EXPECT_EQ(child<QSpinBox>("seFrameNo")->value(), 0);
}

TEST_F(VideoViewerTest, TypedFrameNumberShowsThatFrame)
{
    child<QSpinBox>("seFrameNo")->setValue(20);
    EXPECT_EQ(viewer.position(), 20);
    EXPECT_EQ(viewer.player().position(), 20);
}

TEST_F(VideoViewerTest, CloseHidesTheWindowAndClosesThePlayer)
{
    QSignalSpy closed(&viewer, &VideoViewer::videoClosed);
    QTest::mouseClick(child<QPushButton>("bbCloseVideo"), Qt::LeftButton);
    EXPECT_FALSE(viewer.videoOpen());
    EXPECT_FALSE(viewer.player().opened());
    EXPECT_FALSE(viewer.isVisible());
    EXPECT_EQ(closed.count(), 1);
}

TEST(VideoViewerOpen, AVideoOfOneFrameDoesNotOpen)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("one.mkv"));
    ASSERT_TRUE(test::makeVideo(path, QStringLiteral("color=c=black:s=64x48:r=25"), {}, 1,
                                {QStringLiteral("-c:v"), QStringLiteral("ffv1")})
                    .isEmpty());
    VideoViewer viewer;
    ASSERT_TRUE(viewer.openFile(path).ok());
    auto started = viewer.startVideo(25000);
    ASSERT_FALSE(started.ok());
    EXPECT_TRUE(started.error().message().contains(QStringLiteral("only one frame")))
        << started.error().message().toStdString();
    EXPECT_FALSE(viewer.videoOpen());
    EXPECT_FALSE(viewer.player().opened());
}

} // namespace
