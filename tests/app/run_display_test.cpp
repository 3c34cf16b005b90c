// What the windows show while a recognising run reads the sample DVD: counters, title, the asked glyph, the skipped count and the assistant's place.
#include "app/app.h"
#include "app/run_wiring.h"
#include "recognition/glyph_asker.h"
#include "ripping/ui/input_dialog.h"
#include "ripping/ui/main_window.h"
#include "ripping/ui/preview_screen.h"
#include "subtitles/ui/subtitles_window.h"

#include "support/app_test.h"
#include "support/sample_dvd.h"
#include "support/skip_in_assistant.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

using namespace glyfex;

namespace {


// With an empty matrix the first shape of every picture is asked about; the answer comes from the test
// after it has looked at the windows.
class LookingAsker : public recognition::GlyphAsker {
public:
    std::function<recognition::AnswerCode(const recognition::GlyphQuestion &, int)> look; // question number from 1
    int asked = 0;
    recognition::GlyphAnswer askGlyph(const recognition::GlyphQuestion &q) override
    {
        ++asked;
        return {{}, 0, look(q, asked)};
    }
};

class RunDisplayTest : public test::AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        main = app.mainWindow();
        main->show();
        ASSERT_NO_FATAL_FAILURE(test::openSampleDvdCopy(app, work));
        app.run().setGlyphAsker(&asker);
        // The asked glyph is shown whatever "Show Pict." says.
        main->findChild<QCheckBox *>(QStringLiteral("CheckBoxShowSubPict"))->setChecked(false);
        app.inputDialog()->setAction(picture::ActionMode::RecogniseText);
    }

    QString label(const QWidget *window, const char *name) const
    {
        return window->findChild<QLabel *>(QString::fromLatin1(name))->text();
    }

    QTemporaryDir work;
    ripping::ui::MainWindow *main = nullptr;
    LookingAsker asker;
};

TEST_F(RunDisplayTest, WhileAGlyphIsAskedTheMainWindowShowsItsUnitItsPictureAndTheRunsPercentage)
{
    struct Seen {
        QString inFile, inRun, title;
        int highlight = 0, highlightRight = 0, frame = 0, frameRight = 0;
    };
    std::vector<Seen> seen;
    asker.look = [&](const recognition::GlyphQuestion &q, int) {
        Seen s{label(main, "LabelNbSup"), label(main, "LabelTotalNbSup"), main->windowTitle()};
        const QImage shown = main->previewScreen()->picture();
        EXPECT_EQ(shown.size(), QSize(q.shown.width, q.shown.height));
        for (int y = 0; y < q.shown.height && y < shown.height(); ++y)
            for (int x = 0; x < q.shown.width && x < shown.width(); ++x) {
                const QColor c = shown.pixelColor(x, y);
                if (q.shown.at(x, y) == recognition::kHighlightIndex) {
                    ++s.highlight;
                    s.highlightRight += c == QColor(51, 51, 255);
                } else if (q.shown.at(x, y) == recognition::kFrameIndex) {
                    ++s.frame;
                    s.frameRight += c == QColor(255, 51, 51);
                }
            }
        seen.push_back(s);
        return recognition::AnswerCode::SkipSubPicture;
    };
    ASSERT_TRUE(app.inputDialog()->start());
    ASSERT_NO_FATAL_FAILURE(test::tickToTheEnd(app));
    ASSERT_EQ(seen.size(), 10u);
    const QRegularExpression percent(QStringLiteral("^Glyfex - (\\d+)%$"));
    int lastPercent = 0;
    for (size_t i = 0; i < seen.size(); ++i) {
        const Seen &s = seen[i];
        EXPECT_EQ(s.inFile, QString::number(i + 1)) << "the unit asked about is counted";
        EXPECT_EQ(s.inRun, QString::number(i + 1));
        const QRegularExpressionMatch m = percent.match(s.title);
        ASSERT_TRUE(m.hasMatch()) << s.title.toStdString();
        EXPECT_GE(m.captured(1).toInt(), lastPercent);
        lastPercent = m.captured(1).toInt();
        EXPECT_GT(s.highlight, 0) << "unit " << i + 1;
        EXPECT_EQ(s.highlightRight, s.highlight) << "the asked glyph's pixels in (51, 51, 255), unit " << i + 1;
        EXPECT_GT(s.frame, 0);
        EXPECT_EQ(s.frameRight, s.frame) << "the frame in (255, 51, 51), unit " << i + 1;
    }
    EXPECT_FALSE(main->windowTitle().contains(QLatin1Char('%'))) << "the run is over";
}

TEST_F(RunDisplayTest, APictureSkippedInTheAssistantIsCountedAtOnceAndTheSubtitlesWindowComesBack)
{
    subtitles::ui::SubtitlesWindow *window = app.subtitlesWindow();
    test::SkipInAssistant skip;
    skip.subtitles = window;
    QWidget *assistant = app.window(QStringLiteral("Form15"));
    ASSERT_NE(assistant, nullptr);
    assistant->installEventFilter(&skip);
    QStringList skipLabels;
    std::vector<bool> windowShown;
    asker.look = [&](const recognition::GlyphQuestion &, int n) {
        auto *skipLabel = window->findChild<QLabel *>(QStringLiteral("LabelSkip"));
        skipLabels << (skipLabel->isVisible() ? skipLabel->text() : QString());
        windowShown.push_back(window->isVisible());
        // The first two pictures are typed by hand, where the assistant skips them.
        return n <= 2 ? recognition::AnswerCode::FillManually : recognition::AnswerCode::SkipSubPicture;
    };
    ASSERT_TRUE(app.inputDialog()->start());
    ASSERT_NO_FATAL_FAILURE(test::tickToTheEnd(app));
    ASSERT_EQ(skip.shown, 2);
    EXPECT_FALSE(skip.subtitlesVisible) << "the assistant takes the Subtitles window's place";
    ASSERT_EQ(skipLabels.size(), 10);
    const QString skipped = app.message(core::Msg::SkippedTooSmall);
    EXPECT_EQ(skipLabels[0], QString());
    EXPECT_EQ(skipLabels[1], QStringLiteral("(+1 ") + skipped) << "counted while the run goes on";
    EXPECT_EQ(skipLabels[2], QStringLiteral("(+2 ") + skipped);
    for (size_t i = 0; i < windowShown.size(); ++i)
        EXPECT_TRUE(windowShown[i]) << "question " << i + 1;
    EXPECT_EQ(app.subtitles.count(), 0);
}

} // namespace
