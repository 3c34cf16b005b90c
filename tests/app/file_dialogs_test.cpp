// Where the file dialogs of the program start, as the configuration left them, and the open dialog's file type kept from one Open to the next.
#include "app/app.h"
#include "app/run_wiring.h"
#include "core/ini_store.h"
#include "ripping/ui/input_dialog.h"
#include "subtitles/subtitle_store.h"
#include "subtitles/ui/subtitles_window.h"

#include "support/app_test.h"
#include "subtitles/subtitle_builder.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

using namespace glyfex;

namespace {

// A dialog of the program and the key of section CONFIG that remembers where it was left.
struct DialogCase {
    const char *name;
    const char *key;
    std::function<void(app::App &, test::ScriptedPrompt &)> open; // shows the dialog once
};

// What the configuration remembers for that dialog.
enum class Remembered { Nothing, ProgramFolder, UserFolder };

const DialogCase kDialogs[] = {
    {"SubtitlesOpen", "OpenDialogGlyfexText", [](app::App &app, test::ScriptedPrompt &) { app.subtitlesWindow()->openFile(); }},
    {"SubtitlesSaveAs", "SaveDialogText",
     [](app::App &app, test::ScriptedPrompt &prompt) {
         // A text beyond any code page is saved as Unicode after one question, without the code-page panel.
         app.subtitles.subs.push_back(test::makeSubtitle(core::millisecondsToTimeCode(1000), core::millisecondsToTimeCode(2000),
                                                         {QStringLiteral("Ωμέγα")}));
         app.subtitlesWindow()->followStore();
         prompt.answers = {core::Answer::Yes};
         app.subtitlesWindow()->saveAs();
     }},
    {"InputOpen", "OpenDialogVob", [](app::App &app, test::ScriptedPrompt &) { app.inputDialog()->openWithDialog(1); }},
    {"PictureBase", "SaveDialogBmpSup",
     [](app::App &app, test::ScriptedPrompt &) {
         ASSERT_TRUE(app.inputDialog()->openInputFile(QStringLiteral(GLYFEX_TEST_DATA_DIR "/dvd-pal-sans/dvd/VIDEO_TS/VTS_01_0.IFO")));
         app.inputDialog()->setAction(picture::ActionMode::SaveBitmaps);
         EXPECT_FALSE(app.inputDialog()->start()); // the name question is cancelled
     }},
};

std::string rememberedName(Remembered r)
{
    switch (r) {
    case Remembered::Nothing: return "Nothing";
    case Remembered::ProgramFolder: return "ProgramFolder";
    case Remembered::UserFolder: return "UserFolder";
    }
    return {};
}

// Listings show a row by its name rather than by its bytes, which hold pointers and change from run to run.
void PrintTo(const DialogCase &c, std::ostream *os) { *os << c.name; }
void PrintTo(Remembered r, std::ostream *os) { *os << rememberedName(r); }

class DialogStartTest : public test::AppTest,
                        public ::testing::WithParamInterface<std::tuple<DialogCase, Remembered>> {};

TEST_P(DialogStartTest, StartsWhereTheUserLeftItOrAtHomeNeverInTheProgramsFolder)
{
    const auto &[dialog, remembered] = GetParam();
    QTemporaryDir userFolder;
    QString expected = QDir::homePath();
    if (remembered != Remembered::Nothing) {
        const QString folder = remembered == Remembered::UserFolder ? userFolder.path() : app.appDir;
        if (remembered == Remembered::UserFolder)
            expected = folder;
        core::IniStore ini(app.paths.configFile());
        ini.writeString(QStringLiteral("CONFIG"), QLatin1String(dialog.key), folder);
        ASSERT_TRUE(ini.updateFile().ok());
    }
    app.loadSettings();
    ASSERT_NO_FATAL_FAILURE(dialog.open(app, prompt));
    ASSERT_EQ(files.starts.size(), 1) << prompt.shown.join(QLatin1Char('\n')).toStdString();
    // The dialog starts at the folder itself or at a file name in it.
    const QString start = files.starts[0];
    EXPECT_TRUE(QDir::cleanPath(start) == QDir::cleanPath(expected)
                || QDir::cleanPath(QFileInfo(start).absolutePath()) == QDir::cleanPath(expected))
        << start.toStdString() << " instead of " << expected.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Dialogs, DialogStartTest,
    ::testing::Combine(::testing::ValuesIn(kDialogs),
                       ::testing::Values(Remembered::Nothing, Remembered::ProgramFolder, Remembered::UserFolder)),
    [](const auto &info) { return std::string(std::get<0>(info.param).name) + "_" + rememberedName(std::get<1>(info.param)); });

class OpenFilterTest : public test::AppTest {};

TEST_F(OpenFilterTest, TheOpenDialogStartsOnTheFileTypeChosenLastAndTheConfigurationKeepsIt)
{
    app.loadSettings();
    subtitles::ui::SubtitlesWindow *window = app.subtitlesWindow();
    files.names = {QStringLiteral(GLYFEX_TEST_DATA_DIR "/dvd-pal-sans/gt.srt")};
    files.chosenFilters = {3};
    window->openFile();
    ASSERT_EQ(app.subtitles.count(), 10) << prompt.shown.join(QLatin1Char('\n')).toStdString();
    window->hideConversionPanel();
    window->openFile(); // cancelled
    ASSERT_EQ(files.filterIndexes.size(), 2);
    EXPECT_EQ(files.filterIndexes[0], 7) << "the program's own format at first";
    EXPECT_EQ(files.filterIndexes[1], 3);
    app.run().collectSettings();
    EXPECT_EQ(app.inputType, 3);
}

} // namespace
