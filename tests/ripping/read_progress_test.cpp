// Progress texts of a run.
#include "ripping/read_progress.h"

#include "support/qt_print.h"

#include <gtest/gtest.h>

using namespace glyfex::ripping;

TEST(ReadProgress, TextsAtStartMiddleAndEnd)
{
    const QLocale c = QLocale::c();
    const int64_t gb3 = int64_t(3072) * 1048576;
    struct Row { int64_t read; int64_t total; int64_t elapsed; int percent; const char *position; const char *elapsedText; const char *remaining; };
    const Row rows[] = {
        {0, gb3, 0, 0, "0.0 / 3072.0 MB (0 %)", "00:00:00", ""},
        {gb3 / 4, gb3, 60000, 25, "768.0 / 3072.0 MB (25 %)", "00:01:00", "00:03:00"},
        {gb3, gb3, 3723000, 100, "3072.0 / 3072.0 MB (100 %)", "01:02:03", "00:00:00"},
        {10, 0, 0, 0, "0.0 / 0.0 MB (0 %)", "00:00:00", "00:00:00"}, // nothing to read: no division by zero
    };
    for (const Row &r : rows) {
        ReadProgressText t = readProgressText(r.read, r.total, r.elapsed, c);
        EXPECT_EQ(t.percent, r.percent) << r.position;
        EXPECT_EQ(t.position, QString::fromUtf8(r.position));
        EXPECT_EQ(t.elapsed, QString::fromUtf8(r.elapsedText)) << r.position;
        EXPECT_EQ(t.remaining, QString::fromUtf8(r.remaining)) << r.position;
    }
    EXPECT_EQ(readProgressText(0, gb3, 0, QLocale(QLocale::German)).position, QStringLiteral("0,0 / 3072,0 MB (0 %)"));
}

TEST(ReadProgress, LongRunsDoNotOverflow)
{
    // 40 hours elapsed after 1 byte of 8 TB: the product passes 64 bits.
    ReadProgressText t = readProgressText(1, int64_t(8) << 40, int64_t(40) * 3600 * 1000);
    EXPECT_FALSE(t.remaining.isEmpty());
    EXPECT_FALSE(t.remaining.startsWith(QLatin1Char('-')));
    EXPECT_EQ(clockText(int64_t(100) * 3600 * 1000), QStringLiteral("100:00:00"));
}
