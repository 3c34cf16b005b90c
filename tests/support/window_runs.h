// Runs that bring up the windows of a run for window tests: a recognition run that asks its first shape in the New Character(s) dialog, a small video in the viewer.
#pragma once

#include "app/app.h"
#include "app/run_wiring.h"
#include "app/video_command.h"
#include "ripping/ui/input_dialog.h"
#include "ripping/ui/main_window.h"
#include "support/test_video.h"

#include <QDir>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

namespace glyfex::test {

// A recognition run on the sample disc with an empty matrix: the first shape is asked in the New
// Character(s) dialog. A matrix that knows the shape waits in the matrix folder for its search.
inline void startRecognition(app::App &app)
{
    const QString dvd = QStringLiteral(GLYFEX_TEST_DATA_DIR "/dvd-pal-sans/dvd/VIDEO_TS/");
    const QString work = app.paths.chMatrixDir() + QStringLiteral("/../run/");
    ASSERT_TRUE(QDir().mkpath(work));
    for (const char *name : {"VTS_01_0.IFO", "VTS_01_1.VOB"})
        ASSERT_TRUE(QFile::copy(dvd + QLatin1String(name), work + QLatin1String(name)));
    ASSERT_TRUE(QDir().mkpath(app.paths.chMatrixDir()));
    ASSERT_TRUE(QFile::copy(QStringLiteral(GLYFEX_TEST_DATA_DIR "/../../data/ChMatrix/dvd-pal-sans.gxc"),
                            app.paths.chMatrixDir() + QStringLiteral("/dvd-pal-sans.gxc")));
    ASSERT_TRUE(app.inputDialog()->openInputFile(work + QStringLiteral("VTS_01_0.IFO")));
    ASSERT_TRUE(app.inputDialog()->start());
    for (int tick = 0; tick < 5 && !app.batch.paused && !app.batch.finished(); ++tick)
        app.mainWindow()->batchTick();
}

// Five black frames of 160 x 120 at 25 frames a second, at path. Call through ASSERT_NO_FATAL_FAILURE.
inline void makeSmallVideo(const QString &path)
{
    const QString error = test::makeVideo(path, QStringLiteral("color=c=black:s=160x120:r=25"), QString(), 5,
                                          {QStringLiteral("-c:v"), QStringLiteral("ffv1")});
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
}

// A small video in the viewer, opened as File > Open Hard Subbed Video Files does once a file is chosen.
inline void openVideo(app::App &app)
{
    const QString path = app.paths.chMatrixDir() + QStringLiteral("/../small.mkv");
    ASSERT_TRUE(QDir().mkpath(app.paths.chMatrixDir() + QStringLiteral("/..")));
    ASSERT_NO_FATAL_FAILURE(makeSmallVideo(path));
    ASSERT_TRUE(app.run().video()->openFile(path));
}

} // namespace glyfex::test
