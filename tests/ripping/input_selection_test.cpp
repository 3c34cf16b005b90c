// Input rows and stream items: row text, sorting and ticking, moves, stream numbers and languages.
#include "ripping/input_selection.h"
#include "ripping/start_request.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "support/qt_print.h"

#include <gtest/gtest.h>

using namespace glyfex;
using namespace glyfex::ripping;

namespace {
void writeFile(const QString &path, int bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(bytes, '\0'));
}
} // namespace

TEST(InputRowText, PadsShortNamesAndAbbreviatesLongOnes)
{
    EXPECT_EQ(inputRowText(QStringLiteral("VTS_01_1.VOB"), 1073739776),
              QStringLiteral("VTS_01_1.VOB") + QString(16, QLatin1Char(' ')) + QStringLiteral(" [ 1048574 kB]"));
    const QString forty = QStringLiteral("abcdefghijklmnopqrstuvwxyz0123456789.VOB");
    ASSERT_EQ(forty.size(), 40);
    EXPECT_EQ(inputRowText(forty, 2047), QStringLiteral("abcde//tuvwxyz0123456789.VOB [       1 kB]"));
    const QString exactly28(28, QLatin1Char('x'));
    EXPECT_EQ(inputRowText(exactly28, 0).left(28), exactly28);
}

TEST(InputRows, SortedOnceAndTickedExceptMenuVob)
{
    QTemporaryDir dir;
    const QStringList names = {"VTS_01_3.VOB", "VTS_01_0.VOB", "VTS_01_1.VOB", "VTS_01_2.VOB"};
    QStringList paths;
    for (int i = 0; i < names.size(); ++i) {
        paths << dir.filePath(names[i]);
        writeFile(paths.last(), 2048 * (i + 1));
    }
    auto rows = makeInputRows(paths, true);
    ASSERT_EQ(rows.size(), 4u);
    const QStringList sorted = {"VTS_01_0.VOB", "VTS_01_1.VOB", "VTS_01_2.VOB", "VTS_01_3.VOB"};
    const int64_t sizes[] = {4096, 6144, 8192, 2048};
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].path, dir.filePath(sorted[int(i)]));
        EXPECT_EQ(rows[i].size, sizes[i]) << "the size travels with its own path";
        EXPECT_EQ(rows[i].ticked, i != 0) << sorted[int(i)].toStdString();
    }
    auto plain = makeInputRows(paths, false);
    EXPECT_FALSE(anyRowTicked(plain));
    auto single = makeInputRows({dir.filePath("VTS_01_0.VOB")}, false);
    EXPECT_TRUE(single.front().ticked) << "a single row is always ticked";
}

TEST(InputRows, MovesKeepPathSizeAndTickTogether)
{
    std::vector<InputFileRow> rows = {{"a", 1, true}, {"b", 2, false}, {"c", 3, true}};
    EXPECT_FALSE(moveInputRow(rows, 0, -1));
    EXPECT_FALSE(moveInputRow(rows, 2, +1));
    EXPECT_FALSE(moveInputRow(rows, -1, +1));
    EXPECT_TRUE(moveInputRow(rows, 2, -1));
    EXPECT_EQ(rows[1].path, "c");
    EXPECT_EQ(rows[1].size, 3);
    EXPECT_TRUE(rows[1].ticked);
    EXPECT_EQ(rows[2].path, "b");
    EXPECT_FALSE(rows[2].ticked);
}

TEST(StreamItems, NamedOrAll)
{
    std::array<QString, 32> names;
    names[0] = QStringLiteral("English 0, wide");
    names[3] = QStringLiteral("Deutsch 3, (forced caption) wide");
    auto named = streamItems(names, false);
    ASSERT_EQ(named.size(), 2u);
    EXPECT_EQ(named[0].text, QStringLiteral("00 - English 0, wide"));
    EXPECT_EQ(named[1].number, 3);
    auto all = streamItems(names, true);
    ASSERT_EQ(all.size(), 32u);
    EXPECT_EQ(all[31].text, QStringLiteral("31 - "));
}

TEST(StreamItemParsing, NumberAndCharacterLocation)
{
    struct Row { const char *item; int number; const char *location; };
    const Row rows[] = {
        {"00 - English 0, wide", 0, "English"},
        {"03 - Deutsch 3, (forced caption) wide", 3, "Deutsch"},
        {"01 - ~English 1, wide", 1, "English"},
        {"05 - Latvian, Lettish 3, wide", 5, "Latvian, Lettish"},
        {"02 - English", 2, "English"},          // index names have no display mode
        {"04 - Latvian, Lettish", 4, "Latvian"}, // cut at the comma, no blank left: kept, not emptied
        {"07 - ???", 7, "???"},
        {"31 - ", 31, ""},
    };
    for (const Row &r : rows) {
        const QString item = QString::fromUtf8(r.item);
        EXPECT_EQ(streamNumberOfItem(item), r.number) << r.item;
        EXPECT_EQ(characterLocationOfItem(item), QString::fromUtf8(r.location)) << r.item;
    }
    EXPECT_FALSE(streamNumberOfItem(u"x1 - a").has_value());
    EXPECT_FALSE(streamNumberOfItem(u"").has_value());
}

TEST(StartRequest, FilesInRowOrderWithSizes)
{
    QTemporaryDir dir;
    writeFile(dir.filePath("A.VOB"), 1000);
    writeFile(dir.filePath("B.VOB"), 2000);
    writeFile(dir.filePath("C.VOB"), 3000);
    std::vector<InputFileRow> rows = {{dir.filePath("B.VOB"), 0, true},
                                      {dir.filePath("X.VOB"), 0, false},
                                      {dir.filePath("A.VOB"), 0, true},
                                      {dir.filePath("gone.VOB"), 99, true},
                                      {dir.filePath("C.VOB"), 0, true}};
    StartRequest request;
    collectStartFiles(rows, request);
    EXPECT_EQ(request.files, QStringList({dir.filePath("B.VOB"), dir.filePath("A.VOB"), dir.filePath("gone.VOB"),
                                          dir.filePath("C.VOB")}));
    EXPECT_EQ(request.sizes, (std::vector<int64_t>{2000, 1000, 0, 3000}));
    EXPECT_EQ(request.totalBytes, 6000);
}

TEST(StartRequest, CommitArmsTheRun)
{
    BatchState batch;
    batch.currentFile = 2;
    batch.resumePos = 4096;
    batch.ignoreBadPackets = true;
    batch.skippedCount = 5;
    StartRequest request;
    request.action = actionOfItem(3);
    request.streamNumber = 3;
    request.files = {"a.vob"};
    request.sizes = {10};
    request.totalBytes = 10;
    commitStartRequest(request, batch);
    EXPECT_EQ(batch.actionMode, picture::ActionMode::OnlyShow);
    EXPECT_EQ(batch.streamId, 0x23);
    EXPECT_EQ(batch.currentFile, 0);
    EXPECT_EQ(batch.resumePos, 0);
    EXPECT_FALSE(batch.ignoreBadPackets);
    EXPECT_EQ(batch.skippedCount, 0);
    EXPECT_TRUE(batch.paused) << "the pause is released by the caller, with its button";
    EXPECT_FALSE(batch.processing);
    EXPECT_EQ(actionOfItem(0), picture::ActionMode::RecogniseText);
    EXPECT_EQ(actionOfItem(9), picture::ActionMode::RecogniseText);
}
