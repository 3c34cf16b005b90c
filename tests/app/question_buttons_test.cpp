// The program's own message boxes offer the buttons of their question and no others: read errors, and questions that cannot be cancelled.
#include "app/app.h"
#include "ripping/ui/input_dialog.h"
#include "subtitles/subtitle_builder.h"
#include "subtitles/ui/subtitles_window.h"

#include "support/app_test.h"
#include "support/sample_dvd.h"
#include "support/test_data.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using namespace glyfex;

namespace {

// Notes the buttons of every message box the program shows; presses `press` in the first and OK (or
// Escape) in any later one.
class BoxWatcher {
public:
    explicit BoxWatcher(QMessageBox::StandardButton press) : m_press(press)
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
        m_timer.start();
    }
    std::vector<QMessageBox::StandardButtons> seen;

private:
    void poll()
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible() || box == m_last)
            return;
        m_last = box;
        seen.push_back(box->standardButtons());
        QAbstractButton *button = box->button(seen.size() == 1 ? m_press : QMessageBox::Ok);
        if (button)
            button->click();
        else
            box->reject();
    }

    QMessageBox::StandardButton m_press;
    QTimer m_timer;
    QMessageBox *m_last = nullptr;
};

struct QuestionCase {
    const char *name;
    std::function<void(app::App &, test::ScriptedFiles &, const QTemporaryDir &)> ask;
    QMessageBox::StandardButtons buttons; // what the question offers
    QMessageBox::StandardButton press;
    std::function<void(app::App &)> check; // the answer was taken
};

void addUnsavedText(app::App &app)
{
    subtitles::ui::SubtitlesWindow *w = app.subtitlesWindow();
    w->store().subs.push_back(test::makeSubtitle(core::millisecondsToTimeCode(1000), core::millisecondsToTimeCode(2000),
                                                 {QStringLiteral("Hello")}));
    w->followStore();
    ASSERT_TRUE(w->isModified());
}

const QuestionCase kQuestions[] = {
    {"ReadError",
     [](app::App &app, test::ScriptedFiles &files, const QTemporaryDir &dir) {
         const QString path = dir.filePath(QStringLiteral("broken.srt"));
         test::writeBytes(path, "1\r\n00:00:01,000 --> 00:00:02,000\r\nGood\r\n\r\n"
                                "2\r\n00:00:0x,000 --> 00:00:04,000\r\nBad\r\n\r\n"
                                "3\r\n00:00:05,000 --> 00:00:06,000\r\nGood again\r\n\r\n");
         files.names = {path};
         app.subtitlesWindow()->openFile();
     },
     QMessageBox::Cancel | QMessageBox::Ignore | QMessageBox::YesToAll, QMessageBox::Ignore,
     [](app::App &app) { EXPECT_EQ(app.subtitles.count(), 2) << "the entries around the broken one are read"; }},
    {"OpenOverUnsavedText",
     [](app::App &app, test::ScriptedFiles &, const QTemporaryDir &) {
         addUnsavedText(app);
         app.subtitlesWindow()->openFile();
     },
     QMessageBox::Yes | QMessageBox::No, QMessageBox::No,
     [](app::App &app) { EXPECT_EQ(app.subtitles.count(), 1); }},
    {"ClearUnsavedText",
     [](app::App &app, test::ScriptedFiles &, const QTemporaryDir &) {
         addUnsavedText(app);
         EXPECT_FALSE(app.subtitlesWindow()->clearSubtitles());
     },
     QMessageBox::Yes | QMessageBox::No, QMessageBox::No,
     [](app::App &app) { EXPECT_EQ(app.subtitles.count(), 1); }},
    {"StartWithText",
     [](app::App &app, test::ScriptedFiles &, const QTemporaryDir &) {
         addUnsavedText(app);
         ASSERT_TRUE(app.inputDialog()->openInputFile(test::kSampleDvd + QStringLiteral("/VTS_01_0.IFO")));
         app.inputDialog()->setAction(picture::ActionMode::RecogniseText);
         EXPECT_FALSE(app.inputDialog()->start());
     },
     QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Cancel,
     [](app::App &app) { EXPECT_EQ(app.subtitles.count(), 1); }},
};

void PrintTo(const QuestionCase &c, std::ostream *os)
{
    *os << c.name;
}

class QuestionButtonsTest : public test::AppTest, public ::testing::WithParamInterface<QuestionCase> {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        app.setPrompt(nullptr); // the program's own message boxes
    }
    QTemporaryDir dir;
};

TEST_P(QuestionButtonsTest, OffersTheQuestionsButtonsOnly)
{
    const QuestionCase &c = GetParam();
    BoxWatcher watcher(c.press);
    ASSERT_NO_FATAL_FAILURE(c.ask(app, files, dir));
    ASSERT_FALSE(watcher.seen.empty()) << "no question was asked";
    EXPECT_EQ(watcher.seen[0], c.buttons);
    c.check(app);
}

INSTANTIATE_TEST_SUITE_P(Questions, QuestionButtonsTest, ::testing::ValuesIn(kQuestions),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
