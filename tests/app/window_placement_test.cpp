// Where the windows go: the Subtitles window under the main window until the user moves it, and every window on the screen.
#include "app/app.h"
#include "app/run_wiring.h"
#include "recognition/ui/dialog_user.h"
#include "recognition/ui/ocr_assistant_dialog.h"
#include "ripping/ui/main_window.h"
#include "sources/ui/video_viewer.h"
#include "subtitles/subtitle_builder.h"
#include "subtitles/ui/subtitles_window.h"
#include "support/app_test.h"
#include "support/qt_print.h"
#include "support/test_video.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <functional>

#include <gtest/gtest.h>

namespace glyfex {
namespace {

// Closes the next modal dialog as soon as it is up, as a user pressing Escape.
void closeNextModal()
{
    QTimer::singleShot(0, [] {
        if (QWidget *modal = QApplication::activeModalWidget())
            modal->close();
        else
            closeNextModal();
    });
}

class WindowPlacementTest : public test::AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        main = app.mainWindow();
        subtitles = app.subtitlesWindow();
        main->move(20, 20);
        main->show();
        subtitles->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(main));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(subtitles));
    }

    void press(QWidget *in, const char *name)
    {
        const QString n = QString::fromLatin1(name);
        if (auto *b = in->findChild<QAbstractButton *>(n)) {
            ASSERT_TRUE(b->isVisible() && b->isEnabled()) << name;
            QTest::mouseClick(b, Qt::LeftButton);
            return;
        }
        auto *a = in->findChild<QAction *>(n);
        ASSERT_NE(a, nullptr) << name;
        a->trigger();
    }

    ripping::ui::MainWindow *main = nullptr;
    subtitles::ui::SubtitlesWindow *subtitles = nullptr;
};

struct ShowingRow {
    const char *name;
    std::function<void()> act;
};

TEST_F(WindowPlacementTest, TheSubtitlesWindowStaysWhereTheUserMovedIt)
{
    // Everything that shows the window again, or opens a dialog from it, after the user has moved it.
    const ShowingRow rows[] = {
        {"hidden and shown with the main window's button",
         [this] {
             press(main, "TntBitButtonShowSubtitleText");
             press(main, "TntBitButtonShowSubtitleText");
         }},
        {"cleared", [this] { press(subtitles, "TntBitButtonClearSub"); }},
        {"a dialog opened from it",
         [this] {
             closeNextModal();
             press(subtitles, "TntBitButtonTimeCorrection");
         }},
        {"Open VOB(s) cancelled",
         [this] {
             closeNextModal();
             press(main, "OpenVob1");
         }},
        {"the main window's preview resized", [this] { main->applyPreviewSettings(); }},
    };
    const QPoint moved(0, 10); // on the screen, wide as the window is
    for (const ShowingRow &row : rows) {
        SCOPED_TRACE(row.name);
        subtitles->move(moved); // as the user drags it
        row.act();
        QCoreApplication::processEvents();
        ASSERT_TRUE(subtitles->isVisible());
        EXPECT_EQ(subtitles->pos(), moved);
    }
}

TEST_F(WindowPlacementTest, UntilTheUserMovesItTheSubtitlesWindowFollowsTheMainWindow)
{
    EXPECT_EQ(subtitles->frameGeometry().left(), main->frameGeometry().left());
    EXPECT_EQ(subtitles->frameGeometry().bottom(), main->frameGeometry().bottom());
    main->move(2, 5);
    QCoreApplication::processEvents();
    ASSERT_EQ(main->pos(), QPoint(2, 5));
    press(main, "TntBitButtonShowSubtitleText");
    press(main, "TntBitButtonShowSubtitleText");
    EXPECT_EQ(subtitles->frameGeometry().left(), main->frameGeometry().left());
    EXPECT_EQ(subtitles->frameGeometry().bottom(), main->frameGeometry().bottom());
}

// The windows' sizes as they grow and shrink; ctest runs these once more on a laptop's 1366 x 768 screen
// and on a netbook's 1024 x 600.
class WindowGeometryTest : public WindowPlacementTest {
protected:
    QRect available() const { return ripping::ui::screenOf(*main)->availableGeometry(); }

    // Whether the window lies on the screen once its requests are through. Offscreen they are at once;
    // under a window manager each resize and move is answered a moment later.
    bool settlesOnScreen(const QWidget &window) const
    {
        return QTest::qWaitFor([&] { return available().contains(window.frameGeometry()); }, 2000);
    }

    // Every label, check box and button the window shows narrower than its text (or lower than a line
    // of it; a wrapping label: lower than its lines), each named with its text and the two sizes. A push
    // button is measured by its text and margins: a style's usual minimum width is no part of the text.
    static QStringList cutCaptions(const QWidget &window)
    {
        QStringList cut;
        for (const QWidget *w : window.findChildren<QWidget *>()) {
            if (!w->isVisibleTo(&window))
                continue;
            QString text;
            QSize need;
            const int line = w->fontMetrics().height();
            if (const auto *l = qobject_cast<const QLabel *>(w)) {
                text = l->text();
                need = l->wordWrap() ? QSize(0, l->heightForWidth(l->width())) : QSize(l->sizeHint().width(), line);
            } else if (const auto *c = qobject_cast<const QCheckBox *>(w)) {
                text = c->text();
                need = QSize(c->sizeHint().width(), line);
            } else if (const auto *b = qobject_cast<const QPushButton *>(w)) {
                text = b->text();
                const int margins = 2 * (b->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, b)
                                         + b->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, b));
                const int icon = b->icon().isNull() ? 0 : b->iconSize().width() + 4;
                need = QSize(std::min(b->sizeHint().width(),
                                      b->fontMetrics().size(Qt::TextShowMnemonic, text).width() + icon + margins),
                             line);
            }
            if (text.isEmpty() || (w->width() >= need.width() && w->height() >= need.height()))
                continue;
            cut << QStringLiteral("%1 \"%2\" %3x%4 < %5x%6")
                       .arg(w->objectName(), text)
                       .arg(w->width())
                       .arg(w->height())
                       .arg(need.width())
                       .arg(need.height());
        }
        return cut;
    }
};

TEST_F(WindowGeometryTest, TheCodePagePanelKeepsTheSubtitlesWindowOnTheScreen)
{
    for (const auto mode : {subtitles::ui::SubtitlesWindow::PanelMode::Load, subtitles::ui::SubtitlesWindow::PanelMode::Save}) {
        SCOPED_TRACE(mode == subtitles::ui::SubtitlesWindow::PanelMode::Load ? "load" : "save");
        const int before = subtitles->width();
        subtitles->showConversionPanel(mode);
        QCoreApplication::processEvents();
        EXPECT_TRUE(settlesOnScreen(*subtitles))
            << testing::PrintToString(subtitles->frameGeometry()) << " on " << testing::PrintToString(available());
        for (const char *button : {"bbDone", "bbSave"}) {
            auto *b = subtitles->findChild<QPushButton *>(QString::fromLatin1(button));
            if (!b->isVisible())
                continue;
            const QRect onScreen(b->mapToGlobal(QPoint(0, 0)), b->size());
            EXPECT_TRUE(available().contains(onScreen)) << button << ' ' << testing::PrintToString(onScreen);
        }
        subtitles->hideConversionPanel();
        QCoreApplication::processEvents();
        EXPECT_EQ(subtitles->width(), before) << "the panel's room goes with it";
    }
}

TEST_F(WindowGeometryTest, BitmapAdjustmentComesBackWholeAfterReduceAndExpand)
{
    auto *adjust = qobject_cast<QDialog *>(app.window(QStringLiteral("Form18")));
    ASSERT_NE(adjust, nullptr);
    adjust->removeEventFilter(&bitmapAdjust); // shown here, not answered
    adjust->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(adjust));
    const QSize whole = adjust->size();
    EXPECT_TRUE(settlesOnScreen(*adjust)) << testing::PrintToString(adjust->frameGeometry());
    auto *reduce = adjust->findChild<QPushButton *>(QStringLiteral("ButtonReduceWindow"));
    ASSERT_NE(reduce, nullptr);
    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE(round);
        QTest::mouseClick(reduce, Qt::LeftButton);
        QCoreApplication::processEvents();
        EXPECT_LT(adjust->height(), whole.height() / 2) << "reduced";
        // Out of the way, at the bottom of the screen, as the user drags it.
        const QRect reduced = adjust->frameGeometry();
        adjust->move(available().right() - reduced.width(), available().bottom() - reduced.height());
        QCoreApplication::processEvents();
        QTest::mouseClick(reduce, Qt::LeftButton);
        QCoreApplication::processEvents();
        EXPECT_EQ(adjust->size(), whole);
        EXPECT_TRUE(settlesOnScreen(*adjust)) << testing::PrintToString(adjust->frameGeometry());
        for (const char *button : {"BitBtn1", "ButtonSkipPict"}) {
            auto *b = adjust->findChild<QPushButton *>(QString::fromLatin1(button));
            ASSERT_NE(b, nullptr) << button;
            const QRect onScreen(b->mapToGlobal(QPoint(0, 0)), b->size());
            EXPECT_TRUE(available().contains(onScreen)) << button << ' ' << testing::PrintToString(onScreen);
        }
    }
    adjust->hide();
}

TEST_F(WindowGeometryTest, TheFillAssistantKeepsDoneOnTheScreenWithASampleInAnHdFont)
{
    // The sample line of a 1080-row picture in its 56-pixel font is about 1400 pixels wide.
    recognition::ui::OcrAssistantDialog *assistant = app.run().ocrAssistant();
    ASSERT_NE(assistant, nullptr);
    picture::DecodedPicture hd;
    hd.codes.reset(1300, 70, 0);
    hd.colourMap = {0, 1, 2, 3};
    hd.frameHeight = 1080;
    recognition::OcrAssistState state;
    state.mode = recognition::OcrAssistState::FillMatrixRequested;
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(56);
    test::User user(*assistant);
    user.then([&] {
        assistant->setFillFont(font);
        test::child<QLineEdit>(*assistant, "EditFill")->setText(QStringLiteral("The quick brown fox jumps over the lazy dog."));
        QTest::qWait(50); // the layout's requests reach the window
        EXPECT_TRUE(settlesOnScreen(*assistant))
            << testing::PrintToString(assistant->frameGeometry()) << " on " << testing::PrintToString(available());
        for (const char *button : {"bbDone", "bbCancel"}) {
            auto *b = test::child<QPushButton>(*assistant, button);
            const QRect onScreen(b->mapToGlobal(QPoint(0, 0)), b->size());
            EXPECT_TRUE(available().contains(onScreen)) << button << ' ' << testing::PrintToString(onScreen);
        }
        test::child<QPushButton>(*assistant, "bbCancel")->click();
    });
    EXPECT_FALSE(assistant->assist(hd, state));
    EXPECT_TRUE(user.done());
}

// Every widget the window shows that reaches past the window's inside, where its lower or right part is
// not seen; the contents of scrolled areas are left alone, as they may reach past on purpose.
QStringList partlyOutside(QWidget &window)
{
    QStringList outside;
    for (const QWidget *w : window.findChildren<QWidget *>()) {
        if (w->window() != &window || !w->isVisibleTo(&window))
            continue;
        bool scrolled = false;
        for (const QWidget *up = w->parentWidget(); up && up != &window; up = up->parentWidget())
            scrolled = scrolled || qobject_cast<const QAbstractScrollArea *>(up) != nullptr;
        const QRect placed(w->mapTo(&window, QPoint(0, 0)), w->size());
        if (scrolled || window.rect().contains(placed))
            continue;
        outside << QStringLiteral("%1 (%2) %3x%4 at %5,%6 in %7x%8")
                       .arg(w->objectName(), QString::fromLatin1(w->metaObject()->className()))
                       .arg(placed.width())
                       .arg(placed.height())
                       .arg(placed.left())
                       .arg(placed.top())
                       .arg(window.width())
                       .arg(window.height());
    }
    return outside;
}

struct CaptionRow {
    const char *name;
    // Shows the window as the user first sees it, and gives it.
    std::function<QWidget *()> show;
};

TEST_F(WindowGeometryTest, EveryWindowShowsItsCaptionsWholeAndLiesOnTheScreen)
{
    // The smallest screen the windows are made for, a netbook's; the offscreen platform's own is narrower.
    if (available().width() < 1024 || available().height() < 600)
        GTEST_SKIP() << "a 1024 x 600 screen or larger: WindowGeometryTest.Netbook and .Laptop run this";
    QTemporaryDir dir;
    auto *viewer = app.videoViewer();
    // The viewer through File > Open Hard Subbed Video Files, with a video of this size.
    const auto openVideo = [&](QSize size) -> QWidget * {
        const QString path = dir.filePath(QStringLiteral("%1x%2.mkv").arg(size.width()).arg(size.height()));
        const QString made = test::makeVideo(
            path, QStringLiteral("color=c=0x204060:s=%1x%2:r=25").arg(size.width()).arg(size.height()), {}, 5,
            {QStringLiteral("-c:v"), QStringLiteral("ffv1")});
        EXPECT_TRUE(made.isEmpty()) << made.toStdString();
        files.names = {path};
        main->findChild<QAction *>(QStringLiteral("OpenVideo"))->trigger();
        EXPECT_TRUE(viewer->videoOpen()) << prompt.shown.join(QLatin1Char('\n')).toStdString();
        return viewer;
    };
    std::vector<CaptionRow> rows = {
        {"the video viewer without a video",
         [&]() -> QWidget * {
             viewer->show();
             return viewer;
         }},
        {"the video viewer with a 160 x 120 video", [&] { return openVideo(QSize(160, 120)); }},
        {"the video viewer with a 720 x 576 video", [&] { return openVideo(QSize(720, 576)); }},
    };
    // Every other window at the size it opens with; the stream scan window scans as it is shown and
    // closes itself when done.
    if (QWidget *adjust = app.window(QStringLiteral("Form18")))
        adjust->removeEventFilter(&bitmapAdjust); // shown here, not answered
    for (QWidget *w : app.windows()) {
        if (w != viewer && w->objectName() != QLatin1String("Form19"))
            rows.push_back({nullptr, [w] {
                                w->show();
                                return w;
                            }});
    }
    for (const CaptionRow &row : rows) {
        QWidget *window = row.show();
        const std::string name = row.name ? row.name : window->objectName().toStdString();
        SCOPED_TRACE(name);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        QTest::qWait(20); // the screen keeper's and the layouts' queued requests
        EXPECT_EQ(cutCaptions(*window), QStringList());
        EXPECT_EQ(partlyOutside(*window), QStringList());
        EXPECT_TRUE(settlesOnScreen(*window))
            << testing::PrintToString(window->frameGeometry()) << " on " << testing::PrintToString(available());
        if (window == viewer && viewer->videoOpen())
            QTest::mouseClick(viewer->findChild<QPushButton *>(QStringLiteral("bbCloseVideo")), Qt::LeftButton);
        else if (window != main && window != subtitles)
            window->hide();
    }
}

// The main window as the program opens it: whole on the screen with its window manager's title bar and
// borders (ctest runs this under Xvfb with openbox as well), down to the last information row.
TEST_F(WindowGeometryTest, TheMainWindowOpensWholeOnTheScreen)
{
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        // Framed once the window manager has taken the window; the keeper's and fitting's requests follow.
        (void)QTest::qWaitFor([this] { return main->frameGeometry().size() != main->size(); }, 2000);
    }
    QTest::qWait(50);
    EXPECT_TRUE(settlesOnScreen(*main))
        << testing::PrintToString(main->frameGeometry()) << " on " << testing::PrintToString(available());
    EXPECT_EQ(partlyOutside(*main), QStringList());
    EXPECT_EQ(cutCaptions(*main), QStringList());
}

} // namespace
} // namespace glyfex
