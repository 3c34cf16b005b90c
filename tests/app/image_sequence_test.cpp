// File > Open Image Sequence in the real main window: a script's pictures recognised into the Subtitles window, a load error, and pause with abort.
#include "app/app.h"
#include "app/image_sequence_command.h"
#include "app/run_wiring.h"
#include "recognition/recognition_driver.h"
#include "recognition/scripted_answerer.h"
#include "recognition/ui/dialog_user.h"
#include "recognition/ui/ocr_assistant_dialog.h"
#include "recognition/ui/matrix_editor.h"
#include "ripping/ui/main_window.h"
#include "sources/image_sequence.h"
#include "sources/sequence_picture.h"
#include "subtitles/ui/subtitles_window.h"

#include "support/app_test.h"
#include "support/first_question_in_dialog.h"
#include "support/sequence_pictures.h"
#include "support/test_data.h"
#include "support/window_runs.h"
#include "support/watching_teacher.h"
#include "app/video_command.h"
#include "ripping/ui/input_dialog.h"
#include "sources/ui/video_viewer.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QToolButton>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <functional>

using namespace glyfex;

namespace {

const QStringList kTexts{QStringLiteral("Hello world"), QStringLiteral("Quiet night"), QStringLiteral("Bring the map")};

using test::WatchingTeacher;

class ImageSequenceWindowTest : public test::AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        main = app.mainWindow();
        main->show();
        QByteArray script("FrameRate=25\r\n");
        for (int i = 0; i < kTexts.size(); ++i) {
            auto made = test::drawTextBmp24(dir.filePath(QStringLiteral("sub%1.bmp").arg(i)), kTexts[i]);
            ASSERT_TRUE(made.ok()) << made.error().message().toStdString();
            script += QStringLiteral("{%1}{%2}sub%3.bmp\r\n").arg(i * 100).arg(i * 100 + 50).arg(i).toUtf8();
            truth.push_back({core::millisecondsToTimeCode(i * 4000), {kTexts[i]}});
        }
        scriptPath = dir.filePath(QStringLiteral("seq.txt"));
        test::writeBytes(scriptPath, script);
    }

    QStringList stored()
    {
        QStringList out;
        for (const subtitles::Subtitle &s : app.run().subtitlesWindow().store().subs)
            out << s.lines.join(QLatin1Char('|'));
        return out;
    }
    QPushButton *pauseButton() const { return main->findChild<QPushButton *>(QStringLiteral("ButtonPause")); }
    QAction *command() const { return main->findChild<QAction *>(QStringLiteral("OpenImageSequence1")); }

    // A DVD run paused at its first question by Pause / Abort in the New Character(s) dialog.
    // Call through ASSERT_NO_FATAL_FAILURE.
    void pauseADvdRun()
    {
        ASSERT_NO_FATAL_FAILURE(test::copyTitleSet(QStringLiteral(GLYFEX_TEST_DATA_DIR "/dvd-pal-sans/dvd/VIDEO_TS"),
                                                   dir.filePath(QStringLiteral("disc"))));
        ASSERT_TRUE(app.inputDialog()->openInputFile(dir.filePath(QStringLiteral("disc/VIDEO_TS/VTS_01_0.IFO"))));
        ASSERT_TRUE(app.inputDialog()->start());
        WatchingTeacher unused(truth);
        test::FirstQuestionInDialog pauser(*app.run().newCharacterDialog(), "ButtonPause", unused);
        app.run().setGlyphAsker(&pauser);
        main->batchTick();
        app.run().setGlyphAsker(nullptr);
        ASSERT_TRUE(app.batch.paused);
        ASSERT_FALSE(app.batch.finished());
    }

    QTemporaryDir dir;
    QString scriptPath;
    std::vector<recognition::TruthEntry> truth;
    ripping::ui::MainWindow *main = nullptr;
};

TEST_F(ImageSequenceWindowTest, ScriptRunsIntoTheSubtitlesWindowAndPutsTheStateBack)
{
    WatchingTeacher teacher(truth);
    bool disabledWhileRunning = true, timerOffWhileRunning = true;
    teacher.onQuestion = [&] {
        disabledWhileRunning = disabledWhileRunning && !command()->isEnabled();
        timerOffWhileRunning = timerOffWhileRunning && !main->batchTimerActive();
    };
    app.run().setGlyphAsker(&teacher);
    app.formatOptions.frameRateText = QStringLiteral("23.976");
    ASSERT_TRUE(command()->isEnabled());
    ASSERT_TRUE(main->batchTimerActive());
    files.names = {scriptPath};
    command()->trigger();

    EXPECT_EQ(stored(), kTexts);
    const subtitles::Subtitle &second = app.run().subtitlesWindow().store().subs.at(1);
    EXPECT_EQ(core::formatTimeCode(second.start), QStringLiteral("00:00:04,000")) << "frame 100 at the script's 25";
    EXPECT_EQ(core::formatTimeCode(second.stop), QStringLiteral("00:00:06,000"));
    EXPECT_EQ(app.formatOptions.frameRateText, QStringLiteral("25")) << "the script's rate reaches the output format";
    EXPECT_EQ(app.run().subtitlesWindow().findChild<QComboBox *>(QStringLiteral("ComboBoxFPS"))->currentText(),
              QStringLiteral("25"));
    EXPECT_TRUE(app.run().subtitlesWindow().isVisible());
    EXPECT_EQ(main->findChild<QLabel *>(QStringLiteral("LabelVobFile"))->text(), QStringLiteral("sub2.bmp"));
    EXPECT_EQ(app.preview.backImageName, scriptPath);
    EXPECT_TRUE(disabledWhileRunning);
    EXPECT_TRUE(timerOffWhileRunning);
    EXPECT_TRUE(command()->isEnabled());
    EXPECT_TRUE(main->batchTimerActive());
    EXPECT_FALSE(pauseButton()->isEnabled());
    EXPECT_EQ(app.run().assistState().mode, recognition::OcrAssistState::Automatic) << "a DVD run detects its colours again";
    EXPECT_FALSE(app.run().driverOptions().match.imageSequenceMode);
    EXPECT_TRUE(prompt.shown.isEmpty()) << prompt.shown.join(QLatin1Char('\n')).toStdString();

    // Once taught, the same sequence asks nothing.
    app.run().subtitlesWindow().store().clear();
    recognition::ScriptedAnswerer nobody(app.run().runControl());
    app.run().setGlyphAsker(&nobody);
    files.names = {scriptPath};
    command()->trigger();
    EXPECT_EQ(stored(), kTexts);
    EXPECT_TRUE(nobody.seen().empty());
}

TEST_F(ImageSequenceWindowTest, LinesTooTallToReadAreCountedBesideTheSkippedPicturesForTheRun)
{
    // Each picture holds a line of ordinary text above one drawn 72 pixels high, on a DVD-sized
    // picture, where nothing is reduced: the tall line stays unread.
    QByteArray script("FrameRate=25\r\n");
    for (int i = 0; i < 2; ++i) {
        QImage picture(720, 160, QImage::Format_RGB32);
        picture.fill(Qt::black);
        QPainter painter(&picture);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setStyleStrategy(QFont::NoAntialias);
        painter.setPen(Qt::white);
        font.setPixelSize(28);
        painter.setFont(font);
        painter.drawText(20, 36, kTexts[i]);
        font.setPixelSize(72);
        painter.setFont(font);
        painter.drawText(20, 140, QStringLiteral("TALL"));
        painter.end();
        const QString name = QStringLiteral("tall%1.bmp").arg(i);
        ASSERT_TRUE(picture.save(dir.filePath(name)));
        script += QStringLiteral("{%1}{%2}%3\r\n").arg(i * 100).arg(i * 100 + 50).arg(name).toUtf8();
    }
    const QString tallScript = dir.filePath(QStringLiteral("tall.txt"));
    test::writeBytes(tallScript, script);
    WatchingTeacher teacher(truth);
    app.run().setGlyphAsker(&teacher);
    subtitles::ui::SubtitlesWindow &window = app.run().subtitlesWindow();
    auto *notRead = window.findChild<QLabel *>(QStringLiteral("LabelNotRead"));
    ASSERT_NE(notRead, nullptr);
    EXPECT_FALSE(notRead->isVisible());

    // Two runs over the sequence: each counts its own lines.
    for (int run = 1; run <= 2; ++run) {
        files.names = {tallScript};
        command()->trigger();
        EXPECT_TRUE(notRead->isVisible()) << "run " << run;
        EXPECT_EQ(notRead->text(), QStringLiteral("(2 lines not read)")) << "run " << run;
    }
    const QString marker = recognition::unreadLineMarker();
    EXPECT_EQ(stored(), QStringList({kTexts[0] + u'|' + marker, kTexts[1] + u'|' + marker, kTexts[0] + u'|' + marker,
                                     kTexts[1] + u'|' + marker}));
    // Clearing the text starts the count afresh.
    prompt.answers = {core::Answer::Yes};
    window.findChild<QToolButton *>(QStringLiteral("TntBitButtonClearSub"))->click();
    EXPECT_TRUE(stored().isEmpty());
    EXPECT_FALSE(notRead->isVisible());
    EXPECT_EQ(app.batch.unreadLines, 0u);
}

TEST_F(ImageSequenceWindowTest, ALineTooTallForAn1080RowFrameIsMarkedInTheSubtitlesWindow)
{
    // A whole 1920x1080 frame: a line of 56-pixel text above one of 128 rows or a few more, which half
    // size leaves at 64 rows and more, taller than any glyph.
    QImage picture(1920, 1080, QImage::Format_RGB32);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleStrategy(QFont::NoAntialias);
    int tallRows = 0;
    for (int size = 110; size <= 150 && tallRows < 128; ++size) {
        picture.fill(Qt::black);
        QPainter painter(&picture);
        painter.setPen(Qt::white);
        font.setPixelSize(56);
        painter.setFont(font);
        painter.drawText(100, 700, kTexts[0]);
        font.setPixelSize(size);
        painter.setFont(font);
        painter.drawText(100, 900, QStringLiteral("Jumpy"));
        painter.end();
        tallRows = sources::tallestTextRun(sources::toCodeImage(picture));
    }
    ASSERT_GE(tallRows, 128);
    ASSERT_LE(tallRows, 131);
    ASSERT_TRUE(picture.save(dir.filePath(QStringLiteral("hd.png"))));
    const QString hdScript = dir.filePath(QStringLiteral("hd.txt"));
    test::writeBytes(hdScript, "FrameRate=25\r\n{0}{50}hd.png\r\n");
    WatchingTeacher teacher(truth);
    app.run().setGlyphAsker(&teacher);
    files.names = {hdScript};
    command()->trigger();

    const QString marker = recognition::unreadLineMarker();
    EXPECT_EQ(stored(), QStringList{kTexts[0] + u'|' + marker});
    subtitles::ui::SubtitlesWindow &window = app.run().subtitlesWindow();
    QStringList shown;
    for (int i = 0; i < window.list()->count(); ++i)
        shown << window.list()->item(i)->text();
    EXPECT_TRUE(shown.join(QLatin1Char('\n')).contains(marker)) << shown.join(QLatin1Char('\n')).toStdString();
    auto *notRead = window.findChild<QLabel *>(QStringLiteral("LabelNotRead"));
    ASSERT_NE(notRead, nullptr);
    EXPECT_TRUE(notRead->isVisible());
    EXPECT_EQ(notRead->text(), QStringLiteral("(1 line not read)"));
    EXPECT_TRUE(prompt.shown.isEmpty()) << prompt.shown.join(QLatin1Char('\n')).toStdString();
}

TEST_F(ImageSequenceWindowTest, AnOpenMatrixEditorListsWhatEachPictureTaught)
{
    main->findChild<QAction *>(QStringLiteral("EditCharMatrix1"))->trigger();
    recognition::ui::MatrixEditor *editor = app.run().matrixEditor();
    ASSERT_TRUE(editor && editor->isVisible());
    auto *list = editor->findChild<QTreeWidget *>(QStringLiteral("ListViewMatrix"));
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->topLevelItemCount(), 0);

    // Each picture teaches its new letters; while the next one asks, the editor lists those already.
    WatchingTeacher teacher(truth);
    int listedBeforeLastPicture = -1;
    teacher.onQuestion = [&] {
        if (app.run().subtitlesWindow().store().count() == 2 && listedBeforeLastPicture < 0)
            listedBeforeLastPicture = list->topLevelItemCount();
    };
    app.run().setGlyphAsker(&teacher);
    files.names = {scriptPath};
    command()->trigger();
    ASSERT_EQ(stored(), kTexts);
    EXPECT_GT(listedBeforeLastPicture, 0);
    EXPECT_LT(listedBeforeLastPicture, app.run().matrix().count());
    EXPECT_EQ(list->topLevelItemCount(), app.run().matrix().count());
}

TEST_F(ImageSequenceWindowTest, ALoadErrorIsShownAndLeavesTheWindowUsable)
{
    test::writeBytes(scriptPath, "{0}{50}sub0.bmp\r\n{100}{150}Missing.bmp\r\n{200}{250}sub2.bmp\r\n");
    WatchingTeacher teacher(truth);
    app.run().setGlyphAsker(&teacher);
    files.names = {scriptPath};
    command()->trigger();
    EXPECT_EQ(stored(), QStringList{kTexts[0]});
    ASSERT_EQ(prompt.shown.size(), 1);
    EXPECT_TRUE(prompt.shown[0].startsWith(QStringLiteral("error: "))) << prompt.shown[0].toStdString();
    EXPECT_TRUE(prompt.shown[0].contains(QStringLiteral("Missing.bmp"))) << prompt.shown[0].toStdString();
    EXPECT_TRUE(command()->isEnabled());
    EXPECT_TRUE(main->batchTimerActive());
    EXPECT_FALSE(pauseButton()->isEnabled());

    // A cancelled file question changes nothing.
    command()->trigger();
    EXPECT_EQ(stored(), QStringList{kTexts[0]});
    EXPECT_EQ(prompt.shown.size(), 1);

    // Inside a running DVD pass the command does nothing: both would use the one recognition.
    app.batch.processing = true;
    files.names = {scriptPath};
    command()->trigger();
    app.batch.processing = false;
    EXPECT_EQ(files.names.size(), 1u) << "no file question was asked";
    EXPECT_EQ(stored(), QStringList{kTexts[0]});
}

TEST_F(ImageSequenceWindowTest, PauseHoldsTheLoopAndOpenVobEndsIt)
{
    WatchingTeacher teacher(truth);
    int questions = 0;
    teacher.onQuestion = [&] {
        // The first question: the user pauses with the main window's button, then opens a DVD.
        if (questions++ == 0) {
            QTest::mouseClick(pauseButton(), Qt::LeftButton);
            QTimer::singleShot(300, main, [this] { app.abortSequence = true; });
        }
    };
    app.run().setGlyphAsker(&teacher);
    files.names = {scriptPath};
    command()->trigger();
    EXPECT_EQ(stored(), QStringList{kTexts[0]}) << "the picture being read is finished, the next is not begun";
    EXPECT_TRUE(app.batch.paused) << "at rest as before: the batch waits for Start";
    EXPECT_EQ(pauseButton()->text(), app.message(core::Msg::Pause));
    EXPECT_FALSE(pauseButton()->isEnabled());
    EXPECT_TRUE(command()->isEnabled());
    EXPECT_TRUE(main->batchTimerActive());
}

TEST_F(ImageSequenceWindowTest, FillMatrixOpensTheAssistantOnThePictureInItsOwnColours)
{
    // The first question is answered in the real dialog with "Fill matrix": the loop pauses, resumes by
    // itself, and the assistant opens for the picture before it is read again.
    recognition::ui::NewCharacterDialog *dialog = app.run().newCharacterDialog();
    ASSERT_NE(dialog, nullptr);
    WatchingTeacher teacher(truth);
    test::FirstQuestionInDialog firstToDialog(*dialog, "ButtonFillMatrix", teacher);
    app.run().setGlyphAsker(&firstToDialog);
    recognition::ui::OcrAssistantDialog *assistant = app.run().ocrAssistant();
    ASSERT_NE(assistant, nullptr);
    int shown = 0;
    int lightPixels = 0;
    test::User user(*assistant);
    user.then([&] {
        ++shown;
        // No DVD was opened, so the title's colours are all black: the sequence's own white text must show.
        const QImage picture = test::child<QLabel>(*assistant, "Image1")->pixmap().toImage();
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                lightPixels += qGray(picture.pixel(x, y)) > 128;
        assistant->findChild<QPushButton *>(QStringLiteral("bbDone"))->click();
    });
    files.names = {scriptPath};
    command()->trigger();
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(user.done());
    EXPECT_GT(lightPixels, 50) << "the text's pixels are light";
    EXPECT_EQ(stored(), kTexts) << prompt.shown.join(QLatin1Char('\n')).toStdString();
}

} // namespace

namespace {

// One run at a time: a new source while a DVD run is paused asks to end that run first.
struct PausedRunRow {
    const char *name;
    core::Answer answer;  // to the question whether the DVD run ends first
    bool sequenceRuns;    // the sequence is read
};

void PrintTo(const PausedRunRow &row, std::ostream *os)
{
    *os << row.name;
}

class SequenceAfterAPausedRunTest : public ImageSequenceWindowTest, public ::testing::WithParamInterface<PausedRunRow> {};

TEST_P(SequenceAfterAPausedRunTest, EndsThatRunFirstOrDoesNotStart)
{
    const PausedRunRow &row = GetParam();
    ASSERT_NO_FATAL_FAILURE(pauseADvdRun());
    const QStringList discFiles = app.batch.vobList;
    WatchingTeacher teacher(truth);
    app.run().setGlyphAsker(&teacher);
    prompt.answers = {row.answer};
    files.names = {scriptPath};
    command()->trigger();

    ASSERT_EQ(prompt.shown.size(), 1) << prompt.shown.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(prompt.shown[0].contains(QStringLiteral("has not finished"))) << prompt.shown[0].toStdString();
    if (row.sequenceRuns) {
        EXPECT_EQ(stored(), kTexts);
        EXPECT_TRUE(app.batch.finished()) << "the DVD run ended before the sequence";
        EXPECT_FALSE(app.batch.paused) << "nothing is left paused underneath";
        EXPECT_EQ(pauseButton()->text(), app.message(core::Msg::Pause));
        EXPECT_FALSE(pauseButton()->isEnabled());
    } else {
        EXPECT_TRUE(stored().isEmpty());
        EXPECT_TRUE(app.batch.paused) << "the DVD run waits where it was";
        EXPECT_EQ(app.batch.vobList, discFiles);
        EXPECT_FALSE(app.batch.finished());
    }
    // Whatever the answer, the next tick reads no DVD file under a sequence that ended.
    const int fileBefore = app.batch.currentFile;
    main->batchTick();
    EXPECT_EQ(app.batch.currentFile, fileBefore);
    EXPECT_TRUE(main->batchTimerActive());
}

const PausedRunRow kPausedRunRows[] = {
    {"YesEndsTheDvdRun", core::Answer::Yes, true},
    {"NoKeepsItAndReadsNothing", core::Answer::No, false},
};

INSTANTIATE_TEST_SUITE_P(Answers, SequenceAfterAPausedRunTest, ::testing::ValuesIn(kPausedRunRows),
                         [](const ::testing::TestParamInfo<PausedRunRow> &info) { return std::string(info.param.name); });

// A command given while the sequence is paused ends the sequence and does what it says.
struct DuringPausedSequenceRow {
    const char *name;
    // Given from inside the paused loop.
    std::function<void(ImageSequenceWindowTest &, app::App &)> command;
    // After the sequence's loop has returned and the events have been handled.
    std::function<void(app::App &, const test::ScriptedFiles &)> check;
};

void PrintTo(const DuringPausedSequenceRow &row, std::ostream *os)
{
    *os << row.name;
}

class DuringAPausedSequenceTest : public ImageSequenceWindowTest,
                                  public ::testing::WithParamInterface<DuringPausedSequenceRow> {
public:
    QAction *action(const char *name) const { return main->findChild<QAction *>(QString::fromLatin1(name)); }
    QTemporaryDir &folder() { return dir; }
    test::ScriptedFiles &filesToAnswer() { return files; }
    test::ScriptedPrompt &promptToAnswer() { return prompt; }
};

TEST_P(DuringAPausedSequenceTest, EndsItAndDoesWhatItSays)
{
    const DuringPausedSequenceRow &row = GetParam();
    WatchingTeacher teacher(truth);
    int questions = 0;
    teacher.onQuestion = [&] {
        if (questions++ == 0) {
            QTest::mouseClick(pauseButton(), Qt::LeftButton);
            QTimer::singleShot(100, main, [&] { row.command(*this, app); });
            // Nobody presses Continue: a command that leaves the sequence paused is found out by the
            // checks below instead of holding the test for ever.
            QTimer::singleShot(5000, main, [&] { app.abortSequence = true; });
        }
    };
    app.run().setGlyphAsker(&teacher);
    files.names = {scriptPath};
    command()->trigger();
    EXPECT_EQ(stored(), QStringList{kTexts[0]}) << "the picture being read is finished, the next is not begun";
    QTest::qWait(50);
    ASSERT_NO_FATAL_FAILURE(row.check(app, files));
}

const DuringPausedSequenceRow kDuringPausedSequenceRows[] = {
    {"OpenVideoAsksForTheVideoAndOpensIt",
     [](ImageSequenceWindowTest &t, app::App &app) {
         auto &self = static_cast<DuringAPausedSequenceTest &>(t);
         const QString video = self.folder().filePath(QStringLiteral("small.mkv"));
         ASSERT_NO_FATAL_FAILURE(test::makeSmallVideo(video));
         self.filesToAnswer().names = {video};
         self.action("OpenVideo")->trigger();
         EXPECT_TRUE(app.run().imageSequence().running()) << "the sequence returns first";
     },
     [](app::App &app, const test::ScriptedFiles &files) {
         EXPECT_TRUE(files.titles.contains(QStringLiteral("Open Hard Subbed Video Files"))) << files.titles.join(u',').toStdString();
         EXPECT_TRUE(app.videoOpen);
         EXPECT_TRUE(app.videoViewer()->isVisible());
         EXPECT_EQ(app.batch.actionMode, picture::ActionMode::VideoFile);
         EXPECT_FALSE(app.batch.processing);
     }},
    {"OpenVobStartsTheDiscRunOnceTheSequenceHasEnded",
     [](ImageSequenceWindowTest &t, app::App &app) {
         auto &self = static_cast<DuringAPausedSequenceTest &>(t);
         ASSERT_NO_FATAL_FAILURE(test::copyTitleSet(
             QStringLiteral(GLYFEX_TEST_DATA_DIR "/dvd-pal-sans/dvd/VIDEO_TS"), self.folder().filePath(QStringLiteral("disc"))));
         // The user picks the disc in the input dialog and presses Start; the sequence's text stays.
         self.promptToAnswer().answers = {core::Answer::Yes};
         QTimer::singleShot(50, app.inputDialog(), [&app, &self] {
             ASSERT_TRUE(app.inputDialog()->isVisible());
             ASSERT_TRUE(app.inputDialog()->openInputFile(self.folder().filePath(QStringLiteral("disc/VIDEO_TS/VTS_01_0.IFO"))));
             ASSERT_TRUE(app.inputDialog()->start());
             app.inputDialog()->accept();
         });
         self.action("OpenVob1")->trigger();
     },
     [](app::App &app, const test::ScriptedFiles &) {
         EXPECT_EQ(app.batch.vobList.size(), 1);
         EXPECT_FALSE(app.batch.finished());
         EXPECT_FALSE(app.batch.paused) << "the Start's run is not paused again by the sequence's end";
         EXPECT_EQ(app.batch.actionMode, picture::ActionMode::RecogniseText);
         EXPECT_TRUE(app.mainWindow()->batchTimerActive());
         EXPECT_EQ(app.mainWindow()->pauseCaption(), app.message(core::Msg::Pause));
     }},
    {"CloseClosesTheProgram",
     [](ImageSequenceWindowTest &t, app::App &app) {
         // The user closes over the matrix taught so far and the unsaved text: No to saving the matrix,
         // Yes to quitting without the text.
         static_cast<DuringAPausedSequenceTest &>(t).promptToAnswer().answers = {core::Answer::No, core::Answer::Yes};
         app.mainWindow()->close();
     },
     [](app::App &app, const test::ScriptedFiles &) {
         EXPECT_FALSE(app.mainWindow()->isVisible());
         EXPECT_FALSE(app.subtitlesWindow()->isVisible());
         EXPECT_FALSE(app.run().imageSequence().running());
     }},
};

INSTANTIATE_TEST_SUITE_P(Commands, DuringAPausedSequenceTest, ::testing::ValuesIn(kDuringPausedSequenceRows),
                         [](const ::testing::TestParamInfo<DuringPausedSequenceRow> &info) { return std::string(info.param.name); });

} // namespace
