// The matrix commands on the real windows: when the save question comes, what each answer does, open, new, save and save as.
#include "recognition/ui/matrix_commands.h"

#include "core/char_text.h"
#include "recognition/char_matrix_file.h"
#include "recognition/glyph_art.h"
#include "app/run_wiring.h"
#include "support/app_test.h"
#include "ripping/ui/input_dialog.h"
#include "ripping/ui/main_window.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace glyfex::recognition::ui {
namespace {

using core::Answer;

const char kQuestionStart[] = "confirm: Warning\r\nCharacter Matrix ";

class MatrixCommandsTest : public test::AppTest {
protected:
    void SetUp() override
    {
        test::AppTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        // The application's own commands over its own matrix, as the menu items reach them.
        commands = &app.run().matrixCommands();
        commands->setFolder(dir.path());
    }

    void learn(const char *text)
    {
        Glyph g = test::glyphFromArt({"##", "#.", "##"});
        g.text = core::toCharText(QString::fromUtf8(text));
        ASSERT_EQ(matrix().add(g), CharMatrix::AddOutcome::Added);
    }

    QString path(const char *name) const { return dir.filePath(QString::fromLatin1(name)); }

    // A saved matrix file with one entry, without touching the commands' matrix.
    QString savedFile(const char *name, const char *text)
    {
        CharMatrix other;
        Glyph g = test::glyphFromArt({"#", "#"});
        g.text = core::toCharText(QString::fromUtf8(text));
        other.add(g);
        EXPECT_TRUE(saveCharMatrix(other, path(name)));
        return path(name);
    }

    QString nameField() const
    {
        return app.inputDialog()->findChild<QLineEdit *>(QStringLiteral("EditCharMatrixFile"))->text();
    }

    QAction *menuItem(const char *name) const
    {
        return app.mainWindow()->findChild<QAction *>(QString::fromLatin1(name));
    }

    QTemporaryDir dir;
    CharMatrix &matrix() { return app.run().matrix(); }
    MatrixCommands *commands = nullptr;
};

TEST_F(MatrixCommandsTest, MenuItemsGetTheirCaptionsAndWork)
{
    const char *items[][2] = {{"OpenCharacterMatrix1", "&Open Characters Matrix File"},
                              {"SaveCharacterMatrix1", "&Save Characters Matrix File"},
                              {"SaveCharacterMatrixAs1", "Save Characters Matrix File &As"},
                              {"NewCharacterMatrix1", "&New Characters Matrix"}};
    for (const auto &item : items) {
        QAction *action = menuItem(item[0]);
        ASSERT_NE(action, nullptr) << item[0];
        EXPECT_EQ(action->text(), QString::fromLatin1(item[1]));
        EXPECT_TRUE(action->isEnabled());
    }
    EXPECT_EQ(nameField(), QStringLiteral("New File"));

    const QString file = savedFile("menu.gxc", "m");
    files.names = {file};
    menuItem("OpenCharacterMatrix1")->trigger();
    EXPECT_EQ(matrix().count(), 1);
    EXPECT_EQ(files.titles.value(0), QStringLiteral("Open Characters Matrix File"));
}

TEST_F(MatrixCommandsTest, NoQuestionWithoutChangesOrWithoutEntries)
{
    EXPECT_TRUE(commands->confirmSaveMatrix());
    matrix().setComment(QStringLiteral("only the comment changed"));
    matrix().setModified(true);
    EXPECT_TRUE(commands->confirmSaveMatrix());
    learn("a");
    matrix().setModified(false);
    EXPECT_TRUE(commands->confirmSaveMatrix());
    EXPECT_TRUE(prompt.shown.isEmpty());
}

TEST_F(MatrixCommandsTest, EachAnswerOfTheSaveQuestion)
{
    struct Case {
        const char *name;
        Answer answer;
        const char *saveAs; // the save dialog's answer; "" cancels it
        bool goOn;
        bool written;
        const char *saveError = nullptr; // the start of the error shown after the question
    } cases[] = {
        {"cancel_stops", Answer::Cancel, nullptr, false, false},
        {"no_goes_on_without_saving", Answer::No, nullptr, true, false},
        {"yes_saves_then_goes_on", Answer::Yes, "yes.gxc", true, true},
        {"yes_with_cancelled_dialog_still_goes_on", Answer::Yes, "", true, false},
        {"yes_with_failed_save_stops", Answer::Yes, "no-such-folder/yes.gxc", false, false,
         "error: Error\r\nCannot write the character matrix"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        matrix().clear();
        learn("a");
        prompt.shown.clear();
        prompt.answers = {c.answer};
        files.names.clear();
        if (c.saveAs)
            files.names = {*c.saveAs ? path(c.saveAs) : QString()};
        EXPECT_EQ(commands->confirmSaveMatrix(), c.goOn);
        ASSERT_EQ(prompt.shown.size(), c.saveError ? 2 : 1);
        if (c.saveError) {
            EXPECT_TRUE(prompt.shown[1].startsWith(QString::fromLatin1(c.saveError))) << qPrintable(prompt.shown[1]);
        }
        EXPECT_TRUE(prompt.shown[0].startsWith(QString::fromLatin1(kQuestionStart)));
        EXPECT_TRUE(prompt.shown[0].endsWith(QStringLiteral(" has been modified.\rDo you want to save it?")));
        EXPECT_EQ(QFile::exists(path("yes.gxc")), c.written);
        EXPECT_EQ(matrix().isModified(), !c.written);
        QFile::remove(path("yes.gxc"));
    }
}

TEST_F(MatrixCommandsTest, TheSaveQuestionNamesTheMatrixWithSingleBlanks)
{
    struct Case {
        const char *fileName; // "" for a matrix never saved
        const char *question;
    } cases[] = {
        {"", "confirm: Warning\r\nCharacter Matrix has been modified.\rDo you want to save it?"},
        {"latin.gxc", "confirm: Warning\r\nCharacter Matrix latin.gxc has been modified.\rDo you want to save it?"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(*c.fileName ? c.fileName : "never saved");
        matrix().clear();
        learn("a");
        matrix().setFileName(*c.fileName ? path(c.fileName) : QString());
        prompt.shown.clear();
        prompt.answers = {Answer::Cancel};
        EXPECT_FALSE(commands->confirmSaveMatrix());
        ASSERT_EQ(prompt.shown.size(), 1);
        EXPECT_EQ(prompt.shown[0].toStdString(), c.question);
    }
}

TEST_F(MatrixCommandsTest, OpenReplacesTheMatrixAndShowsItsName)
{
    const QString file = savedFile("english.gxc", "e");
    files.names = {file};
    commands->open();
    EXPECT_TRUE(prompt.shown.isEmpty()) << "an unchanged matrix is replaced without a question";
    ASSERT_EQ(matrix().count(), 1);
    EXPECT_EQ(core::fromCharText(matrix().entry(1).text), QStringLiteral("e"));
    EXPECT_EQ(matrix().fileName(), file);
    EXPECT_FALSE(matrix().isModified());
    EXPECT_EQ(nameField(), QStringLiteral("english.gxc"));
    EXPECT_EQ(commands->folder(), dir.path());
}

TEST_F(MatrixCommandsTest, AFileThatIsNoMatrixIsReportedAndChangesNothing)
{
    learn("a");
    learn("b");
    QFile bad(path("bad.gxc"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("not a matrix at all, just some words");
    bad.close();
    prompt.answers = {Answer::No};
    files.names = {path("bad.gxc")};
    commands->open();
    ASSERT_EQ(prompt.shown.size(), 2);
    EXPECT_TRUE(prompt.shown[1].startsWith(QStringLiteral("warn: Warning\r\n"))) << prompt.shown[1].toStdString();
    EXPECT_EQ(matrix().count(), 2);
    EXPECT_EQ(nameField(), QStringLiteral("New File"));
}

TEST_F(MatrixCommandsTest, CancelledOpenDialogKeepsTheMatrix)
{
    learn("a");
    matrix().setModified(false);
    files.names = {QString()};
    commands->open();
    EXPECT_EQ(matrix().count(), 1);
}

TEST_F(MatrixCommandsTest, NewEmptiesTheMatrixAndSaveThenAsksForAName)
{
    const QString file = savedFile("old.gxc", "o");
    files.names = {file};
    commands->open();
    learn("n");
    prompt.answers = {Answer::No};
    commands->newMatrix();
    EXPECT_EQ(matrix().count(), 0);
    EXPECT_TRUE(matrix().fileName().isEmpty());
    EXPECT_EQ(nameField(), QStringLiteral("New File"));

    learn("x");
    files.titles.clear();
    files.names = {path("fresh")};
    EXPECT_TRUE(commands->save());
    ASSERT_EQ(files.titles.size(), 1);
    EXPECT_EQ(files.titles[0], QStringLiteral("Save Characters Matrix File"));
    EXPECT_TRUE(QFile::exists(path("fresh.gxc"))) << "the extension is added";
    EXPECT_EQ(nameField(), QStringLiteral("fresh.gxc"));

    learn("y");
    EXPECT_TRUE(commands->save());
    EXPECT_EQ(files.titles.size(), 1) << "a matrix whose file exists is saved without a dialog";
    CharMatrix back;
    core::NullPassHost host;
    ASSERT_TRUE(loadCharMatrix(path("fresh.gxc"), back, 1252, host));
    EXPECT_EQ(back.count(), 2);

    files.names = {path("copy.gxc")};
    EXPECT_TRUE(commands->saveAs());
    EXPECT_EQ(files.titles.value(1), QStringLiteral("Save Characters Matrix File As"));
    EXPECT_EQ(matrix().fileName(), path("copy.gxc"));
}

// Save As onto a matrix file that is there asks about the name that will be written (".gxc" added to a
// name typed without it); only Yes replaces the file.
TEST_F(MatrixCommandsTest, SaveAsOverAnExistingFileAsksFirst)
{
    const struct {
        const char *name;
        const char *typed;
        Answer answer;
        bool replaced;
    } cases[] = {
        {"with_extension_yes", "taught.gxc", Answer::Yes, true},
        {"with_extension_no", "taught.gxc", Answer::No, false},
        {"without_extension_yes", "taught", Answer::Yes, true},
        {"without_extension_no", "taught", Answer::No, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString existing = savedFile("taught.gxc", "t");
        const QByteArray before = [&] {
            QFile f(existing);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();
        matrix().clear();
        learn("n");
        learn("m");
        prompt.shown.clear();
        prompt.answers = {c.answer};
        files.names = {path(c.typed)};
        menuItem("SaveCharacterMatrixAs1")->trigger();
        EXPECT_EQ(prompt.shown, QStringList{QStringLiteral("confirm: Confirm\r\nFile taught.gxc already exists! Replace?")});
        CharMatrix back;
        core::NullPassHost host;
        ASSERT_TRUE(loadCharMatrix(existing, back, 1252, host));
        EXPECT_EQ(back.count(), c.replaced ? 2 : 1);
        EXPECT_EQ(matrix().isModified(), !c.replaced);
        EXPECT_EQ(matrix().fileName(), c.replaced ? existing : QString());
        if (!c.replaced) {
            QFile f(existing);
            ASSERT_TRUE(f.open(QIODevice::ReadOnly));
            EXPECT_EQ(f.readAll(), before) << "No leaves the file as it was";
        }
        EXPECT_FALSE(QFile::exists(path("taught"))) << "nothing is written under the name as typed";
        QFile::remove(existing);
    }
}

TEST_F(MatrixCommandsTest, AnEmptyMatrixIsNotSaved)
{
    files.names = {path("empty.gxc")};
    EXPECT_FALSE(commands->saveAs());
    ASSERT_EQ(prompt.shown.size(), 1);
    EXPECT_EQ(prompt.shown[0], QStringLiteral("warn: Warning\r\nThe Character Matrix is Empty!"));
    EXPECT_TRUE(files.titles.isEmpty());
    EXPECT_FALSE(QFile::exists(path("empty.gxc")));
}

TEST_F(MatrixCommandsTest, AFailedSaveIsReportedAndTheMatrixStaysModified)
{
    learn("a");
    files.names = {path("no-such-folder/m.gxc")};
    EXPECT_FALSE(commands->saveAs());
    ASSERT_EQ(prompt.shown.size(), 1);
    EXPECT_TRUE(prompt.shown[0].startsWith(QStringLiteral("error: Error\r\n")));
    EXPECT_TRUE(matrix().isModified());
}

} // namespace
} // namespace glyfex::recognition::ui
