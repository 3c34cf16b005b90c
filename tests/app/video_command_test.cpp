// File > Open Hard Subbed Video Files in the real main window: opening into the viewer, the frame-rate question, the open errors, and runs of burned-in subtitles through recognition.
#include "app/app.h"
#include "app/run_wiring.h"
#include "app/video_command.h"
#include "recognition/scripted_answerer.h"
#include "recognition/ui/dialog_user.h"
#include "recognition/ui/new_character_dialog.h"
#include "recognition/ui/ocr_assistant_dialog.h"
#include "ripping/ui/main_window.h"
#include "ripping/ui/preview_screen.h"
#include "sources/avi_player.h"
#include "sources/ui/video_viewer.h"
#include "sources/video_run.h"
#include "subtitles/ui/subtitles_window.h"

#include "support/app_test.h"
#include "support/burned_video_fixture.h"
#include "support/container_videos.h"
#include "support/first_question_in_dialog.h"
#include "support/qt_print.h"
#include "support/skip_in_assistant.h"
#include "support/test_data.h"
#include "support/test_video.h"
#include "support/watching_teacher.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>

using namespace glyfex;
using glyfex::sources::ui::VideoViewer;

namespace {

// 25 frames a second: "Hello world" on frames 10..29, "Quiet night" on frames 40..59.
const std::vector<test::BurnedSubtitle> kLines{{400, 1200, QStringLiteral("Hello world")},
                                               {1600, 2400, QStringLiteral("Quiet night")}};

std::vector<recognition::TruthEntry> truthOf(const std::vector<test::BurnedSubtitle> &lines)
{
    std::vector<recognition::TruthEntry> truth;
    for (const test::BurnedSubtitle &s : lines)
        truth.push_back({core::millisecondsToTimeCode(s.startMs), {s.text}});
    return truth;
}

class VideoCommandTest : public test::AppTest {
protected:
    static void SetUpTestSuite()
    {
        test::BurnedVideo video;
        video.frames = 75;
        video.subtitles = kLines;
        s_video.make(QStringLiteral("burned.mkv"), video);
    }
    static void TearDownTestSuite() { s_video.drop(); }

    void SetUp() override
    {
        ASSERT_TRUE(s_video.error.isEmpty()) << s_video.error.toStdString();
        AppTest::SetUp();
        main = app.mainWindow();
        main->show();
        viewer = app.videoViewer();
        ASSERT_NE(viewer, nullptr);
        ASSERT_NE(app.run().video(), nullptr);
        app.run().setGlyphAsker(&teacher);
    }

    // Through the menu command and its file dialog.
    void open(const QString &path)
    {
        files.names = {path};
        action("OpenVideo")->trigger();
    }
    // Opens the test video (or another with its lines) and picks the text colour on a pixel of the first
    // line (yellow, or the other video's textColour).
    void openAndPick(const QString &path = s_video.path, uint32_t textColour = 0xFFFF00)
    {
        open(path);
        ASSERT_TRUE(viewer->videoOpen());
        // Letters of the text stand up to 10 pixels apart, words at least 18 (Advanced OCR Setup); the
        // letters' thin anti-aliased joins need a wider text tolerance than the default (all three
        // channels move with red).
        app.ocr.spaceWidth = 14;
        viewer->findChild<QSpinBox *>(QStringLiteral("seTextRed"))->setValue(80);
        viewer->setPosition(15);
        const std::optional<QPoint> text = test::burnedTextPixel(viewer->frame(), viewer->region(), textColour);
        ASSERT_TRUE(text.has_value()) << "no text at frame 15";
        QTest::mouseClick(viewer->findChild<QWidget *>(QStringLiteral("ImageVideo")), Qt::LeftButton, {}, *text);
        ASSERT_TRUE(button("bbProcess")->isEnabled());
        QTest::mouseClick(button("bbRewind"), Qt::LeftButton);
    }
    void run() { QTest::mouseClick(button("bbProcess"), Qt::LeftButton); }

    QAction *action(const char *name) const { return main->findChild<QAction *>(QString::fromLatin1(name)); }
    QPushButton *button(const char *name) const
    {
        QPushButton *b = viewer->findChild<QPushButton *>(QString::fromLatin1(name));
        if (!b)
            b = main->findChild<QPushButton *>(QString::fromLatin1(name));
        return b;
    }
    subtitles::SubtitleStore &store() { return app.run().subtitlesWindow().store(); }
    QStringList stored()
    {
        QStringList out;
        for (const subtitles::Subtitle &s : store().subs)
            out << QStringLiteral("%1-%2 %3")
                       .arg(core::timeCodeToMilliseconds(s.start))
                       .arg(core::timeCodeToMilliseconds(s.stop))
                       .arg(s.lines.join(QLatin1Char('|')));
        return out;
    }
    // The five commands that open a source, each enabled or not.
    std::vector<bool> openCommandsEnabled() const
    {
        return {action("OpenVideo")->isEnabled(), action("OpenVob1")->isEnabled(),
                action("OpenImageSequence1")->isEnabled(), button("TntBitButtonOpenVideo")->isEnabled(),
                button("TntBitButtonOpenVob")->isEnabled()};
    }
    QString labelText(const char *name) const { return main->findChild<QLabel *>(QString::fromLatin1(name))->text(); }

    static inline test::SuiteVideo s_video;
    test::WatchingTeacher teacher{truthOf(kLines)};
    ripping::ui::MainWindow *main = nullptr;
    VideoViewer *viewer = nullptr;
};

const QStringList kBothLines{QStringLiteral("400-1160 Hello world"), QStringLiteral("1600-2360 Quiet night")};

TEST_F(VideoCommandTest, OpeningPutsTheMainWindowInTheVideosStateAndCloseGivesItBack)
{
    const std::vector<bool> allEnabled(5, true);
    ASSERT_EQ(openCommandsEnabled(), allEnabled);
    open(s_video.path);
    ASSERT_TRUE(viewer->videoOpen()) << prompt.shown.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(files.filterIndexes.value(0), 1);
    EXPECT_TRUE(app.videoOpen);
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_EQ(viewer->fpsX1000(), 25000);
    EXPECT_EQ(app.batch.clock.standard.maxFrame, 24);
    EXPECT_EQ(viewer->region(), (picture::Rect{1, 460, 719, 575}));
    EXPECT_EQ(openCommandsEnabled(), std::vector<bool>(5, false));
    EXPECT_EQ(labelText("LabelPos"), QStringLiteral("1 / 74 fr. (1 %)"));
    auto *progress = main->findChild<QProgressBar *>(QStringLiteral("ProgressBar1"));
    EXPECT_EQ(progress->maximum(), 74);
    EXPECT_EQ(progress->value(), 1);
    EXPECT_EQ(app.run().subtitlesWindow().findChild<QComboBox *>(QStringLiteral("ComboBoxFPS"))->currentText(),
              QStringLiteral("25.000"));
    EXPECT_EQ(main->previewScreen()->toolTip(), app.message(core::Msg::MaskColoursLegend));
    EXPECT_FALSE(button("bbProcess")->isEnabled());
    EXPECT_TRUE(button("bbCloseVideo")->isEnabled());

    QTest::mouseClick(button("bbCloseVideo"), Qt::LeftButton);
    EXPECT_FALSE(viewer->videoOpen());
    EXPECT_FALSE(app.videoOpen);
    EXPECT_FALSE(viewer->isVisible());
    EXPECT_EQ(openCommandsEnabled(), allEnabled);
    EXPECT_TRUE(main->previewScreen()->toolTip().isEmpty());
    EXPECT_TRUE(prompt.shown.isEmpty()) << prompt.shown.join(QLatin1Char('\n')).toStdString();
}

TEST_F(VideoCommandTest, VideosThatCannotBeShownFailWithTheOpenError)
{
    struct Case {
        const char *name;
        std::function<void(const QString &)> make;
    };
    const Case cases[] = {
        {"one frame", [](const QString &p) {
             ASSERT_TRUE(test::makeVideo(p, QStringLiteral("color=c=black:s=64x48:r=25"), {}, 1,
                                         {QStringLiteral("-c:v"), QStringLiteral("ffv1")})
                             .isEmpty());
         }},
        {"not a video", [](const QString &p) { test::writeBytes(p, QByteArray("this is no video at all")); }},
    };
    QTemporaryDir dir;
    for (const Case &c : cases) {
        prompt.shown.clear();
        const QString path = dir.filePath(QString::fromLatin1(c.name) + QStringLiteral(".mkv"));
        c.make(path);
        open(path);
        EXPECT_FALSE(viewer->videoOpen()) << c.name;
        EXPECT_FALSE(app.videoOpen) << c.name;
        ASSERT_EQ(prompt.shown.size(), 1) << c.name;
        EXPECT_TRUE(prompt.shown[0].startsWith(QStringLiteral("error: Error opening video file.\r\n")))
            << prompt.shown[0].toStdString();
        EXPECT_EQ(openCommandsEnabled(), std::vector<bool>(5, true)) << c.name;
    }
}

TEST_F(VideoCommandTest, AVideoWithoutARateAsksForIt)
{
    QTemporaryDir dir;
    struct File {
        const char *name;
        QString source;
        QStringList codec;
    };
    const File videos[] = {
        // A frame every 3000 s: a rate that rounds to 0 frames per 1000 s, so the file gives none.
        {"slow.avi", QStringLiteral("color=c=black:s=64x48:r=1/3000"), {QStringLiteral("-c:v"), QStringLiteral("ffv1")}},
        // A motion JPEG stream has no times: FFmpeg assumes 25 frames a second for it.
        {"camera.mjpeg", QStringLiteral("testsrc2=s=64x48:r=30"),
         {QStringLiteral("-c:v"), QStringLiteral("mjpeg"), QStringLiteral("-f"), QStringLiteral("mjpeg")}},
    };
    struct Case {
        std::optional<QString> typed;
        bool open;
        int fpsX1000;
        int maxFrame; // the highest frame number of a second: whole frames less one, as for an image sequence
        bool error;
    };
    const Case cases[] = {
        {std::nullopt, false, 0, 0, false}, // Cancel: no video, no message
        {QStringLiteral("0"), false, 0, 0, true},
        {QStringLiteral("23.976"), true, 23976, 22, false},
        {QStringLiteral("29.97"), true, 29970, 28, false},
    };
    for (const File &f : videos) {
        SCOPED_TRACE(f.name);
        const QString path = dir.filePath(QString::fromLatin1(f.name));
        ASSERT_TRUE(test::makeVideo(path, f.source, {}, 3, f.codec).isEmpty());
        for (const Case &c : cases) {
            prompt.shown.clear();
            QStringList asked;
            app.run().video()->setRateQuestion([&](const QString &title, const QString &text, const QString &initial) {
                asked << title << text << initial;
                return c.typed;
            });
            open(path);
            EXPECT_EQ(asked, (QStringList{QStringLiteral("Cannot detect frame rate"),
                                          QStringLiteral("Input frame rate value"), QStringLiteral("23.976")}));
            EXPECT_EQ(viewer->videoOpen(), c.open) << c.typed.value_or(QStringLiteral("(cancel)")).toStdString();
            EXPECT_EQ(prompt.shown.size(), c.error ? 1 : 0) << prompt.shown.join(QLatin1Char('\n')).toStdString();
            if (c.open) {
                EXPECT_EQ(viewer->fpsX1000(), c.fpsX1000);
                EXPECT_EQ(app.batch.clock.standard.maxFrame, c.maxFrame);
                QTest::mouseClick(button("bbCloseVideo"), Qt::LeftButton);
            } else {
                EXPECT_EQ(openCommandsEnabled(), std::vector<bool>(5, true));
            }
        }
    }
}

// Every container the open dialog offers opens in the viewer at frame 1, as FFmpeg decodes that frame.
class VideoViewerContainers : public VideoCommandTest, public ::testing::WithParamInterface<test::ContainerVideo> {};

TEST_P(VideoViewerContainers, OpensAtFrameOneAsFfmpegDecodesIt)
{
    const test::ContainerVideo &c = GetParam();
    QTemporaryDir dir;
    QString error;
    const QString path = test::containerVideoPath(c, dir.path(), error);
    ASSERT_FALSE(path.isEmpty()) << error.toStdString();
    const std::vector<uint8_t> oracle = test::ffmpegBgrFrames(path);
    open(path);
    ASSERT_TRUE(viewer->videoOpen()) << prompt.shown.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(prompt.shown.isEmpty()) << prompt.shown.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(viewer->fpsX1000(), c.fpsX1000);
    const sources::BgrFrame &shown = viewer->frame();
    const size_t frameBytes = shown.bytes.size();
    ASSERT_GE(oracle.size(), 2 * frameBytes);
    const int frames = int(oracle.size() / frameBytes);
    EXPECT_EQ(viewer->lastFrame(), frames - 1);
    EXPECT_EQ(labelText("LabelPos"), QStringLiteral("1 / %1 fr. (%2 %)").arg(frames - 1).arg(100 / (frames - 1)));
    EXPECT_TRUE(std::equal(shown.bytes.begin(), shown.bytes.end(), oracle.begin() + ptrdiff_t(frameBytes)));
    viewer->setPosition(frames - 1);
    EXPECT_TRUE(std::equal(viewer->frame().bytes.begin(), viewer->frame().bytes.end(),
                           oracle.begin() + ptrdiff_t(frameBytes * size_t(frames - 1))))
        << "the last frame";
    QTest::mouseClick(button("bbCloseVideo"), Qt::LeftButton);
}

INSTANTIATE_TEST_SUITE_P(Videos, VideoViewerContainers, ::testing::ValuesIn(test::containerVideos()),
                         [](const auto &info) { return test::containerVideoTestName(info.param); });

TEST_F(VideoCommandTest, RunStoresEachSubtitleWithItsFirstAndLastFrameAndSavesItsMasks)
{
    ASSERT_NO_FATAL_FAILURE(openAndPick());
    viewer->findChild<QCheckBox *>(QStringLiteral("cbSave"))->setChecked(true);
    bool runningState = true;
    teacher.onQuestion = [&] {
        runningState = runningState && button("bbStopVideo")->isVisible() && !button("bbProcess")->isVisible()
                    && !button("bbCloseVideo")->isEnabled() && !button("bbRewind")->isEnabled()
                    && !main->batchTimerActive() && button("ButtonPause")->isEnabled();
    };
    const bool timerBefore = main->batchTimerActive();
    const bool pausedBefore = app.batch.paused;
    run();
    EXPECT_EQ(stored(), kBothLines) << prompt.shown.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(runningState);
    for (const subtitles::Subtitle &s : store().subs) {
        // The text's box lies inside the region, on the frame.
        EXPECT_GE(s.rect.left, 1);
        EXPECT_GE(s.rect.top, 460);
        EXPECT_LE(s.rect.right, 719);
        EXPECT_LE(s.rect.bottom, 575);
        EXPECT_GT(s.rect.width(), 50);
    }
    ASSERT_TRUE(app.run().video()->cropRect().has_value());
    EXPECT_EQ(app.run().video()->cropRect()->width(), store().last().rect.width());
    EXPECT_TRUE(button("bbProcess")->isVisible());
    EXPECT_FALSE(button("bbStopVideo")->isVisible());
    EXPECT_TRUE(button("bbCloseVideo")->isEnabled());
    EXPECT_EQ(main->batchTimerActive(), timerBefore);
    EXPECT_EQ(app.batch.paused, pausedBefore);

    // The pictures go beside the video, in a folder named after it, with the index written at save.
    const QString folder = s_video.dir->filePath(QStringLiteral("burned"));
    for (const char *name : {"image_0.pgm", "image_1.pgm"})
        EXPECT_TRUE(QFile::exists(QDir(folder).filePath(QString::fromLatin1(name)))) << name;
    QTemporaryDir out;
    files.names = {out.filePath(QStringLiteral("burned.srt"))};
    app.run().subtitlesWindow().saveAs(); // plain text: the code-page panel
    app.run().subtitlesWindow().saveAnsi();
    QFile index(QDir(folder).filePath(QStringLiteral("index.bms")));
    ASSERT_TRUE(index.open(QIODevice::ReadOnly)) << prompt.shown.join(QLatin1Char('\n')).toStdString() << files.titles.join(QLatin1Char('\n')).toStdString();
    const QList<QByteArray> lines = index.readAll().split('\n');
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines[0], QByteArray("2\r"));
    EXPECT_TRUE(lines[1].startsWith("0,10,29,")) << lines[1].toStdString();
    EXPECT_TRUE(lines[2].startsWith("1,40,59,")) << lines[2].toStdString();
    QDir(folder).removeRecursively();
}

// A frame lost from the file inside the first subtitle: both are stored at their times, and the user is
// told how many frames the run could not see.
TEST_F(VideoCommandTest, ARunOverAFrameLostFromTheFileStoresEverySubtitleAndSaysSo)
{
    QTemporaryDir dir;
    test::BurnedVideo video;
    video.frames = 75;
    video.subtitles = kLines;
    video.droppedPacket = 20;
    const QString path = dir.filePath(QStringLiteral("damaged.mkv"));
    ASSERT_TRUE(test::makeBurnedVideo(path, video).isEmpty());
    ASSERT_NO_FATAL_FAILURE(openAndPick(path));
    EXPECT_EQ(viewer->lastFrame(), 74);
    run();
    EXPECT_EQ(stored(), kBothLines) << prompt.shown.join(QLatin1Char('\n')).toStdString();
    ASSERT_EQ(prompt.shown.size(), 1);
    EXPECT_TRUE(prompt.shown[0].startsWith(QStringLiteral("warn: 1 frame(s) of the video could not be decoded")))
        << prompt.shown[0].toStdString();
}

// Frame 1, where the viewer opens, lost from the file: the viewer opens on a black frame, the others show.
TEST_F(VideoCommandTest, AVideoThatLostFrameOneOpensOnABlackFrame)
{
    QTemporaryDir dir;
    test::BurnedVideo video;
    video.frames = 30;
    video.subtitles = kLines;
    video.droppedPacket = 1;
    const QString path = dir.filePath(QStringLiteral("lost_first.mkv"));
    ASSERT_TRUE(test::makeBurnedVideo(path, video).isEmpty());
    open(path);
    ASSERT_TRUE(viewer->videoOpen()) << prompt.shown.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(prompt.shown.isEmpty()) << prompt.shown.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(viewer->lastFrame(), 29);
    const auto &black = viewer->frame().bytes;
    ASSERT_EQ(black.size(), size_t(720 * 576 * 3));
    EXPECT_TRUE(std::all_of(black.begin(), black.end(), [](uint8_t v) { return v == 0; }));
    viewer->setPosition(15);
    EXPECT_TRUE(test::burnedTextPixel(viewer->frame(), viewer->region()).has_value()) << "frame 15 shows its text";
}

// A 1920 x 1080 video whose text ffmpeg draws in DejaVu Sans at 74 pixels to the em: its letters stand
// about 56 rows high, taller than a glyph recognition keeps, and are read on the frame reduced by 2.
TEST_F(VideoCommandTest, TextOfA1080RowVideoTallerThanAGlyphIsReadAfterTeaching)
{
    test::BurnedVideo hd{test::BurnKind::Lossy, 1920, 1080, 90, kLines};
    hd.fontPixels = 74;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("hd.mkv"));
    const QString made = test::makeBurnedVideo(path, hd);
    ASSERT_TRUE(made.isEmpty()) << made.toStdString();
    // A subtitle whose text cannot be read goes to the assistant's skipped items: none may.
    test::SkipInAssistant skipped;
    app.window(QStringLiteral("Form15"))->installEventFilter(&skipped);
    ASSERT_NO_FATAL_FAILURE(openAndPick(path, hd.textColour()));
    // Letters stand up to 8 pixels of the reduced picture apart, words about 15: the distances of the
    // Advanced OCR Setup count pixels of the reduced picture.
    app.ocr.spaceWidth = 11;
    run();
    const QStringList texts{kLines[0].text, kLines[1].text};
    QStringList read;
    for (const subtitles::Subtitle &s : store().subs) {
        read << s.lines.join(QLatin1Char('|'));
        EXPECT_GT(s.rect.height(), 50) << "the text is taller than a glyph";
    }
    EXPECT_EQ(read, texts) << prompt.shown.join(QLatin1Char('\n')).toStdString();

    // Once taught, the video is read again without a question.
    store().clear();
    recognition::ScriptedAnswerer nobody(app.run().runControl());
    app.run().setGlyphAsker(&nobody);
    QTest::mouseClick(button("bbRewind"), Qt::LeftButton);
    run();
    read.clear();
    for (const subtitles::Subtitle &s : store().subs)
        read << s.lines.join(QLatin1Char('|'));
    EXPECT_EQ(read, texts);
    EXPECT_TRUE(nobody.seen().empty());
    EXPECT_EQ(skipped.shown, 0);
}

TEST_F(VideoCommandTest, PrevTakesBackTheLastSubtitleAndGoesToItsStart)
{
    ASSERT_NO_FATAL_FAILURE(openAndPick());
    run();
    ASSERT_EQ(stored(), kBothLines);
    ASSERT_TRUE(button("bbPrevSub")->isEnabled());
    QTest::mouseClick(button("bbPrevSub"), Qt::LeftButton);
    EXPECT_EQ(stored(), QStringList{kBothLines[0]});
    EXPECT_EQ(viewer->position(), 40);
    EXPECT_EQ(app.run().subtitlesWindow().list()->count() > 0, true);
}

TEST_F(VideoCommandTest, ARegionDraggedDuringARunTakesEffectAtTheNextFrame)
{
    ASSERT_NO_FATAL_FAILURE(openAndPick());
    QWidget *image = viewer->findChild<QWidget *>(QStringLiteral("ImageVideo"));
    bool dragged = false;
    teacher.onQuestion = [&] {
        if (dragged)
            return;
        dragged = true;
        QTest::mousePress(image, Qt::RightButton, {}, QPoint(700, 575));
        QTest::mouseMove(image, QPoint(20, 400));
        QTest::mouseRelease(image, Qt::RightButton, {}, QPoint(20, 400));
    };
    run();
    EXPECT_EQ(viewer->region(), (picture::Rect{20, 400, 700, 575}));
    EXPECT_EQ(stored(), kBothLines) << prompt.shown.join(QLatin1Char('\n')).toStdString();
}

// A run ended while the first subtitle's first question is open: that subtitle is stored, no other.
class VideoRunEndTest : public VideoCommandTest, public ::testing::WithParamInterface<bool> {};

TEST_P(VideoRunEndTest, StopOrClosingTheWindowEndsTheRunAfterTheSubtitleBeingRecognised)
{
    const bool closes = GetParam();
    ASSERT_NO_FATAL_FAILURE(openAndPick());
    bool acted = false;
    teacher.onQuestion = [&] {
        if (acted)
            return;
        acted = true;
        if (closes)
            viewer->close();
        else
            QTest::mouseClick(button("bbStopVideo"), Qt::LeftButton);
    };
    run();
    EXPECT_TRUE(acted);
    EXPECT_EQ(stored(), QStringList{kBothLines[0]});
    EXPECT_TRUE(prompt.shown.isEmpty()) << prompt.shown.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(viewer->videoOpen(), !closes) << "a close during the run closes the video after it";
    EXPECT_EQ(openCommandsEnabled(), std::vector<bool>(5, closes));
    if (!closes) {
        EXPECT_LT(viewer->position(), 40);
        EXPECT_TRUE(button("bbProcess")->isVisible());
    }
}

INSTANTIATE_TEST_SUITE_P(StopOrClose, VideoRunEndTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool> &info) { return info.param ? "Close" : "Stop"; });

TEST_F(VideoCommandTest, PrevDuringAPauseIsSearchedAgainFromTheLastSubtitlesStart)
{
    ASSERT_NO_FATAL_FAILURE(openAndPick());
    bool prevOffWhileRunning = true;
    bool paused = false;
    // The run waits in the pause only after it has read the rest of this subtitle, which may take any
    // time on a busy machine: the user's Prev. and Continue come at the first turn of the event loop that
    // finds Prev. offered. The bound only keeps a run that never offers it from waiting for ever.
    QTimer whenWaiting;
    whenWaiting.setInterval(1);
    QDeadlineTimer giveUp;
    QObject::connect(&whenWaiting, &QTimer::timeout, [&] {
        if (!button("bbPrevSub")->isEnabled() && !giveUp.hasExpired())
            return;
        whenWaiting.stop();
        EXPECT_TRUE(button("bbPrevSub")->isEnabled()) << "the pause offers Prev.";
        QTest::mouseClick(button("bbPrevSub"), Qt::LeftButton);
        QTest::mouseClick(button("ButtonPause"), Qt::LeftButton);
    });
    teacher.onQuestion = [&] {
        prevOffWhileRunning = prevOffWhileRunning && !button("bbPrevSub")->isEnabled();
        if (paused || store().count() != 1)
            return;
        // At the second subtitle's first question: the main window's Pause, then Prev. and Continue
        // once the run waits.
        paused = true;
        QTest::mouseClick(button("ButtonPause"), Qt::LeftButton);
        giveUp.setRemainingTime(120000);
        whenWaiting.start();
    };
    run();
    EXPECT_FALSE(whenWaiting.isActive()) << "the run ended without waiting in the pause";
    EXPECT_TRUE(paused);
    EXPECT_TRUE(prevOffWhileRunning);
    EXPECT_EQ(stored(), kBothLines) << "the subtitle taken back is found again";
}

TEST_F(VideoCommandTest, FillMatrixOpensTheAssistantForTheSubtitleSearchedAgain)
{
    // The first question is answered in the real dialog with "Fill matrix": the run pauses, resumes
    // by itself, finds the subtitle again and the assistant opens for it before it is read.
    recognition::ui::NewCharacterDialog *dialog = app.run().newCharacterDialog();
    ASSERT_NE(dialog, nullptr);
    test::FirstQuestionInDialog firstToDialog(*dialog, "ButtonFillMatrix", teacher);
    app.run().setGlyphAsker(&firstToDialog);
    recognition::ui::OcrAssistantDialog *assistant = app.run().ocrAssistant();
    ASSERT_NE(assistant, nullptr);
    int shown = 0;
    test::User user(*assistant);
    user.then([&] {
        ++shown;
        assistant->findChild<QPushButton *>(QStringLiteral("bbDone"))->click();
    });
    ASSERT_NO_FATAL_FAILURE(openAndPick());
    run();
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(user.done());
    EXPECT_EQ(stored(), kBothLines) << prompt.shown.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(app.run().assistState().mode, recognition::OcrAssistState::Automatic) << "put back after the run";
}

TEST_F(VideoCommandTest, AClosedOrFailedVideoGivesTheInputsFrameBack)
{
    // The input's frame as it was (no DVD yet): the Output Format dialog lets the user choose the rate.
    ASSERT_EQ(app.input.frameSize.width(), 0);
    QTemporaryDir dir;
    const QString oneFrame = dir.filePath(QStringLiteral("one frame.mkv"));
    ASSERT_TRUE(test::makeVideo(oneFrame, QStringLiteral("color=c=black:s=64x48:r=25"), {}, 1,
                                {QStringLiteral("-c:v"), QStringLiteral("ffv1")})
                    .isEmpty());
    struct Case {
        const char *name;
        std::function<void()> openAndClose;
    };
    const Case cases[] = {
        {"closed", [&] {
             open(s_video.path);
             ASSERT_TRUE(viewer->videoOpen());
             EXPECT_EQ(app.input.frameSize, QSize(720, 576)) << "the preview shows the video's frame meanwhile";
             QTest::mouseClick(button("bbCloseVideo"), Qt::LeftButton);
         }},
        {"failed", [&] {
             open(oneFrame);
             ASSERT_FALSE(viewer->videoOpen());
         }},
    };
    auto *formats = app.window(QStringLiteral("Form13"));
    ASSERT_NE(formats, nullptr);
    for (const Case &c : cases) {
        const QSize before = app.input.frameSize;
        ASSERT_NO_FATAL_FAILURE(c.openAndClose()) << c.name;
        EXPECT_EQ(app.input.frameSize, before) << c.name;
        formats->show();
        EXPECT_TRUE(formats->findChild<QComboBox *>(QStringLiteral("ComboBoxSTLFrameRate"))->isEnabled()) << c.name;
        formats->hide();
    }
}

TEST_F(VideoCommandTest, ARepeatedSubtitleIsMergedAndEndsAtTheViewersFrame)
{
    // "Hello world" twice, two frames apart (frames 10..29 and 32..44): one subtitle.
    test::BurnedVideo video;
    video.frames = 75;
    video.subtitles = {{400, 1200, QStringLiteral("Hello world")}, {1280, 1800, QStringLiteral("Hello world")}};
    test::SuiteVideo repeated;
    repeated.make(QStringLiteral("repeated.mkv"), video);
    ASSERT_TRUE(repeated.error.isEmpty()) << repeated.error.toStdString();
    ASSERT_NO_FATAL_FAILURE(openAndPick(repeated.path));
    run();
    // The second showing's last frame is 44 (1760 ms); the viewer stands on frame 45, where the text has gone.
    EXPECT_EQ(stored(), QStringList{QStringLiteral("400-1800 Hello world")}) << prompt.shown.join(QLatin1Char('\n')).toStdString();
}

// 25 frames a second for 4 s, then 12. "Quiet night" shows twice across the change, three frames apart at
// 12 a second (six at the file's 25): one subtitle. Each time and each frame of index.bms is the pictures'
// own, also past the change, where the file's rate no longer counts the frames.
TEST_F(VideoCommandTest, AVariableRateVideoIsMergedAndIndexedByItsOwnFrames)
{
    const std::vector<test::BurnedSubtitle> lines{{400, 1200, QStringLiteral("Hello world")},
                                                  {3020, 4460, QStringLiteral("Quiet night")},
                                                  {4620, 5460, QStringLiteral("Quiet night")},
                                                  {6540, 7460, QStringLiteral("Hello world")}};
    test::BurnedVideo video;
    video.frames = 148;
    video.subtitles = lines;
    video.frameTimes = QStringLiteral("if(lt(N,100),N/25,4+(N-100)/12)");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("slower.mkv"));
    const QString made = test::makeBurnedVideo(path, video);
    ASSERT_TRUE(made.isEmpty()) << made.toStdString();

    // The runs of frames whose pictures carry text, as the player numbers the frames.
    std::vector<std::pair<int, int>> shown;
    {
        sources::AviPlayer player;
        ASSERT_TRUE(player.setFileName(path).ok());
        ASSERT_TRUE(player.ownTimes());
        bool before = false;
        for (int n = 0; n < player.frameCount(); ++n) {
            player.setPosition(n);
            sources::BgrFrame frame;
            ASSERT_TRUE(player.drawFrame(frame).ok()) << n;
            const bool text = test::burnedTextPixel(frame, sources::defaultVideoArea(frame.width, frame.height))
                                  .has_value();
            if (text && !before)
                shown.push_back({n, n});
            if (text)
                shown.back().second = n;
            before = text;
        }
    }
    ASSERT_EQ(shown.size(), lines.size());

    test::WatchingTeacher slowTeacher{truthOf(lines)};
    app.run().setGlyphAsker(&slowTeacher);
    ASSERT_NO_FATAL_FAILURE(openAndPick(path));
    viewer->findChild<QCheckBox *>(QStringLiteral("cbSave"))->setChecked(true);
    run();

    struct Expected {
        const char *text;
        size_t firstShown; // the lines (and runs of frames) the subtitle covers
        size_t lastShown;
        int firstFrameMs;  // the frame intervals where the text starts and ends
        int lastFrameMs;
    };
    const Expected expected[] = {
        {"Hello world", 0, 0, 40, 40},
        {"Quiet night", 1, 2, 40, 84},
        {"Hello world", 3, 3, 84, 84},
    };
    ASSERT_EQ(store().count(), int(std::size(expected))) << stored().join(QLatin1Char('\n')).toStdString();
    for (size_t i = 0; i < std::size(expected); ++i) {
        const Expected &e = expected[i];
        const subtitles::Subtitle &s = store().subs[i];
        SCOPED_TRACE(::testing::Message() << "subtitle " << i);
        EXPECT_EQ(s.lines, QStringList{QString::fromLatin1(e.text)});
        EXPECT_NEAR(double(core::timeCodeToMilliseconds(s.start)), lines[e.firstShown].startMs, e.firstFrameMs);
        EXPECT_NEAR(double(core::timeCodeToMilliseconds(s.stop)), lines[e.lastShown].endMs, e.lastFrameMs);
    }

    const QString folder = dir.filePath(QStringLiteral("slower"));
    QTemporaryDir out;
    files.names = {out.filePath(QStringLiteral("slower.srt"))};
    app.run().subtitlesWindow().saveAs();
    app.run().subtitlesWindow().saveAnsi();
    QFile index(QDir(folder).filePath(QStringLiteral("index.bms")));
    ASSERT_TRUE(index.open(QIODevice::ReadOnly)) << prompt.shown.join(QLatin1Char('\n')).toStdString();
    const QList<QByteArray> entries = index.readAll().split('\n');
    ASSERT_GE(entries.size(), qsizetype(std::size(expected)) + 1);
    EXPECT_EQ(entries[0], QByteArray("3\r"));
    for (size_t i = 0; i < std::size(expected); ++i) {
        const Expected &e = expected[i];
        // A repeat ends where the viewer stood when it was merged: the frame after its last, where the text is gone.
        const bool merged = e.lastShown != e.firstShown;
        const QByteArray frames = QByteArray::number(qulonglong(i)) + ',' +
                                  QByteArray::number(shown[e.firstShown].first) + ',' +
                                  QByteArray::number(shown[e.lastShown].second + (merged ? 1 : 0)) + ',';
        EXPECT_TRUE(entries[qsizetype(i) + 1].startsWith(frames))
            << entries[qsizetype(i) + 1].toStdString() << " for " << frames.toStdString();
    }
}

} // namespace

namespace {

// Two videos one after the other: the Picture labels tell the second one's area, never the first one's.
TEST_F(VideoCommandTest, ThePictureLabelsFollowTheNextVideo)
{
    QTemporaryDir dir;
    const QString hd = dir.filePath(QStringLiteral("hd.mkv"));
    const QString small = dir.filePath(QStringLiteral("small.mkv"));
    for (const auto &[path, size] : {std::pair{hd, QStringLiteral("1920x1080")}, std::pair{small, QStringLiteral("640x360")}})
        ASSERT_EQ(test::makeVideo(path, QStringLiteral("color=c=black:s=%1:r=25").arg(size), {}, 3,
                                  {QStringLiteral("-c:v"), QStringLiteral("ffv1")}),
                  QString());
    const auto labels = [&] {
        QStringList out;
        for (const char *name : {"LabelX1", "LabelY1", "LabelX2", "LabelY2", "LabelWidth", "LabelHeight"})
            out << labelText(name);
        return out;
    };
    const auto pickInsideTheRegion = [&] {
        const QRect r(viewer->region().left, viewer->region().top, viewer->region().width(), viewer->region().height());
        QTest::mouseClick(viewer->findChild<QWidget *>(QStringLiteral("ImageVideo")), Qt::LeftButton, {}, r.center());
    };
    open(hd);
    ASSERT_TRUE(viewer->videoOpen());
    pickInsideTheRegion();
    EXPECT_EQ(labels(), (QStringList{"1", "863", "1919", "1079", "1919", "217"}));
    // The open commands wait for the video to be closed.
    QTest::mouseClick(button("bbCloseVideo"), Qt::LeftButton);
    ASSERT_FALSE(viewer->videoOpen());
    EXPECT_EQ(labels(), (QStringList{"0", "0", "0", "0", "0", "0"})) << "closed";
    open(small);
    ASSERT_TRUE(viewer->videoOpen());
    ASSERT_EQ(viewer->player().width(), 640) << prompt.shown.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(labels(), (QStringList{"0", "0", "0", "0", "0", "0"})) << "nothing of the second video is shown yet";
    pickInsideTheRegion();
    EXPECT_EQ(labels(), (QStringList{"1", "287", "639", "359", "639", "73"}));
}

// A file that is decoded whole before its first frame shows: the interface runs meanwhile under a busy
// cursor, and Cancel in the progress dialog leaves no video open and says nothing.
TEST_F(VideoCommandTest, OpeningAVideoDecodedWholeKeepsTheWindowResponsiveAndCanBeCancelled)
{
    QTemporaryDir dir;
    const QString avi = dir.filePath(QStringLiteral("decoded on open.avi"));
    ASSERT_EQ(test::makeVideo(avi, QStringLiteral("testsrc2=s=320x240:r=25"), {}, 200,
                              {QStringLiteral("-c:v"), QStringLiteral("mpeg4"), QStringLiteral("-bf"), QStringLiteral("2"),
                               QStringLiteral("-g"), QStringLiteral("12")}),
              QString());
    const struct {
        const char *name;
        bool cancel;
    } cases[] = {{"let through", false}, {"cancelled", true}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        bool ranDuringTheOpen = false;
        bool busy = false;
        bool progressShown = false;
        Qt::WindowModality modality = Qt::NonModal;
        // Runs at the open's first pump of the interface, before the video is open.
        QTimer::singleShot(0, main, [&] {
            ranDuringTheOpen = !viewer->videoOpen();
            busy = QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
            for (QWidget *w : QApplication::allWidgets()) {
                if (auto *dialog = qobject_cast<QProgressDialog *>(w)) {
                    progressShown = true;
                    modality = dialog->windowModality();
                    if (c.cancel)
                        dialog->cancel();
                }
            }
        });
        prompt.shown.clear();
        open(avi);
        EXPECT_TRUE(ranDuringTheOpen);
        EXPECT_TRUE(busy);
        EXPECT_TRUE(progressShown);
        EXPECT_EQ(modality, Qt::ApplicationModal) << "no other command starts meanwhile";
        EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the cursor is given back";
        EXPECT_EQ(viewer->videoOpen(), !c.cancel);
        EXPECT_TRUE(prompt.shown.isEmpty()) << prompt.shown.join(QLatin1Char('\n')).toStdString();
        EXPECT_EQ(openCommandsEnabled(), std::vector<bool>(5, c.cancel));
        if (viewer->videoOpen()) {
            EXPECT_EQ(viewer->player().frameCount(), 200);
            QTest::mouseClick(button("bbCloseVideo"), Qt::LeftButton);
        }
    }
}

} // namespace
