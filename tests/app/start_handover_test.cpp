// Start from the input dialog and the Progression Controller's first save: the split warning, and where the pictures and their script go.
#include "app/app.h"
#include "app/run_wiring.h"
#include "ripping/ui/input_dialog.h"
#include "ripping/ui/main_window.h"
#include "ripping/ui/progress_controller.h"
#include "subtitles/output_format.h"
#include "subtitles/ui/split_dialog.h"
#include "subtitles/ui/subtitles_window.h"

#include "support/app_test.h"
#include "support/sample_dvd.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace glyfex;

namespace {


// The application with the sample title set opened in the input dialog; the run reads a copy, as it
// writes a subtitle map beside what it reads.
class StartHandoverTest : public test::AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        app.mainWindow()->show();
        ASSERT_NO_FATAL_FAILURE(test::openSampleDvdCopy(app, work));
        window = app.subtitlesWindow();
        // Where the pictures of an earlier run went: the next picture dialog starts there.
        app.config.main.saveDialogBmpSup = pictures.path();
    }

    void switchSplitOn()
    {
        auto *split = qobject_cast<subtitles::ui::SplitDialog *>(app.window(QStringLiteral("Form17")));
        ASSERT_NE(split, nullptr);
        split->show();
        split->findChild<QCheckBox *>(QStringLiteral("CheckBoxSplit"))->setChecked(true);
        ASSERT_TRUE(split->applyAndClose());
        ASSERT_TRUE(window->splitMode());
    }

    QString splitWarning() const
    {
        return QStringLiteral("warn: ") + app.message(core::Msg::Warning) + QStringLiteral("\r\n")
             + app.message(core::Msg::SplitOutputEnabled) + QLatin1Char('\r')
             + app.message(core::Msg::NewSubtitlesMightNotAppear);
    }

    QTemporaryDir work;
    QTemporaryDir pictures;
    QTemporaryDir out;
    subtitles::ui::SubtitlesWindow *window = nullptr;
};

struct SplitStartCase {
    const char *name;
    picture::ActionMode action;
    bool warns;         // new subtitles may miss the split list
    bool namesPictures; // the Start asks for the pictures' name
};

// Listings show a row by its name rather than by its bytes, which hold pointers and change from run to run.
void PrintTo(const SplitStartCase &c, std::ostream *os) { *os << c.name; }

class SplitStartTest : public StartHandoverTest, public ::testing::WithParamInterface<SplitStartCase> {};

TEST_P(SplitStartTest, WarnsOfTheSplitAndSendsTheScriptWhereThePicturesGo)
{
    const SplitStartCase &c = GetParam();
    ASSERT_NO_FATAL_FAILURE(switchSplitOn());
    const QString base = out.filePath(QStringLiteral("movie"));
    files.names = {base};
    if (c.action == picture::ActionMode::OnlyShow)
        app.batch.pictureBaseName = QStringLiteral("/earlier/pictures"); // only showing names nothing yet
    app.inputDialog()->setAction(c.action);
    app.inputDialog()->setWithTiming(true);
    ASSERT_TRUE(app.inputDialog()->start());
    EXPECT_EQ(prompt.shown.contains(splitWarning()), c.warns) << prompt.shown.join(QLatin1Char('\n')).toStdString();

    if (!c.namesPictures) {
        EXPECT_TRUE(files.starts.isEmpty());
        if (c.action == picture::ActionMode::OnlyShow) {
            EXPECT_TRUE(app.batch.pictureBaseName.isEmpty()) << "the controller's first save asks for a name";
        }
        return;
    }
    ASSERT_EQ(files.starts.size(), 1);
    EXPECT_EQ(files.starts[0], pictures.path()) << "the folder the last pictures went to";
    EXPECT_EQ(app.config.main.saveDialogBmpSup, out.path());
    ASSERT_NO_FATAL_FAILURE(test::tickToTheEnd(app));
    EXPECT_GT(QDir(out.path()).entryList(QDir::Files).size(), 0) << "the pictures were written";
    // The script is named after the pictures and saved beside them, not beside the DVD.
    EXPECT_EQ(window->fileName(), base);
    EXPECT_EQ(window->saveFolder(), out.path());
    EXPECT_EQ(window->saveDialogFileName(),
              QStringLiteral("movie.") + subtitles::defaultExtension(window->outputFormat()));
    // The next Start (adding to the text) offers the same name in the same folder.
    prompt.answers = {core::Answer::Yes};
    files.names = {QString()};
    EXPECT_FALSE(app.inputDialog()->start());
    EXPECT_EQ(files.starts.last(), base);
}

INSTANTIATE_TEST_SUITE_P(Actions, SplitStartTest,
                         ::testing::Values(SplitStartCase{"RecogniseText", picture::ActionMode::RecogniseText, true, false},
                                           SplitStartCase{"SaveBitmaps", picture::ActionMode::SaveBitmaps, true, true},
                                           SplitStartCase{"SaveRawSubpictures", picture::ActionMode::SaveRawSubpictures, true, true},
                                           SplitStartCase{"OnlyShow", picture::ActionMode::OnlyShow, false, false}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(StartHandoverTest, NoSplitNoWarning)
{
    files.names = {out.filePath(QStringLiteral("movie"))};
    app.inputDialog()->setAction(picture::ActionMode::SaveBitmaps);
    ASSERT_TRUE(app.inputDialog()->start());
    EXPECT_FALSE(prompt.shown.contains(splitWarning()));
}

// Presses a button of the Progression Controller each time it comes up, from the event loop it runs.
class ControllerAnswer : public QObject {
public:
    std::function<const char *(int)> button; // by the picture's number, from 1
    int shown = 0;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show) {
            ++shown;
            const char *name = button(shown);
            QTimer::singleShot(0, watched, [watched, name] {
                if (auto *b = watched->findChild<QPushButton *>(QString::fromLatin1(name)))
                    QTest::mouseClick(b, Qt::LeftButton);
            });
        }
        return false;
    }
};

TEST_F(StartHandoverTest, TheControllersFirstSaveAsksInTheLastPictureFolderAndNamesTheScript)
{
    ControllerAnswer answer;
    answer.button = [](int n) { return n == 2 ? "ButtonSaveAsBmp" : "ButtonNext"; };
    app.progressController()->installEventFilter(&answer);
    const QString base = out.filePath(QStringLiteral("stills"));
    files.names = {base};
    app.inputDialog()->setAction(picture::ActionMode::OnlyShow);
    app.inputDialog()->setWithTiming(true);
    ASSERT_TRUE(app.inputDialog()->start());
    ASSERT_NO_FATAL_FAILURE(test::tickToTheEnd(app));
    ASSERT_EQ(files.titles, QStringList({app.message(core::Msg::SaveBmpsFileName)}));
    EXPECT_EQ(files.starts[0], pictures.path());
    EXPECT_EQ(app.config.main.saveDialogBmpSup, out.path());
    EXPECT_EQ(window->fileName(), base);
    EXPECT_EQ(window->saveFolder(), out.path());
    // The Bitmap adjustment dialog before the first picture made the format its preset's, the Scenarist's,
    // whose pictures are named B.n.bmp.
    ASSERT_EQ(window->outputFormat(), subtitles::OutputFormat::SonicScenarist);
    EXPECT_TRUE(QFileInfo::exists(base + QStringLiteral(".1.bmp")))
        << QDir(out.path()).entryList(QDir::Files).join(QLatin1Char(' ')).toStdString();
}

} // namespace
