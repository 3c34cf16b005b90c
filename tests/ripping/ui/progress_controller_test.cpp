// The Progression Controller: each button's answer, the pause it makes, and the first save's base name.
#include "app/app.h"
#include "ripping/ui/main_window.h"
#include "ripping/ui/progress_controller.h"

#include "support/app_test.h"

#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace glyfex;
using namespace glyfex::ripping::ui;

namespace {

class ProgressControllerTest : public test::AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        controller = app.progressController();
        app.batch.paused = false;
    }

    // Shows the controller modally and clicks the named buttons one after the other while it is open.
    int askAndClick(const QStringList &buttons)
    {
        int delay = 0;
        for (const QString &name : buttons) {
            QTimer::singleShot(delay += 10, controller, [this, name] {
                if (auto *b = controller->findChild<QPushButton *>(name))
                    QTest::mouseClick(b, Qt::LeftButton);
            });
        }
        // A last resort so that a test whose clicks do not close the window cannot hang.
        QTimer::singleShot(delay + 500, controller, [this] {
            if (controller->isVisible())
                controller->done(-1);
        });
        return controller->ask();
    }

    ProgressController *controller = nullptr;
};

TEST_F(ProgressControllerTest, ButtonsAnswerWithTheirResults)
{
    struct Row { const char *button; int result; };
    const Row rows[] = {{"ButtonNext", ProgressController::Next}, {"ButtonNoStop", ProgressController::NoStop}};
    for (const Row &r : rows)
        EXPECT_EQ(askAndClick({QString::fromLatin1(r.button)}), r.result) << r.button;
    EXPECT_TRUE(controller->noStop()) << "No Stop: the controller is not shown again";
}

TEST_F(ProgressControllerTest, PauseAnswersAndPausesTheRunNotAsTheMainButton)
{
    EXPECT_EQ(askAndClick({QStringLiteral("ButtonPause")}), ProgressController::Paused);
    EXPECT_TRUE(app.batch.paused);
    EXPECT_FALSE(app.batch.pausedByMainButton) << "the interrupted picture is to be shown again";
}

TEST_F(ProgressControllerTest, FirstSaveAsksForTheBaseNameAndCancellingKeepsTheWindowOpen)
{
    files.names = {QString(), QStringLiteral("/tmp/out/movie")};
    // The first click's dialog is cancelled: the window stays, and the second click names the base.
    EXPECT_EQ(askAndClick({QStringLiteral("ButtonSaveAsSup"), QStringLiteral("ButtonSaveAsSup")}),
              ProgressController::SaveRaw);
    EXPECT_EQ(files.titles, QStringList({QStringLiteral("Save SUPs: Enter beginning of File Name."),
                                         QStringLiteral("Save SUPs: Enter beginning of File Name.")}));
    EXPECT_EQ(app.batch.pictureBaseName, QStringLiteral("/tmp/out/movie"));
    // Once named, saving asks nothing more.
    EXPECT_EQ(askAndClick({QStringLiteral("ButtonSaveAsBmp")}), ProgressController::SaveBitmap);
    EXPECT_EQ(files.titles.size(), 2);
}

} // namespace
