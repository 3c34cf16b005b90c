// Under a real X server and window manager: a question of the main window stays above the Subtitles window whatever the user clicks, and the video viewer's controls are never covered by it.
#include "app/app.h"
#include "app/run_wiring.h"
#include "recognition/glyph_asker.h"
#include "ripping/ui/main_window.h"
#include "sources/ui/video_viewer.h"
#include "subtitles/ui/subtitles_window.h"
#include "support/window_runs.h"
#include "support/app_test.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <functional>

#include <gtest/gtest.h>

namespace glyfex {
namespace {

// The program's windows as the window manager stacks them, bottom first (_NET_CLIENT_LIST_STACKING).
QList<WId> stacking()
{
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("-notype"),
                                          QStringLiteral("_NET_CLIENT_LIST_STACKING")});
    xprop.waitForFinished(5000);
    QList<WId> ids;
    const QString out = QString::fromLatin1(xprop.readAllStandardOutput());
    const QRegularExpression id(QStringLiteral("0x[0-9a-fA-F]+"));
    for (auto it = id.globalMatch(out.mid(out.indexOf(u'#'))); it.hasNext();)
        ids << WId(it.next().captured().toULongLong(nullptr, 16));
    return ids;
}

// upper lies above lower: both are mapped and the window manager stacks upper later.
bool stackedAbove(const QWidget &upper, const QWidget &lower)
{
    const QList<WId> ids = stacking();
    const qsizetype u = ids.indexOf(upper.winId());
    const qsizetype l = ids.indexOf(lower.winId());
    return u >= 0 && l >= 0 && u > l;
}

bool managed(const QWidget &w)
{
    return stacking().contains(w.winId());
}

// A press and release of the left button at a point of the screen, through the X server, as a person
// clicks: the window manager sees it and raises what it raises.
void clickAt(const QPoint &global)
{
    QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QStringLiteral("--sync"),
                                                  QString::number(global.x()), QString::number(global.y()),
                                                  QStringLiteral("click"), QStringLiteral("1")});
    // The window manager answers the click after the press has reached it.
    QTest::qWait(150);
}

// A point of the window's client area that the other window does not cover, away from its edges.
std::optional<QPoint> uncoveredPoint(const QWidget &w, const QWidget &other)
{
    const QRect client = w.geometry().adjusted(12, 12, -12, -12);
    const QRect covered = other.frameGeometry().adjusted(-4, -4, 4, 4);
    const int xs[] = {client.left(), client.center().x(), client.right()};
    const int ys[] = {client.bottom(), client.center().y(), client.top()};
    for (int y : ys) {
        for (int x : xs) {
            if (!covered.contains(x, y))
                return QPoint(x, y);
        }
    }
    return std::nullopt;
}

// The middle of the window's title bar, where a click raises it and presses nothing inside it.
QPoint titleBar(const QWidget &w)
{
    const QRect frame = w.frameGeometry();
    return {frame.center().x(), (frame.top() + w.geometry().top()) / 2};
}

// Every picture is dropped unread: the run goes on without a question.
class SkipEveryPicture : public recognition::GlyphAsker {
public:
    recognition::GlyphAnswer askGlyph(const recognition::GlyphQuestion &) override
    {
        recognition::GlyphAnswer answer;
        answer.code = recognition::AnswerCode::SkipSubPicture;
        return answer;
    }
};

class WindowStackingTest : public test::AppTest {
protected:
    void SetUp() override
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb") || qEnvironmentVariableIsEmpty("GLYFEX_WINDOW_MANAGER"))
            GTEST_SKIP() << "needs an X server with a window manager: ctest runs these through tests/support/under_window_manager.sh";
        AppTest::SetUp();
        app.loadSettings();
        main = app.mainWindow();
        subtitles = app.subtitlesWindow();
        main->show();
        subtitles->show();
        ASSERT_TRUE(QTest::qWaitFor([this] { return managed(*main) && managed(*subtitles); }, 5000));
    }

    ripping::ui::MainWindow *main = nullptr;
    subtitles::ui::SubtitlesWindow *subtitles = nullptr;
};

// A dialog of the main window, opened while the Subtitles window is shown.
struct QuestionRow {
    const char *name;
    const char *expected; // its form name, else its class
    std::function<void(app::App &)> open; // returns once the dialog has closed
};

void PrintTo(const QuestionRow &row, std::ostream *os)
{
    *os << row.name;
}

class QuestionAboveSubtitlesTest : public WindowStackingTest, public ::testing::WithParamInterface<QuestionRow> {};

TEST_P(QuestionAboveSubtitlesTest, StaysAboveAfterAClickOnTheSubtitlesWindowAndOnItself)
{
    const QuestionRow &row = GetParam();
    bool checked = false;
    QTimer watch;
    watch.setInterval(20);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        QWidget *dialog = QApplication::activeModalWidget();
        if (!dialog || checked)
            return;
        const QString name = dialog->objectName().startsWith(QLatin1String("Form"))
                                 ? dialog->objectName() : QString::fromLatin1(dialog->metaObject()->className());
        if (name != QLatin1String(row.expected) || !managed(*dialog))
            return;
        checked = true;
        watch.stop();
        QPointer<QWidget> guard(dialog);
        EXPECT_TRUE(QTest::qWaitFor([&] { return stackedAbove(*dialog, *subtitles); }, 3000)) << "above when it opens";
        const std::optional<QPoint> onSubtitles = uncoveredPoint(*subtitles, *dialog);
        EXPECT_TRUE(onSubtitles.has_value()) << "the dialog covers the whole Subtitles window";
        if (onSubtitles) {
            clickAt(*onSubtitles);
            EXPECT_TRUE(stackedAbove(*dialog, *subtitles)) << "a click on the Subtitles window covered the dialog";
        }
        clickAt(titleBar(*dialog));
        EXPECT_TRUE(stackedAbove(*dialog, *subtitles)) << "after a click on the dialog";
        if (guard)
            guard->close();
    });
    watch.start();
    ASSERT_NO_FATAL_FAILURE(row.open(app));
    QTest::qWait(50);
    EXPECT_TRUE(checked) << "no " << row.expected << " came up";
}

const QuestionRow kQuestions[] = {
    {"NewCharacter", "Form2", [](app::App &a) { test::startRecognition(a); }},
    {"ColourDialog", "QColorDialog",
     [](app::App &a) { QTest::mouseClick(a.mainWindow()->findChild<QAbstractButton *>(QStringLiteral("PanelBorderColor")), Qt::LeftButton); }},
    {"GlobalOptions", "Form16",
     [](app::App &a) { a.mainWindow()->findChild<QAction *>(QStringLiteral("GlobalOptions1"))->trigger(); }},
};

INSTANTIATE_TEST_SUITE_P(Dialogs, QuestionAboveSubtitlesTest, ::testing::ValuesIn(kQuestions),
                         [](const ::testing::TestParamInfo<QuestionRow> &info) { return std::string(info.param.name); });

// The video viewer, opened while the Subtitles window is shown or hidden, then Run, which shows it.
class ViewerBesideSubtitlesTest : public WindowStackingTest, public ::testing::WithParamInterface<bool> {};

TEST_P(ViewerBesideSubtitlesTest, RunLeavesTheViewersControlsUncovered)
{
    if (!GetParam())
        subtitles->hide();
    ASSERT_NO_FATAL_FAILURE(test::openVideo(app));
    sources::ui::VideoViewer *viewer = app.videoViewer();
    ASSERT_TRUE(QTest::qWaitFor([&] { return managed(*viewer); }, 5000));
    // The text colour: a click inside the region, which enables Run.
    QWidget *frame = viewer->findChild<QWidget *>(QStringLiteral("ImageVideo"));
    QTest::mouseClick(frame, Qt::LeftButton, {}, QPoint(frame->width() / 2, frame->height() - 4));
    auto *run = viewer->findChild<QPushButton *>(QStringLiteral("bbProcess"));
    ASSERT_TRUE(run->isEnabled());
    SkipEveryPicture skipper;
    app.run().setGlyphAsker(&skipper);
    QTest::mouseClick(run, Qt::LeftButton);
    ASSERT_TRUE(subtitles->isVisible());

    EXPECT_TRUE(QTest::qWaitFor([&] { return stackedAbove(*viewer, *subtitles); }, 3000))
        << "the Subtitles window lies over the viewer";
    const std::optional<QPoint> onSubtitles = uncoveredPoint(*subtitles, *viewer);
    if (onSubtitles) {
        clickAt(*onSubtitles);
        EXPECT_TRUE(stackedAbove(*viewer, *subtitles)) << "a click on the Subtitles window covered the viewer";
    }
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_TRUE(app.videoOpen) << "the video stays open";
}

INSTANTIATE_TEST_SUITE_P(SubtitlesWindow, ViewerBesideSubtitlesTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool> &info) {
                             return std::string(info.param ? "ShownAtOpen" : "HiddenAtOpen");
                         });

} // namespace
} // namespace glyfex
