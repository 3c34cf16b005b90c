// The New Character(s) dialog in a DVD run: a matrix adopted by Search for match, and the resume after a Fill matrix request.
#include "app/app.h"
#include "app/run_wiring.h"
#include "recognition/char_matrix_file.h"
#include "recognition/ui/dialog_user.h"
#include "recognition/ui/new_character_dialog.h"
#include "recognition/ui/ocr_assistant_dialog.h"
#include "ripping/ui/input_dialog.h"
#include "ripping/ui/main_window.h"

#include "support/app_test.h"
#include "support/sample_dvd.h"
#include "support/first_question_in_dialog.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <ostream>
#include <utility>
#include <vector>

using namespace glyfex;

namespace {

const QString kTaught = QStringLiteral(GLYFEX_TEST_DATA_DIR "/../../data/ChMatrix/dvd-pal-sans.gxc");

// Questions after the first one: the picture is dropped.
class Dropper : public recognition::GlyphAsker {
public:
    int asked = 0;
    recognition::GlyphAnswer askGlyph(const recognition::GlyphQuestion &) override
    {
        ++asked;
        return {{}, 0, recognition::AnswerCode::SkipSubPicture};
    }
};

class NewCharacterRunTest : public test::AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        app.mainWindow()->show();
        ASSERT_NO_FATAL_FAILURE(test::openSampleDvdCopy(app, work));
        dialog = app.run().newCharacterDialog();
        ASSERT_NE(dialog, nullptr);
        app.inputDialog()->setAction(picture::ActionMode::RecogniseText);
    }

    QTemporaryDir work;
    recognition::ui::NewCharacterDialog *dialog = nullptr;
    Dropper rest;
};

class AdoptedStyleTest : public NewCharacterRunTest, public ::testing::WithParamInterface<bool> {};

TEST_P(AdoptedStyleTest, TheFoundEntrysStyleIsUsedAndRememberKeepsIt)
{
    const bool remember = GetParam();
    // The taught matrix of the sample, every entry made italic, waits in the matrix folder.
    recognition::CharMatrix italic;
    core::NullPassHost host;
    ASSERT_TRUE(recognition::loadCharMatrix(kTaught, italic, 1252, host).ok());
    for (int i = 1; i <= italic.count(); ++i)
        italic.setEntryText(i, italic.entry(i).text, 2);
    ASSERT_TRUE(recognition::saveCharMatrix(italic, QDir(app.paths.chMatrixDir()).filePath(QStringLiteral("italic.gxc"))).ok());
    test::child<QCheckBox>(*dialog, "RememberCheckBox")->setChecked(remember);

    test::FirstQuestionInDialog first(*dialog, "ButtonSearchMatrix", rest);
    app.run().setGlyphAsker(&first);
    prompt.answers = {core::Answer::Yes}; // open the matrix that knows the glyph
    ASSERT_TRUE(app.inputDialog()->start());
    ASSERT_NO_FATAL_FAILURE(test::tickToTheEnd(app));
    EXPECT_EQ(app.run().matrix().count(), italic.count()) << "adopted";
    EXPECT_LT(rest.asked, 3) << "the adopted matrix knows the glyphs";
    ASSERT_GE(app.subtitles.count(), 1) << prompt.shown.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(app.subtitles.at(1).lines.first().startsWith(QStringLiteral("<i>")))
        << app.subtitles.at(1).lines.first().toStdString();
    EXPECT_EQ(test::child<QCheckBox>(*dialog, "ItalicCheckBox")->isChecked(), remember);
}

INSTANTIATE_TEST_SUITE_P(Remember, AdoptedStyleTest, ::testing::Bool(),
                         [](const auto &info) { return std::string(info.param ? "On" : "Off"); });

// Search for match looks through the user's matrices, then through those the program ships (as
// `cmake --install` puts them in share/glyfex/ChMatrix); a shipped file the user has a copy of by the
// same name is the user's copy.
enum class Folder { User, Shipped };
struct SearchRow {
    const char *name;
    std::vector<std::pair<Folder, const char *>> files; // each a copy of the sample's taught matrix
    std::vector<core::Answer> answers;                  // to each offer, in order
    QStringList offered;                                // the file named by each offer
    std::pair<Folder, const char *> adopted;
};

void PrintTo(const SearchRow &row, std::ostream *os)
{
    *os << row.name;
}

class MatrixSearchTest : public NewCharacterRunTest, public ::testing::WithParamInterface<SearchRow> {
protected:
    QString folder(Folder f) const
    {
        return f == Folder::User ? app.paths.chMatrixDir() : folders.shippedDir() + QStringLiteral("/ChMatrix");
    }
};

TEST_P(MatrixSearchTest, OffersTheUsersMatricesThenTheShippedOnes)
{
    const SearchRow &row = GetParam();
    for (const auto &[where, name] : row.files) {
        ASSERT_TRUE(QDir().mkpath(folder(where)));
        ASSERT_TRUE(QFile::copy(kTaught, QDir(folder(where)).filePath(QLatin1String(name))));
    }
    test::FirstQuestionInDialog first(*dialog, "ButtonSearchMatrix", rest);
    app.run().setGlyphAsker(&first);
    prompt.answers.assign(row.answers.begin(), row.answers.end());
    ASSERT_TRUE(app.inputDialog()->start());
    ASSERT_NO_FATAL_FAILURE(test::tickToTheEnd(app));
    QStringList offered;
    for (const QString &shown : prompt.shown) {
        if (shown.contains(QLatin1String("seem to match"))) {
            const qsizetype from = shown.indexOf(u'"') + 1;
            offered << shown.mid(from, shown.indexOf(u'"', from) - from);
        }
    }
    EXPECT_EQ(offered, row.offered) << prompt.shown.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(QFileInfo(app.run().matrix().fileName()).absoluteFilePath(),
              QFileInfo(QDir(folder(row.adopted.first)).filePath(QLatin1String(row.adopted.second))).absoluteFilePath());
}

INSTANTIATE_TEST_SUITE_P(
    Folders, MatrixSearchTest,
    ::testing::Values(SearchRow{"OnlyShipped", {{Folder::Shipped, "dvd-pal-sans.gxc"}}, {core::Answer::Yes},
                                {QStringLiteral("dvd-pal-sans.gxc")}, {Folder::Shipped, "dvd-pal-sans.gxc"}},
                      SearchRow{"UsersFirst",
                                {{Folder::Shipped, "a-shipped.gxc"}, {Folder::User, "mine.gxc"}},
                                {core::Answer::No, core::Answer::Yes},
                                {QStringLiteral("mine.gxc"), QStringLiteral("a-shipped.gxc")},
                                {Folder::Shipped, "a-shipped.gxc"}},
                      SearchRow{"TheUsersCopyStandsForTheShippedFile",
                                {{Folder::User, "dvd-pal-sans.gxc"}, {Folder::Shipped, "dvd-pal-sans.gxc"},
                                 {Folder::Shipped, "other.gxc"}},
                                {core::Answer::No, core::Answer::Yes},
                                {QStringLiteral("dvd-pal-sans.gxc"), QStringLiteral("other.gxc")},
                                {Folder::Shipped, "other.gxc"}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(NewCharacterRunTest, TheResumeTimerStopsOnceTheRunHasResumed)
{
    test::FirstQuestionInDialog first(*dialog, "ButtonFillMatrix", rest);
    app.run().setGlyphAsker(&first);
    recognition::ui::OcrAssistantDialog *assistant = app.run().ocrAssistant();
    ASSERT_NE(assistant, nullptr);
    test::User user(*assistant);
    user.then([&] { assistant->findChild<QPushButton *>(QStringLiteral("bbDone"))->click(); });
    ASSERT_TRUE(app.inputDialog()->start());
    ASSERT_NO_FATAL_FAILURE(test::tickToTheEnd(app));
    EXPECT_TRUE(user.done()) << "the assistant opened for the picture read again";
    auto *timer = dialog->findChild<QTimer *>(QStringLiteral("TimerChangeColor"));
    ASSERT_NE(timer, nullptr);
    // Its next tick finds the request taken up: it stops instead of ticking for the rest of the program.
    EXPECT_TRUE(QTest::qWaitFor([timer] { return !timer->isActive(); }, 5000));
}

} // namespace
