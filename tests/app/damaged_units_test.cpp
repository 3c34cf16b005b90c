// Damaged subpicture units on a disc: every one the run loses is counted and told after the run, in the
// windows and by the unattended job, and every whole unit around it is still read.
#include "app/run_wiring.h"
#include "recognition/ui/matrix_commands.h"
#include "ripping/ui/input_dialog.h"
#include "subtitles/ui/subtitles_window.h"

#include "support/app_test.h"
#include "support/damaged_title_set.h"
#include "support/program_environment.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace glyfex {
namespace {

using test::UnitDamage;

struct DamageCase {
    const char *name;
    UnitDamage damage;
};
void PrintTo(const DamageCase &c, std::ostream *os) { *os << c.name; }

const DamageCase kCases[] = {
    {"FirstUnitCutByTheFileEnd", UnitDamage::FirstUnitCutByTheFileEnd},
    {"SizeFieldZero", UnitDamage::SizeFieldZero},
    {"LargestUnitEndsInsideACommand", UnitDamage::LargestUnitEndsInsideACommand},
};

const QString kTold = QStringLiteral("1 damaged subpicture unit(s) could not be read: their subtitles are missing.");

class DamagedUnitsInTheWindows : public test::AppTest, public ::testing::WithParamInterface<DamageCase> {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(test::installCharMap(app.paths));
        AppTest::SetUp();
        ASSERT_TRUE(scratch.isValid());
    }
    QTemporaryDir scratch;
};

// Read with the shipped matrix of the fixture's letters: every whole unit becomes its subtitle, and the
// lost one is told once the run is over.
TEST_P(DamagedUnitsInTheWindows, TheRunReadsTheRestAndTellsTheLoss)
{
    const QString folder = scratch.filePath(QStringLiteral("VIDEO_TS"));
    int whole = -1;
    ASSERT_NO_FATAL_FAILURE(test::writeDamagedTitleSet(folder, GetParam().damage, whole));
    app::RunWiring &wiring = app.run();
    app.ocr.spaceWidth = 12;
    files.names = {QStringLiteral(GLYFEX_TEST_DATA_DIR "/../../data/ChMatrix/dvd-pal-sans.gxc")};
    wiring.matrixCommands().open();
    ASSERT_GT(wiring.matrix().count(), 0) << prompt.shown.join(QLatin1Char('\n')).toStdString();

    ripping::ui::InputDialog *input = app.inputDialog();
    ASSERT_TRUE(input->openInputFile(folder + QStringLiteral("/VTS_01_0.IFO"))) << prompt.shown.join(QLatin1Char('\n')).toStdString();
    input->selectStream(0);
    input->setAction(picture::ActionMode::RecogniseText);
    ASSERT_TRUE(input->start()) << prompt.shown.join(QLatin1Char('\n')).toStdString();
    ASSERT_NO_FATAL_FAILURE(test::tickToTheEnd(app));

    EXPECT_EQ(wiring.subtitlesWindow().store().count(), whole);
    EXPECT_EQ(prompt.shown.count(QStringLiteral("warn: ") + kTold), 1) << prompt.shown.join(QLatin1Char('\n')).toStdString();
}

INSTANTIATE_TEST_SUITE_P(, DamagedUnitsInTheWindows, ::testing::ValuesIn(kCases),
                         [](const auto &info) { return std::string(info.param.name); });

class DamagedUnitsOnTheCommandLine : public ::testing::TestWithParam<DamageCase> {};

// The unattended rip writes the pictures of the whole units and says on stderr how many it lost; a disc
// of which nothing could be read ends as one without pictures.
TEST_P(DamagedUnitsOnTheCommandLine, TheJobSaysTheCountOnStderr)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QString folder = home.filePath(QStringLiteral("VIDEO_TS"));
    int whole = -1;
    ASSERT_NO_FATAL_FAILURE(test::writeDamagedTitleSet(folder, GetParam().damage, whole));
    // An unattended job, as from a shell without a display.
    QProcessEnvironment env = test::scratchUserEnvironment(home.filePath(QStringLiteral("env")));
    for (const char *var : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        env.remove(QLatin1String(var));
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(GLYFEX_EXECUTABLE),
            {home.filePath(QStringLiteral("absent.ini")), folder + QStringLiteral("/VTS_01_0.IFO"),
             home.filePath(QStringLiteral("film")), QStringLiteral("0"), QStringLiteral("3"), QStringLiteral("0")});
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
        FAIL() << "the job did not end";
    }
    const QString err = QString::fromLocal8Bit(p.readAllStandardError());
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), whole > 0 ? 0 : 4) << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("glyfex: warning: ") + kTold)) << err.toStdString();
    EXPECT_EQ(QDir(home.path()).entryList({QStringLiteral("*.bmp")}, QDir::Files).size(), whole);
}

INSTANTIATE_TEST_SUITE_P(, DamagedUnitsOnTheCommandLine, ::testing::ValuesIn(kCases),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace glyfex
