// The main window: window order, the batch timer, pause, the deferred close, priority and the preview.
#include "app/app.h"
#include "app/run_wiring.h"
#include "core/char_text.h"
#include "core/ui/language_applier.h"
#include "recognition/char_matrix.h"
#include "ripping/ui/input_dialog.h"
#include "ripping/ui/main_window.h"
#include "ripping/ui/preview_screen.h"
#include "ripping/ui/progress_controller.h"

#include "subtitles/ui/subtitles_window.h"
#include "support/app_test.h"
#include "support/sequence_pictures.h"
#include "support/test_data.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <vector>

#include <functional>
#include <stdexcept>

using namespace glyfex;
using namespace glyfex::ripping;
using namespace glyfex::ripping::ui;

namespace {

class MainWindowTest : public test::AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        main = app.mainWindow();
        main->show();
        pause = main->findChild<QPushButton *>(QStringLiteral("ButtonPause"));
    }

    QString label(const char *name) const
    {
        auto *l = main->findChild<QLabel *>(QString::fromLatin1(name));
        return l ? l->text() : QStringLiteral("<missing>");
    }

    // A run over n named files, armed as Start leaves it.
    void arm(int n)
    {
        app.batch.vobList.clear();
        for (int i = 1; i <= n; ++i)
            app.batch.vobList << QStringLiteral("/dvd/VTS_01_%1.VOB").arg(i);
        app.batch.vobSizes.assign(size_t(n), 2048);
        app.batch.currentFile = 0;
        app.batch.paused = false;
    }

    // Reads nothing: the timer's tests see only what the timer does around each file.
    struct RecordingReader : BatchFileReader {
        std::function<void(const QString &)> read;
        void readFile(const QString &path) override { read(path); }
    };

    MainWindow *main = nullptr;
    QPushButton *pause = nullptr;
    RecordingReader reader;
};

TEST_F(MainWindowTest, WindowsExistInTheirFixedOrder)
{
    const QStringList expected = {"Form1",  "Form2",  "Form3",  "Form4",  "Form5",  "Form6",  "Form21",
                                  "Form22", "Form10", "Form11", "Form12", "Form13", "Form14", "Form15",
                                  "Form16", "Form17", "Form18", "Form19", "Form20"};
    QStringList names;
    for (QWidget *w : app.windows())
        names << w->objectName();
    EXPECT_EQ(names, expected);
    EXPECT_EQ(app.windows().front(), main);
    EXPECT_EQ(app.window(QStringLiteral("Form6"))->windowTitle(), QStringLiteral("What to do?"));
    EXPECT_EQ(app.window(QStringLiteral("Form11"))->windowTitle(), QStringLiteral("Progression Controller"));
    EXPECT_TRUE(main->windowTitle().startsWith(QStringLiteral("Glyfex 1.50b1")));
    EXPECT_TRUE(app.batch.paused) << "the program starts paused";
    EXPECT_EQ(pause->text(), QStringLiteral("&Pause  I I"));
}

TEST_F(MainWindowTest, MenusCarryTheirNamesAndShortcuts)
{
    struct Row { const char *name; QKeySequence keys; };
    const Row rows[] = {{"OpenVob1", QKeySequence(Qt::CTRL | Qt::Key_O)},
                        {"Quit1", QKeySequence(Qt::CTRL | Qt::Key_Q)},
                        {"GlobalOptions1", QKeySequence(Qt::CTRL | Qt::Key_P)},
                        {"OCRAdvancedSetup1", QKeySequence(Qt::CTRL | Qt::Key_A)},
                        {"About1", QKeySequence(Qt::Key_F1)}};
    for (const Row &r : rows) {
        auto *a = main->findChild<QAction *>(QString::fromLatin1(r.name));
        ASSERT_NE(a, nullptr) << r.name;
        EXPECT_EQ(a->shortcut(), r.keys) << r.name;
    }
}

TEST_F(MainWindowTest, PauseButtonTogglesOncePerClick)
{
    pause->setEnabled(true);
    auto *other = main->findChild<QCheckBox *>(QStringLiteral("CheckBoxShowSubPict"));
    other->setFocus(); // a click also moves the focus onto the button: it must still count once
    QTest::mouseClick(pause, Qt::LeftButton);
    EXPECT_FALSE(app.batch.paused);
    EXPECT_EQ(pause->text(), QStringLiteral("&Pause  I I"));
    QTest::mouseClick(pause, Qt::LeftButton);
    EXPECT_TRUE(app.batch.paused);
    EXPECT_TRUE(app.batch.pausedByMainButton);
    EXPECT_EQ(pause->text(), QStringLiteral("&Continue  >"));

    main->togglePause(nullptr);
    main->togglePause(app.progressController());
    EXPECT_TRUE(app.batch.paused);
    EXPECT_FALSE(app.batch.pausedByMainButton) << "only the main button's own press counts as one";
}

TEST_F(MainWindowTest, PausingBringsTheControllerBack)
{
    app.progressController()->setNoStop(true);
    main->togglePause(nullptr);
    EXPECT_FALSE(app.progressController()->noStop());
}

TEST_F(MainWindowTest, TimerReadsEachFileInTurnAndOnlyWhenIdle)
{
    QStringList read;
    bool processingSeen = false;
    main->setFileReader(&reader);
    reader.read = [&](const QString &path) {
        read << path;
        processingSeen = app.batch.processing;
        EXPECT_EQ(label("LabelVobNum"), QString::number(app.batch.currentFile + 1));
        EXPECT_EQ(label("LabelVobNb"), QStringLiteral("2"));
        EXPECT_EQ(label("LabelVobFile"), QStringLiteral("VTS_01_%1.VOB").arg(app.batch.currentFile + 1));
        ++app.batch.currentFile; // the file is finished
    };
    arm(2);
    app.batch.paused = true;
    main->batchTick();
    EXPECT_TRUE(read.isEmpty()) << "paused: nothing starts";
    app.batch.paused = false;
    main->batchTick();
    main->batchTick();
    main->batchTick();
    EXPECT_EQ(read, QStringList({"/dvd/VTS_01_1.VOB", "/dvd/VTS_01_2.VOB"}));
    EXPECT_TRUE(processingSeen);
    EXPECT_FALSE(app.batch.processing);
    app.videoOpen = true;
    app.batch.currentFile = 0;
    main->batchTick();
    EXPECT_EQ(read.size(), 2) << "the timer does nothing while a video is open";
}

TEST_F(MainWindowTest, ATickDuringAPassStartsNoSecondPass)
{
    int calls = 0;
    main->setFileReader(&reader);
    reader.read = [&](const QString &) {
        ++calls;
        main->batchTick(); // a timer event handled inside the pass's event pump
        ++app.batch.currentFile;
    };
    arm(2);
    main->batchTick();
    EXPECT_EQ(calls, 1);
}

TEST_F(MainWindowTest, AFailingPassMovesOnAndClearsProcessing)
{
    QStringList read;
    main->setFileReader(&reader);
    reader.read = [&](const QString &path) {
        read << path;
        throw std::runtime_error("read error");
    };
    arm(2);
    main->batchTick();
    main->batchTick();
    EXPECT_EQ(read, QStringList({"/dvd/VTS_01_1.VOB", "/dvd/VTS_01_2.VOB"}));
    EXPECT_FALSE(app.batch.processing);
}

TEST_F(MainWindowTest, ClosingDuringAPassWaitsForItToReturn)
{
    bool stateAliveAfterClose = false;
    main->setFileReader(&reader);
    reader.read = [&](const QString &) {
        main->close(); // the user closes the window while the pass pumps events
        EXPECT_TRUE(main->isVisible()) << "the window stays while the pass runs";
        EXPECT_TRUE(app.batch.paused) << "closing pauses the pass";
        EXPECT_TRUE(main->closePending());
        stateAliveAfterClose = app.batch.vobList.size() == 1; // still usable by the pass
    };
    arm(1);
    main->batchTick();
    EXPECT_TRUE(stateAliveAfterClose);
    EXPECT_FALSE(main->isVisible()) << "closed once the pass returned";
    EXPECT_FALSE(main->closePending());
}

// The matrix's question comes before the text's, for a close asked during a pass (put off until the
// pass has returned, nothing asked while it runs) as for any other.
TEST_F(MainWindowTest, TheCloseQuestionsComeInOneOrderDuringAPassAndOutside)
{
    const QString matrixQuestion = QStringLiteral("confirm: Warning\r\nCharacter Matrix has been modified.\rDo you want to save it?");
    const QString textQuestion = QStringLiteral("confirm: Confirm\r\nText NOT saved!\rDo you really want to quit?");
    recognition::Glyph g;
    g.width = 1;
    g.height = 1;
    g.setPixel(0, 0, true);
    g.text = core::toCharText(QStringLiteral("x"));
    ASSERT_EQ(app.run().matrix().add(g), recognition::CharMatrix::AddOutcome::Added);
    ASSERT_TRUE(app.subtitleSink.addPictureSubtitle(QStringLiteral("movie00001.bmp"), {}, {}, 0, 0).ok());
    main->setFileReader(&reader);

    struct Row {
        const char *name;
        std::vector<core::Answer> answers;
        QStringList asked;
    };
    const Row rows[] = {
        {"CancelAtTheMatrix", {core::Answer::Cancel}, {matrixQuestion}},
        {"MatrixMayGoTextNot", {core::Answer::No, core::Answer::No}, {matrixQuestion, textQuestion}},
    };
    for (const bool duringAPass : {true, false}) {
        for (const Row &r : rows) {
            SCOPED_TRACE(std::string(r.name) + (duringAPass ? " during a pass" : " outside a pass"));
            prompt.shown.clear();
            prompt.answers.assign(r.answers.begin(), r.answers.end());
            if (duringAPass) {
                QStringList askedInThePass;
                reader.read = [&](const QString &) {
                    main->close();
                    askedInThePass = prompt.shown;
                    ++app.batch.currentFile;
                };
                arm(1);
                main->batchTick();
                EXPECT_EQ(askedInThePass, QStringList()) << "asked while the pass runs";
                EXPECT_TRUE(app.batch.paused) << "the refused close leaves the run paused";
            } else {
                EXPECT_FALSE(main->close());
            }
            EXPECT_EQ(prompt.shown, r.asked);
            EXPECT_TRUE(main->isVisible());
            EXPECT_FALSE(main->closePending());
        }
    }
}

TEST_F(MainWindowTest, OpeningHidesTheSubtitlesWindowAndCancelShowsItAgain)
{
    QWidget *subtitles = app.subtitlesWindow();
    subtitles->show();
    bool hiddenWhileOpen = false;
    QTimer::singleShot(0, app.inputDialog(), [&] {
        hiddenWhileOpen = !subtitles->isVisible();
        app.inputDialog()->reject();
    });
    main->openVob();
    EXPECT_TRUE(hiddenWhileOpen);
    EXPECT_TRUE(subtitles->isVisible());
    EXPECT_TRUE(app.abortSequence) << "opening stops a running image sequence";
}

TEST_F(MainWindowTest, ClosingOverUnsavedSubtitlesAsksFirst)
{
    ASSERT_TRUE(app.subtitleSink.addPictureSubtitle(QStringLiteral("movie00001.bmp"), {}, {}, 0, 0).ok());
    prompt.answers = {core::Answer::No};
    EXPECT_FALSE(main->close());
    EXPECT_TRUE(main->isVisible());
    EXPECT_TRUE(app.subtitlesWindow()->isVisible()) << "No shows the unsaved text";
    ASSERT_EQ(prompt.shown.size(), 1);
    EXPECT_EQ(prompt.shown[0], QStringLiteral("confirm: Confirm\r\nText NOT saved!\rDo you really want to quit?"));
    prompt.answers = {core::Answer::Yes};
    EXPECT_TRUE(main->close());
}

TEST_F(MainWindowTest, ClosingTakesTheOtherWindowsWithIt)
{
    app.subtitlesWindow()->show();
    EXPECT_TRUE(main->close());
    EXPECT_FALSE(app.subtitlesWindow()->isVisible());
}

TEST_F(MainWindowTest, SettingsAreSavedAtCloseAndRestoredAtStart)
{
    auto allow = [](PriorityLevel) -> core::Result<void> { return {}; };
    main->setPriorityHandler(allow);
    app.loadSettings(); // no file yet: the defaults
    EXPECT_EQ(app.preview.zoom, 1000);
    app.preview.zoom = 500;
    app.preview.backMode = PreviewSettings::FreeBars;
    app.preview.freeAspectRatio = 40;
    main->applyPreviewSettings();
    main->choosePriority(PriorityLevel::Idle);
    app.inputDialog()->setAction(picture::ActionMode::OnlyShow);
    ASSERT_TRUE(main->close());
    EXPECT_TRUE(prompt.shown.isEmpty()) << prompt.shown.join(QLatin1Char('\n')).toStdString();

    app::App second{folders.folders()};
    second.setPrompt(&prompt);
    second.createWindows();
    second.mainWindow()->setPriorityHandler(allow);
    second.loadSettings();
    EXPECT_EQ(second.preview.zoom, 500);
    EXPECT_EQ(second.preview.backMode, PreviewSettings::FreeBars);
    EXPECT_EQ(second.preview.freeAspectRatio, 40);
    EXPECT_TRUE(second.mainWindow()->priorityTicked(PriorityLevel::Idle));
    auto *onlyShow = second.inputDialog()->findChild<QWidget *>(QStringLiteral("RadioGroupAction"))
                         ->findChildren<QAbstractButton *>()
                         .at(3);
    EXPECT_TRUE(onlyShow->isChecked());
    EXPECT_TRUE(prompt.shown.isEmpty());
}

TEST_F(MainWindowTest, ARefusedPriorityIsReportedAndNotTicked)
{
    main->setPriorityHandler([](PriorityLevel level) -> core::Result<void> {
        if (level == PriorityLevel::RealTime)
            return core::makeError(QStringLiteral("Cannot change the process priority"), QStringLiteral("nice -20"),
                                   QStringLiteral("Permission denied"));
        return {};
    });
    auto *idle = main->findChild<QAction *>(QStringLiteral("IDLEPRIORITYCLASS1"));
    auto *realtime = main->findChild<QAction *>(QStringLiteral("REALTIMEPRIORITYCLASS1"));
    ASSERT_TRUE(idle && realtime);
    EXPECT_TRUE(main->priorityTicked(PriorityLevel::Normal));
    idle->trigger();
    EXPECT_TRUE(main->priorityTicked(PriorityLevel::Idle));
    EXPECT_FALSE(main->priorityTicked(PriorityLevel::Normal));
    realtime->trigger();
    EXPECT_FALSE(main->priorityTicked(PriorityLevel::RealTime));
    EXPECT_TRUE(main->priorityTicked(PriorityLevel::Idle)) << "the level the process keeps stays ticked";
    ASSERT_EQ(prompt.shown.size(), 1);
    EXPECT_TRUE(prompt.shown[0].contains(QStringLiteral("Permission denied")));
}

TEST_F(MainWindowTest, PictureIsPlacedAtItsTruePositionAndZoom)
{
    QImage picture(300, 60, QImage::Format_RGB32);
    picture.fill(Qt::white);
    app.preview.atTruePos = true;
    app.preview.zoom = 500;
    main->applyPreviewSettings();
    main->showSubtitlePicture(picture, picture::Rect{100, 400, 399, 459}, true);
    EXPECT_EQ(main->previewScreen()->pictureRect(), QRect(52, 202, 150, 30));
    EXPECT_EQ(main->previewScreen()->size(), QSize(364, 292));
    EXPECT_EQ(label("LabelX1"), QStringLiteral("100"));
    EXPECT_EQ(label("LabelY2"), QStringLiteral("459"));
    EXPECT_EQ(label("LabelWidth"), QStringLiteral("300"));
    main->showSubtitlePicture(picture, picture::Rect{100, 400, 399, 459}, false);
    EXPECT_EQ(main->previewScreen()->pictureRect(), QRect(102, 402, 300, 60)) << "unzoomed: its own size";
}

TEST_F(MainWindowTest, BackgroundBarsFollowTheFrameHeight)
{
    app.preview.backMode = PreviewSettings::PresetRatio;
    app.preview.aspectRatioMode = 2;
    app.preview.borderColour = 0x0000FF; // red
    app.preview.innerColour = 0x00FF00;  // green
    app.input.frameSize = QSize(720, 480);
    main->applyFrameSize();
    // The screen shows the background stretched into its inner area at zoom 1000: 1:1.
    const QImage shown = main->previewScreen()->grab().toImage();
    EXPECT_EQ(main->previewScreen()->size(), QSize(724, 484));
    EXPECT_EQ(QColor(shown.pixel(300, 2 + 86)), QColor(Qt::red));   // last bar row (87 rows)
    EXPECT_EQ(QColor(shown.pixel(300, 2 + 87)), QColor(Qt::green)); // first picture row
    EXPECT_EQ(label("LabelFPS"), QStringLiteral("NTSC ~30 fps (720x480)"));
}

// A background picture whose header claims gigabytes: refused with its reason when the user picks it, no
// background when the settings name it, and neither road lets the decoder take the memory it claims.
TEST_F(MainWindowTest, DamagedBackgroundPictureIsRefusedWithoutItsMemory)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("back.png"));
    test::writeBytes(path, test::pngWithChunkBeyondItsEnd());
    const int64_t before = test::peakMemoryKb();

    files.names = {path};
    auto *load = main->findChild<QPushButton *>(QStringLiteral("ButtonImgBack"));
    ASSERT_NE(load, nullptr);
    load->click();
    ASSERT_EQ(prompt.shown.size(), 1);
    EXPECT_TRUE(prompt.shown[0].contains(QStringLiteral("claims 2030043136 bytes"))) << prompt.shown[0].toStdString();
    EXPECT_NE(app.preview.backMode, PreviewSettings::Image) << "the background mode stays";

    // As a configuration saved before the file was damaged names it.
    app.preview.backMode = PreviewSettings::Image;
    app.preview.backImageName = path;
    main->applyPreviewSettings();
    EXPECT_FALSE(main->previewScreen()->hasBackground());
    EXPECT_LT(test::peakMemoryKb() - before, 32 * 1024) << "KB more at the peak";
}

// The counters' longest texts (the end of a run, a late time, an HD picture's place) show whole in the
// window as it opens, without waiting for the user to widen it.
TEST_F(MainWindowTest, StatusValuesAreShownWhole)
{
    app.batch.totalBytes = 2621440;
    main->showReadProgress(2621440, 2621440);
    main->setRunTimes(QStringLiteral("00:00:31,800"), QStringLiteral("10:00:32,470"));
    main->setSubpictureCounts(1234, 12345);
    QImage picture(911, 33, QImage::Format_RGB32);
    picture.fill(Qt::white);
    main->showSubtitlePicture(picture, picture::Rect{907, 1010, 1817, 1042}, true);
    QCoreApplication::processEvents();
    auto *panel = main->findChild<QWidget *>(QStringLiteral("PanelInfo"));
    ASSERT_NE(panel, nullptr);
    EXPECT_GE(panel->width(), panel->minimumSizeHint().width()) << "the panel is never squeezed";
    for (QLabel *label : panel->findChildren<QLabel *>()) {
        if (label->text().isEmpty())
            continue;
        const int needed = label->fontMetrics().horizontalAdvance(label->text());
        EXPECT_GE(label->width(), needed) << label->objectName().toStdString() << " \"" << label->text().toStdString() << "\"";
        // The room is kept whatever the fonts and the window's width leave: a value (a text the program
        // sets while it runs) is never squeezed.
        if (core::ui::leftOutOfLanguageFiles(label) && label->objectName() != QStringLiteral("LabelVobFile")) {
            EXPECT_GE(label->minimumWidth(), needed) << label->objectName().toStdString();
        }
    }
}

} // namespace
