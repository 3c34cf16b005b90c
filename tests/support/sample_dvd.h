// The sample title set for window tests: a copy opened in the input dialog, as the run writes a subtitle map beside what it reads.
#pragma once

#include "app/app.h"
#include "ripping/ui/input_dialog.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace glyfex::test {

inline const QString kSampleDvd = QStringLiteral(GLYFEX_TEST_DATA_DIR "/dvd-pal-sans/dvd/VIDEO_TS");

// Call through ASSERT_NO_FATAL_FAILURE.
inline void openSampleDvdCopy(app::App &app, const QTemporaryDir &dir)
{
    for (const char *name : {"VTS_01_0.IFO", "VTS_01_1.VOB"})
        ASSERT_TRUE(QFile::copy(kSampleDvd + QLatin1Char('/') + QLatin1String(name), dir.filePath(QLatin1String(name))));
    ASSERT_TRUE(app.inputDialog()->openInputFile(dir.filePath(QStringLiteral("VTS_01_0.IFO"))));
}

} // namespace glyfex::test
