// The Split Text File dialog on the offscreen platform: the range it stores, its bar, and the automatic split by an AVI made with ffmpeg.
#include "subtitles/ui/split_dialog.h"

#include "support/app_test.h"
#include "subtitles/subtitle_builder.h"
#include "subtitles/ui/subtitles_window.h"
#include "support/ffmpeg_demux.h"

#include <QCheckBox>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <ostream>

#include <functional>

extern "C" {
#include <libavutil/mathematics.h>
}

namespace glyfex::subtitles::ui {
namespace {

using core::TimeCode;

TimeCode ms(int64_t v)
{
    return core::millisecondsToTimeCode(v);
}

// A video of frames at rate ("25", "30000/1001") made by ffmpeg.
QString makeAvi(const QString &path, const char *rate, int frames)
{
    QProcess p;
    p.start(QStringLiteral("ffmpeg"), {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-f"),
                                       QStringLiteral("lavfi"), QStringLiteral("-i"),
                                       QStringLiteral("color=c=black:size=16x16:rate=") + QLatin1String(rate),
                                       QStringLiteral("-frames:v"), QString::number(frames), QStringLiteral("-c:v"),
                                       QStringLiteral("mpeg4"), QStringLiteral("-y"), path});
    EXPECT_TRUE(p.waitForFinished(120000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    return path;
}

class SplitDialogTest : public test::AppTest {
protected:
    void SetUp() override
    {
        test::AppTest::SetUp();
        window = qobject_cast<SubtitlesWindow *>(app.subtitlesWindow());
        dialog = qobject_cast<SplitDialog *>(app.window(QStringLiteral("Form17")));
        ASSERT_NE(window, nullptr);
        ASSERT_NE(dialog, nullptr);
        ASSERT_TRUE(dir.isValid());
    }
    void TearDown() override { dialog->hide(); }

    template <typename T> T *child(const char *name) const
    {
        T *w = dialog->findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    void addSubtitle(int64_t startMs, int64_t stopMs, const QString &text)
    {
        window->store().subs.push_back(test::makeSubtitle(ms(startMs), ms(stopMs), {text}));
        window->rebuildSubtitleText();
    }

    void type(const char *box, const QString &text)
    {
        auto *edit = child<core::ui::WordEdit>(box);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }

    void click(const char *button) { QTest::mouseClick(child<QAbstractButton>(button), Qt::LeftButton); }

    QString path(const char *name) const { return dir.filePath(QString::fromLatin1(name)); }

    // The subtitles of a saved part as FFmpeg's srt demuxer reads them: start, stop (ms) and text.
    static std::vector<std::tuple<int64_t, int64_t, QString>> readPart(const QString &file)
    {
        AVRational tb{};
        std::vector<std::tuple<int64_t, int64_t, QString>> subs;
        for (const auto &e : test::demuxSubtitles(file, "srt", &tb)) {
            const int64_t start = av_rescale_q(e.pts, tb, AVRational{1, 1000});
            subs.emplace_back(start, start + av_rescale_q(e.duration, tb, AVRational{1, 1000}), e.text);
        }
        return subs;
    }

    SubtitlesWindow *window = nullptr;
    SplitDialog *dialog = nullptr;
    QTemporaryDir dir;
};

TEST_F(SplitDialogTest, ShowsTheWindowsRangeAndEnablesEditsWithTheBox)
{
    addSubtitle(1000, 2000, QStringLiteral("a"));
    addSubtitle(99000, 100000, QStringLiteral("b"));
    window->setSplit(false, SplitRange{ms(25000), ms(75000)});
    dialog->show();
    EXPECT_EQ(dialog->objectName(), QStringLiteral("Form17"));
    EXPECT_EQ(dialog->endOfFileTime(), ms(100000));
    EXPECT_EQ(dialog->startTime(), ms(25000));
    EXPECT_EQ(dialog->stopTime(), ms(75000));
    auto *split = child<QCheckBox>("CheckBoxSplit");
    EXPECT_FALSE(split->isChecked());
    const char *switched[] = {"PanelStartSplit", "PanelStopSplit", "SpeedButtonCopyStopToStart", "ButtonOpenAVI"};
    for (const char *name : switched)
        EXPECT_FALSE(child<QWidget>(name)->isEnabled()) << name;
    auto *full = child<QFrame>("ShapeFullFile");
    auto *fill = child<QFrame>("ShapeSplitFill");
    // Off: the bar shows the whole file.
    EXPECT_EQ(fill->x(), full->x());
    EXPECT_EQ(fill->width(), full->width());
    EXPECT_EQ(child<QLabel>("LabelEndOfFile")->text(), QStringLiteral("00:01:40,000"));

    QTest::mouseClick(split, Qt::LeftButton, {}, QPoint(6, split->height() / 2));
    for (const char *name : switched)
        EXPECT_TRUE(child<QWidget>(name)->isEnabled()) << name;
    EXPECT_EQ(fill->x(), full->x() + full->width() / 4);
    EXPECT_EQ(fill->width(), full->width() / 2);
    EXPECT_EQ(child<QLabel>("LabelStartSplit")->text(), QStringLiteral("00:00:25,000"));
    EXPECT_EQ(child<QLabel>("LabelStopSplit")->text(), QStringLiteral("00:01:15,000"));

    // Editing redraws; Last Sub. takes the end of the file; the copy button starts the next part.
    type("Word_uSec1", QStringLiteral("0"));
    EXPECT_EQ(child<QLabel>("LabelStartSplit")->text(), QStringLiteral("00:00:00,000"));
    click("ButtonEndOfFile");
    EXPECT_EQ(dialog->stopTime(), ms(100000));
    EXPECT_EQ(fill->width(), full->width());
    click("SpeedButtonCopyStopToStart");
    EXPECT_EQ(dialog->startTime(), ms(100000));
    click("ButtonResetStartSplit");
    EXPECT_EQ(dialog->startTime(), ms(0));
}

TEST_F(SplitDialogTest, AnEmptyStoreDrawsAOneSecondBar)
{
    dialog->show();
    EXPECT_EQ(dialog->endOfFileTime(), ms(0));
    EXPECT_EQ(child<QFrame>("ShapeSplitFill")->width(), child<QFrame>("ShapeFullFile")->width());
}

TEST_F(SplitDialogTest, OkRefusesAStopBeforeTheStartOnlyWithSplitOn)
{
    addSubtitle(1000, 2000, QStringLiteral("a"));
    dialog->show();
    child<QCheckBox>("CheckBoxSplit")->setChecked(true);
    type("Word_uSec1", QStringLiteral("30"));
    type("Word_uSec2", QStringLiteral("10"));
    click("BitBtn1");
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(window->splitMode());
    ASSERT_EQ(prompt.shown.size(), 1);
    EXPECT_EQ(prompt.shown[0], QStringLiteral("warn: Warning\r\nThe Stop time is smaller than the Start time!"));

    // Off: no complaint, the times are stored anyway, and nothing is rebuilt (split was off before).
    child<QCheckBox>("CheckBoxSplit")->setChecked(false);
    window->renderer().markSaved();
    click("BitBtn1");
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(prompt.shown.size(), 1);
    EXPECT_FALSE(window->splitMode());
    EXPECT_EQ(window->splitRange().start, ms(30000));
    EXPECT_EQ(window->splitRange().stop, ms(10000));
    EXPECT_FALSE(window->isModified());
}

TEST_F(SplitDialogTest, OkRebuildsWhenSplitWasOnBefore)
{
    addSubtitle(1000, 2000, QStringLiteral("first"));
    addSubtitle(5000, 6000, QStringLiteral("second"));
    dialog->show();
    child<QCheckBox>("CheckBoxSplit")->setChecked(true);
    type("Word_uSec1", QStringLiteral("4"));
    type("Word_uSec2", QStringLiteral("7"));
    click("BitBtn1");
    ASSERT_TRUE(window->splitMode());
    EXPECT_TRUE(window->list()->findItems(QStringLiteral("first"), Qt::MatchExactly).isEmpty());
    EXPECT_FALSE(window->list()->findItems(QStringLiteral("00:00:01,000 --> 00:00:02,000"), Qt::MatchContains).isEmpty());

    dialog->show();
    EXPECT_TRUE(child<QCheckBox>("CheckBoxSplit")->isChecked());
    child<QCheckBox>("CheckBoxSplit")->setChecked(false);
    window->renderer().markSaved();
    click("BitBtn1");
    EXPECT_FALSE(window->splitMode());
    EXPECT_TRUE(window->isModified());
    EXPECT_FALSE(window->list()->findItems(QStringLiteral("first"), Qt::MatchExactly).isEmpty());
}

struct AutoSplitCase {
    const char *name;
    const char *rate;
    int frames;
    int64_t length; // ms: the end of part 1 and the start of part 2
};

void PrintTo(const AutoSplitCase &c, std::ostream *os)
{
    *os << c.name;
}

class AutomaticSplit : public SplitDialogTest, public testing::WithParamInterface<AutoSplitCase> {};

TEST_P(AutomaticSplit, SavesTwoPartsTimedFromTheirStarts)
{
    const AutoSplitCase &c = GetParam();
    const int64_t L = c.length;
    addSubtitle(1000, 3000, QStringLiteral("one"));
    addSubtitle(L - 1000, L + 1000, QStringLiteral("across"));
    addSubtitle(L + 5000, L + 7000, QStringLiteral("three"));
    window->setSubtitleFileName(path("film.srt"));
    dialog->show();
    child<QCheckBox>("CheckBoxSplit")->setChecked(true);
    files.names = {makeAvi(path("cd1.avi"), c.rate, c.frames), path("film Part01.gxt"), path("film Part02.gxt")};
    app.config.main.openAvi = QStringLiteral("/videos");
    click("ButtonOpenAVI");

    EXPECT_EQ(files.starts.value(0), QStringLiteral("/videos"));
    EXPECT_EQ(app.config.main.openAvi, dir.path()) << "the AVI's folder is where the next one is looked for";

    EXPECT_TRUE(files.starts.value(1).endsWith(QStringLiteral("film Part01.gxt"))) << files.starts.value(1).toStdString();
    EXPECT_TRUE(files.starts.value(2).endsWith(QStringLiteral("film Part02.gxt")));
    using Sub = std::tuple<int64_t, int64_t, QString>;
    EXPECT_EQ(readPart(path("film Part01.gxt")),
              (std::vector<Sub>{{1000, 3000, QStringLiteral("one")}, {L - 1000, L, QStringLiteral("across")}}));
    EXPECT_EQ(readPart(path("film Part02.gxt")),
              (std::vector<Sub>{{0, 1000, QStringLiteral("across")}, {5000, 7000, QStringLiteral("three")}}));
    ASSERT_EQ(prompt.shown.size(), 1);
    EXPECT_EQ(prompt.shown[0], QStringLiteral("inform: Information\r\nSubtitle file splitted and saved as:\r\"") +
                                   path("film Part01.gxt") + QStringLiteral("\", \"") + path("film Part02.gxt") +
                                   QLatin1Char('"'));
    // Whatever happened, the split ends switched off with a zero range and the file's base name.
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_FALSE(window->splitMode());
    EXPECT_EQ(window->splitRange().stop, ms(0));
    EXPECT_EQ(window->fileName(), QStringLiteral("film"));
}

INSTANTIATE_TEST_SUITE_P(Videos, AutomaticSplit,
                         testing::Values(AutoSplitCase{"OneHourAt25", "25", 90000, 3600000},
                                         AutoSplitCase{"Ntsc", "30000/1001", 300, 10010}),
                         [](const testing::TestParamInfo<AutoSplitCase> &info) { return std::string(info.param.name); });

struct FailedSplit {
    const char *name;
    std::function<QString(const QString &folder)> avi; // the file chosen in the open dialog ("" cancels)
    bool emptyStore;
    const char *message; // the warning shown, "" for none
    int saves;           // save dialogs shown (every one is cancelled)
};

void PrintTo(const FailedSplit &c, std::ostream *os)
{
    *os << c.name;
}

class FailedAutomaticSplit : public SplitDialogTest, public testing::WithParamInterface<FailedSplit> {};

QString patched(const QString &folder, int offset, uint32_t value, int truncateTo = -1)
{
    const QString path = makeAvi(folder + QStringLiteral("/patched.avi"), "25", 50);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadWrite));
    QByteArray bytes = f.readAll();
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = char((value >> (8 * i)) & 0xFF);
    if (truncateTo >= 0)
        bytes.truncate(truncateTo);
    f.resize(0);
    f.seek(0);
    f.write(bytes);
    return path;
}

TEST_P(FailedAutomaticSplit, ResetsTheSplitAndSavesNothing)
{
    const FailedSplit &c = GetParam();
    if (!c.emptyStore) {
        addSubtitle(1000, 3000, QStringLiteral("one"));
        addSubtitle(9000, 12000, QStringLiteral("two"));
    }
    window->setSubtitleFileName(path("film.srt"));
    window->setSplit(true, SplitRange{ms(5000), ms(8000)});
    dialog->show();
    files.names = {c.avi(dir.path())};
    click("ButtonOpenAVI"); // the save dialogs, if any were shown, are cancelled (no names left)

    EXPECT_EQ(files.titles.size() - 1, c.saves) << "save dialogs shown";
    if (*c.message) {
        EXPECT_TRUE(!prompt.shown.isEmpty() && prompt.shown.last().startsWith(QLatin1String(c.message)))
            << prompt.shown.join(QLatin1Char('|')).toStdString();
    } else {
        EXPECT_TRUE(prompt.shown.isEmpty()) << prompt.shown.join(QLatin1Char('|')).toStdString();
    }
    EXPECT_FALSE(window->splitMode());
    EXPECT_EQ(window->splitRange().start, ms(0));
    EXPECT_EQ(window->splitRange().stop, ms(0));
    EXPECT_EQ(window->fileName(), QStringLiteral("film"));
    EXPECT_FALSE(child<QCheckBox>("CheckBoxSplit")->isChecked());
    EXPECT_EQ(dialog->stopTime(), ms(0));
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(QDir(dir.path()).entryList({QStringLiteral("*.gxt")}, QDir::Files).size(), 0);
}

const char kAviError[] = "warn: Warning\r\nError in AVI file.";

INSTANTIATE_TEST_SUITE_P(
    Failures, FailedAutomaticSplit,
    testing::Values(
        FailedSplit{"OpenCancelled", [](const QString &) { return QString(); }, false, "", 0},
        FailedSplit{"MissingFile", [](const QString &f) { return f + QStringLiteral("/none.avi"); }, false, kAviError, 0},
        FailedSplit{"RateZero", [](const QString &f) { return patched(f, 132, 0); }, false, kAviError, 0},
        FailedSplit{"ScaleZero", [](const QString &f) { return patched(f, 128, 0); }, false, kAviError, 0},
        FailedSplit{"TruncatedHeader", [](const QString &f) { return patched(f, 48, 50, 100); }, false, kAviError, 0},
        FailedSplit{"NoFrames", [](const QString &f) { return patched(f, 48, 0); }, false, kAviError, 0},
        FailedSplit{"LongerThanTheSubtitles", [](const QString &f) { return patched(f, 48, 400); }, false,
                    "warn: Warning\r\nThe time read from AVI file is greater than time read from subtitle file.", 0},
        FailedSplit{"EmptyStore", [](const QString &f) { return patched(f, 48, 50); }, true, "", 0},
        FailedSplit{"NoSubtitleInTheFirstPart", [](const QString &f) { return patched(f, 48, 10); }, false,
                    "warn: Warning\r\nNo subtitle falls into \"film Part01\"", 0},
        FailedSplit{"FirstSaveCancelled", [](const QString &f) { return patched(f, 48, 125); }, false, "", 1}),
    [](const testing::TestParamInfo<FailedSplit> &info) { return std::string(info.param.name); });

TEST_F(SplitDialogTest, ASecondPartThatCannotBeWrittenIsNotReportedAsSaved)
{
    addSubtitle(1000, 3000, QStringLiteral("one"));
    addSubtitle(9000, 12000, QStringLiteral("two"));
    window->setSubtitleFileName(path("film.srt"));
    dialog->show();
    child<QCheckBox>("CheckBoxSplit")->setChecked(true);
    files.names = {makeAvi(path("cd1.avi"), "25", 125), path("film Part01.gxt"), path("missing/folder/film Part02.gxt")};
    click("ButtonOpenAVI");
    EXPECT_TRUE(QFile::exists(path("film Part01.gxt")));
    ASSERT_FALSE(prompt.shown.isEmpty());
    for (const QString &shown : prompt.shown)
        EXPECT_FALSE(shown.startsWith(QStringLiteral("inform:"))) << shown.toStdString();
    EXPECT_TRUE(prompt.shown.last().startsWith(QStringLiteral("error: "))) << prompt.shown.last().toStdString();
    EXPECT_FALSE(window->splitMode());
}

} // namespace
} // namespace glyfex::subtitles::ui
