// Tests of subpicture dispatch: timing rules, minimum length, picture names, overlap counting, the
// actions on built and real units, and what a write failure does to the run.
#include "ripping/spu_dispatch.h"

#include "ripping/spu_decoder.h"
#include "support/av_spu_demuxer.h"
#include "support/dispatch_fakes.h"
#include "support/test_data.h"
#include "support/vob_builder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>

namespace glyfex::ripping {
namespace {

using core::Result;
using core::TimeCode;
using test::BuiltSequence;
using test::buildUnit;

int64_t ms(const TimeCode &t)
{
    return core::timeCodeToMilliseconds(t);
}

picture::DecodedPicture decoded(const QByteArray &unit)
{
    picture::DecodedPicture p;
    decodeSubpicture({reinterpret_cast<const uint8_t *>(unit.constData()), size_t(unit.size())}, 720, 576, p);
    return p;
}

// Raw delays and the milliseconds they decode to: raw x 1024 / 90.
constexpr uint16_t kRaw147 = 13;  // 147 ms
constexpr uint16_t kRaw204 = 18;  // 204 ms
constexpr uint16_t kRaw2002 = 176; // 2002 ms
constexpr uint16_t kRaw300 = 27;  // 307 ms

struct TimingCase {
    const char *name;
    std::vector<BuiltSequence> sequences;
    bool withIndexTime;
    int64_t start;
    int64_t stop;
    bool longEnough; // at the default minimum of 200 ms
};
void PrintTo(const TimingCase &c, std::ostream *os) { *os << c.name; }

const TimingCase kTimings[] = {
    {"start_only_has_no_stop", {{0, false}}, false, 10000, 0, true},
    {"start_and_stop", {{0, false}, {kRaw2002, true}}, false, 10000, 12002, true},
    {"start_delayed", {{kRaw300, false}, {kRaw2002, true}}, false, 10307, 12002, true},
    {"stop_150_ms_after_start_is_short", {{0, false}, {kRaw147, true}}, false, 10000, 10147, false},
    {"stop_204_ms_after_start_is_enough", {{0, false}, {kRaw204, true}}, false, 10000, 10204, true},
    {"first_sequence_stops_is_never_long_enough", {{0, true}}, false, 10000, 0, false},
    {"first_sequence_stops_before_a_stop", {{0, true}, {kRaw2002, true}}, false, 10000, 12002, false},
    {"index_time_replaces_the_packet_time", {{kRaw300, false}, {kRaw2002, true}}, true, 5000, 7002, true},
    {"index_time_with_no_stop", {{0, false}}, true, 5000, 0, true},
};

class Timing : public testing::TestWithParam<TimingCase> {};

TEST_P(Timing, StartStopAndMinimumLength)
{
    const TimingCase &c = GetParam();
    const picture::DecodedPicture p = decoded(buildUnit(c.sequences));
    const TimeCode spuTime = core::millisecondsToTimeCode(10000);
    const TimeCode indexTime = core::millisecondsToTimeCode(5000);
    const picture::DisplayTimes t = spuTimes(p, spuTime, c.withIndexTime ? &indexTime : nullptr);
    EXPECT_EQ(ms(t.start), c.start);
    EXPECT_EQ(ms(t.stop), c.stop);
    EXPECT_EQ(isSpuLongEnough(p, 200), c.longEnough);
}

INSTANTIATE_TEST_SUITE_P(, Timing, testing::ValuesIn(kTimings), [](const auto &info) { return std::string(info.param.name); });

TEST(PictureNames, NumberedByFormat)
{
    const QString base = QStringLiteral("/out/movie");
    EXPECT_EQ(pictureFileName(base, subtitles::OutputFormat::Dks, 42, QStringLiteral("bmp")), QStringLiteral("/out/movie00042.bmp"));
    EXPECT_EQ(pictureFileName(base, subtitles::OutputFormat::SonicScenarist, 42, QStringLiteral("bmp")), QStringLiteral("/out/movie.42.bmp"));
    EXPECT_EQ(pictureFileName(base, subtitles::OutputFormat(19), 7, QStringLiteral("sup")), QStringLiteral("/out/movie00007.sup"));
    EXPECT_EQ(pictureFileName(base, subtitles::OutputFormat::Dks, 123456, QStringLiteral("bmp")), QStringLiteral("/out/movie123456.bmp"));
}

TEST(Overlaps, CountsStopsPastTheNextStart)
{
    auto at = [](int64_t a, int64_t b) { return TimeRange{core::millisecondsToTimeCode(a), core::millisecondsToTimeCode(b)}; };
    const std::vector<TimeRange> oneMs{at(0, 1001), at(1000, 2000)};
    const std::vector<TimeRange> equal{at(0, 1000), at(1000, 2000), at(2000, 3000)};
    const std::vector<TimeRange> two{at(0, 5000), at(1000, 6000), at(2000, 3000)};
    EXPECT_EQ(countOverlappingTimes(oneMs), 1);
    EXPECT_EQ(countOverlappingTimes(equal), 0);
    EXPECT_EQ(countOverlappingTimes(two), 2);
    EXPECT_EQ(countOverlappingTimes({}), 0);
}

TEST(CloseLast, GivesAnOpenLastSubtitleTheMaximumDuration)
{
    test::FakeSubtitles subs;
    closeLastSubtitle(subs, 2500); // empty store: nothing to do
    ASSERT_TRUE(subs.addPictureSubtitle(QStringLiteral("a"), {core::millisecondsToTimeCode(4000), {}}, {}, 0, 0).ok());
    closeLastSubtitle(subs, 2500);
    EXPECT_EQ(ms(subs.entries[0].times.stop), 6500);
    closeLastSubtitle(subs, 1000); // has a stop now
    EXPECT_EQ(ms(subs.entries[0].times.stop), 6500);
}

// ---- The dispatcher on built units, fed as the pass would.

struct Rig {
    explicit Rig(const DispatchOptions &o) : options(o), recognition(subs), dispatcher(options, run, subs, recognition, exporter, host) {}

    Result<void> feed(const QByteArray &unit, int64_t timeMs)
    {
        ++run.spuCount;
        const SpuUnit u{{reinterpret_cast<const uint8_t *>(unit.constData()), size_t(unit.size())},
                        core::millisecondsToTimeCode(timeMs), 0, run.spuCount};
        return dispatcher.handleUnit(u);
    }

    DispatchOptions options;
    RunState run;
    test::FakeSubtitles subs;
    test::RecordingRecognition recognition;
    PlainExport exporter;
    test::ScriptedDispatchHost host;
    SpuDispatcher dispatcher;
};

const QByteArray kLong = buildUnit({{0, false}, {kRaw2002, true}});
const QByteArray kShort = buildUnit({{0, false}, {kRaw147, true}});
const QByteArray kOpen = buildUnit({{0, false}});
const QByteArray kForced = buildUnit({{0, false, true}, {kRaw2002, true}});

TEST(DispatchRecognise, ShortUnitsAreCountedAndOpenSubtitlesClosedByTheNext)
{
    DispatchOptions o;
    o.action = picture::ActionMode::RecogniseText;
    Rig rig(o);
    ASSERT_TRUE(rig.feed(kOpen, 1000).ok());
    ASSERT_TRUE(rig.feed(kShort, 3000).ok()); // closes the open one even though it is skipped itself
    ASSERT_TRUE(rig.feed(kLong, 5000).ok());
    ASSERT_EQ(rig.subs.entries.size(), 2u);
    EXPECT_EQ(ms(rig.subs.entries[0].times.stop), 3000);
    EXPECT_EQ(ms(rig.subs.entries[1].times.start), 5000);
    EXPECT_EQ(ms(rig.subs.entries[1].times.stop), 7002);
    EXPECT_EQ(rig.subs.entries[1].rect, (picture::Rect{100, 400, 101, 401}));
    EXPECT_EQ(rig.run.skippedCount, 1);
    EXPECT_EQ(rig.recognition.sizes, (std::vector<std::pair<int, int>>{{2, 2}, {2, 2}}));
}

TEST(DispatchRecognise, RecorderKeepsEachPictureUntilRecognitionIsThere)
{
    DispatchOptions o;
    RunState run;
    test::FakeSubtitles subs;
    test::PictureRecorder recorder;
    PlainExport exporter;
    test::ScriptedDispatchHost host;
    SpuDispatcher dispatcher(o, run, subs, recorder, exporter, host);
    const SpuUnit u{{reinterpret_cast<const uint8_t *>(kLong.constData()), size_t(kLong.size())}, core::millisecondsToTimeCode(800), 0, 1};
    ASSERT_TRUE(dispatcher.handleUnit(u).ok());
    ASSERT_EQ(recorder.entries.size(), 1u);
    EXPECT_EQ(ms(recorder.entries[0].times.start), 800);
    EXPECT_EQ(ms(recorder.entries[0].times.stop), 2802);
    EXPECT_EQ(recorder.entries[0].width, 2);
    EXPECT_EQ(recorder.last.codes, dispatcher.picture().codes);
}

TEST(DispatchForcedOnly, UnforcedUnitsAreIgnoredWithoutCounting)
{
    for (picture::ActionMode action : {picture::ActionMode::RecogniseText, picture::ActionMode::SaveRawSubpictures}) {
        QTemporaryDir dir;
        DispatchOptions o;
        o.action = action;
        o.forcedOnly = true;
        o.pictureBase = dir.filePath(QStringLiteral("p"));
        Rig rig(o);
        ASSERT_TRUE(rig.feed(kLong, 1000).ok());
        ASSERT_TRUE(rig.feed(buildUnit({{0, false, true}, {kRaw147, true}}), 2000).ok());
        ASSERT_TRUE(rig.feed(kForced, 3000).ok());
        EXPECT_EQ(rig.run.skippedCount, action == picture::ActionMode::RecogniseText ? 1 : 0);
        EXPECT_EQ(rig.run.picturesSaved, action == picture::ActionMode::RecogniseText ? 0u : 2u);
        EXPECT_EQ(rig.recognition.sizes.size(), action == picture::ActionMode::RecogniseText ? 1u : 0u);
    }
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(DispatchRaw, SavesEveryUnitAsItIsEvenShortOnes)
{
    QTemporaryDir dir;
    DispatchOptions o;
    o.action = picture::ActionMode::SaveRawSubpictures;
    o.pictureBase = dir.filePath(QStringLiteral("movie"));
    Rig rig(o);
    ASSERT_TRUE(rig.feed(kLong, 1000).ok());
    ASSERT_TRUE(rig.feed(kShort, 4000).ok());
    EXPECT_EQ(fileBytes(dir.filePath(QStringLiteral("movie00001.sup"))), kLong);
    EXPECT_EQ(fileBytes(dir.filePath(QStringLiteral("movie00002.sup"))), kShort);
    EXPECT_EQ(rig.run.skippedCount, 0);
    EXPECT_EQ(rig.host.shown, 0);
}

struct TimedPictureCase {
    const char *name;
    picture::ActionMode action;
    subtitles::OutputFormat format;
    const char *firstFile;
    bool fullPath;
};
void PrintTo(const TimedPictureCase &c, std::ostream *os) { *os << c.name; }

const TimedPictureCase kTimedPictures[] = {
    {"bitmap", picture::ActionMode::SaveBitmaps, subtitles::OutputFormat::Dks, "movie00001.bmp", false},
    {"bitmap_scenarist", picture::ActionMode::SaveBitmaps, subtitles::OutputFormat::SonicScenarist, "movie.1.bmp", false},
    {"bitmap_pinnacle_full_path", picture::ActionMode::SaveBitmaps, subtitles::OutputFormat::PinnacleImpression, "movie00001.bmp", true},
    {"raw", picture::ActionMode::SaveRawSubpictures, subtitles::OutputFormat::Dks, "movie00001.sup", false},
    {"raw_pinnacle_full_path", picture::ActionMode::SaveRawSubpictures, subtitles::OutputFormat::PinnacleImpression, "movie00001.sup", true},
};

class TimedPictures : public testing::TestWithParam<TimedPictureCase> {};

TEST_P(TimedPictures, EachSavedPictureBecomesASubtitleNamingItsFile)
{
    const TimedPictureCase &c = GetParam();
    QTemporaryDir dir;
    DispatchOptions o;
    o.action = c.action;
    o.withTiming = true;
    o.outputFormat = c.format;
    o.pictureBase = dir.filePath(QStringLiteral("movie"));
    Rig rig(o);
    ASSERT_TRUE(rig.feed(kLong, 1000).ok());
    ASSERT_TRUE(rig.feed(kLong, 5000).ok());
    ASSERT_EQ(rig.subs.entries.size(), 2u);
    const QString first = dir.filePath(QString::fromLatin1(c.firstFile));
    EXPECT_TRUE(QFile::exists(first));
    EXPECT_EQ(rig.subs.entries[0].line, c.fullPath ? first : QString::fromLatin1(c.firstFile));
    EXPECT_EQ(ms(rig.subs.entries[1].times.start), 5000);
    EXPECT_EQ(ms(rig.subs.entries[1].times.stop), 7002);
    EXPECT_EQ(rig.subs.entries[0].rect, (picture::Rect{100, 400, 101, 401}));
}

INSTANTIATE_TEST_SUITE_P(, TimedPictures, testing::ValuesIn(kTimedPictures),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(DispatchBitmaps, WithoutTimingEveryPictureGetsItsOwnFile)
{
    QTemporaryDir dir;
    DispatchOptions o;
    o.action = picture::ActionMode::SaveBitmaps;
    o.pictureBase = dir.filePath(QStringLiteral("m"));
    Rig rig(o);
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(rig.feed(kLong, 1000 * i).ok());
    ASSERT_TRUE(rig.feed(kShort, 9000).ok()); // too short: skipped and counted
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), (QStringList{"m00001.bmp", "m00002.bmp", "m00003.bmp"}));
    EXPECT_EQ(rig.run.skippedCount, 1);
    EXPECT_TRUE(rig.subs.entries.empty());
}

TEST(DispatchOnlyShow, SavesOnlyWhatTheUserAsksFor)
{
    QTemporaryDir dir;
    DispatchOptions o;
    o.action = picture::ActionMode::OnlyShow;
    o.pictureBase = dir.filePath(QStringLiteral("s"));
    Rig rig(o);
    ASSERT_TRUE(rig.feed(kLong, 0).ok());
    rig.host.step = StepChoice::SaveBitmap;
    ASSERT_TRUE(rig.feed(kLong, 0).ok());
    rig.host.step = StepChoice::SaveRawSubpicture;
    ASSERT_TRUE(rig.feed(kLong, 0).ok());
    ASSERT_TRUE(rig.feed(kShort, 0).ok()); // too short: not shown, not counted
    EXPECT_EQ(rig.host.shown, 3);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), (QStringList{"s00001.bmp", "s00002.sup"}));
    EXPECT_EQ(rig.run.skippedCount, 0);
}

TEST(DispatchVobSub, ShortTimingListFallsBackToPacketTimesWithOneWarning)
{
    DispatchOptions o;
    o.action = picture::ActionMode::RecogniseText;
    Rig rig(o);
    rig.run.vobList = {QStringLiteral("/x/movie.sub")};
    rig.run.idxFileName = QStringLiteral("/x/movie.idx");
    rig.run.vobSubUnits = {{core::millisecondsToTimeCode(500), 500, 0}};
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(rig.feed(kLong, 10000 * (i + 1)).ok());
    ASSERT_EQ(rig.subs.entries.size(), 3u);
    EXPECT_EQ(ms(rig.subs.entries[0].times.start), 500);
    EXPECT_EQ(ms(rig.subs.entries[0].times.stop), 2502);
    EXPECT_EQ(ms(rig.subs.entries[1].times.start), 20000);
    EXPECT_EQ(ms(rig.subs.entries[2].times.start), 30000);
    EXPECT_EQ(rig.host.warnings.size(), 1);
}

// ---- With the reading pass on real material.


struct PassRig {
    PassRig(const DispatchOptions &o, const QString &file, uint8_t stream) : rig(o)
    {
        rig.run.vobList = {file};
        rig.run.vobSizes = {QFileInfo(file).size()};
        rig.run.totalBytes = rig.run.vobSizes[0];
        rig.run.streamId = stream;
        rig.run.useMap = false;
    }
    PassOutcome run()
    {
        VobPass pass(rig.run, host, rig.dispatcher);
        PassOutcome last;
        while (!rig.run.finished() && !rig.run.stopped)
            last = pass.readCurrentFile();
        return last;
    }
    Rig rig;
    SilentVobPassHost host;
};

TEST(DispatchRealUnits, EachSavedSupEqualsTheUnitLibavformatDemuxes)
{
    const struct {
        const char *file;
        int stream;
    } cases[] = {{"dvd-pal-sans/dvd/VIDEO_TS/VTS_01_1.VOB", 0x20},
                 {"dvd-ntsc-two-streams/dvd/VIDEO_TS/VTS_01_1.VOB", 0x21},
                 {"dvd-pal-sans/vobsub.sub", 0x20}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file);
        const QString path = test::dataPath(QString::fromLatin1(c.file));
        auto av = test::demuxSpuUnits(path);
        ASSERT_TRUE(av.ok()) << av.error().message().toStdString();
        std::vector<QByteArray> expected;
        for (const auto &u : *av)
            if (u.substream == c.stream - 0x20)
                expected.emplace_back(reinterpret_cast<const char *>(u.bytes.data()), qsizetype(u.bytes.size()));
        ASSERT_FALSE(expected.empty());

        QTemporaryDir dir;
        DispatchOptions o;
        o.action = picture::ActionMode::SaveRawSubpictures;
        o.pictureBase = dir.filePath(QStringLiteral("u"));
        PassRig pr(o, path, uint8_t(c.stream));
        EXPECT_EQ(pr.run().end, PassEnd::FileDone);
        const QStringList files = QDir(dir.path()).entryList(QDir::Files, QDir::Name);
        ASSERT_EQ(size_t(files.size()), expected.size());
        for (int i = 0; i < files.size(); ++i)
            EXPECT_EQ(fileBytes(dir.filePath(files[i])), expected[size_t(i)]) << files[i].toStdString();
    }
}

TEST(DispatchRealUnits, VobSubStartTimesComeFromTheIndex)
{
    const QString sub = test::dataPath(QStringLiteral("dvd-pal-sans/vobsub.sub"));
    const QString idx = test::dataPath(QStringLiteral("dvd-pal-sans/vobsub.idx"));
    auto timing = readVobSubTimes(idx, 0);
    ASSERT_TRUE(timing.ok());
    DispatchOptions o;
    o.action = picture::ActionMode::RecogniseText;
    PassRig pr(o, sub, 0x20);
    pr.rig.run.idxFileName = idx;
    pr.rig.run.vobSubUnits = timing->units;
    EXPECT_EQ(pr.run().end, PassEnd::FileDone);
    ASSERT_EQ(pr.rig.subs.entries.size(), timing->units.size());
    for (size_t i = 0; i < timing->units.size(); ++i) {
        EXPECT_EQ(pr.rig.subs.entries[i].times.start, timing->units[i].start) << i;
        EXPECT_GT(ms(pr.rig.subs.entries[i].times.stop), ms(timing->units[i].start)) << i;
    }
    EXPECT_TRUE(pr.rig.host.warnings.isEmpty());
}

TEST(DispatchRealUnits, UnwritableOutputFolderStopsTheRunWithTheFileName)
{
    QTemporaryDir dir;
    const QString blocked = dir.filePath(QStringLiteral("not-a-folder"));
    test::writeBytes(blocked, "x"); // a file where the output folder should be
    for (picture::ActionMode action : {picture::ActionMode::SaveBitmaps, picture::ActionMode::SaveRawSubpictures}) {
        DispatchOptions o;
        o.action = action;
        o.withTiming = true;
        o.pictureBase = blocked + QStringLiteral("/movie");
        PassRig pr(o, test::dataPath(QStringLiteral("dvd-pal-sans/dvd/VIDEO_TS/VTS_01_1.VOB")), 0x20);
        const PassOutcome out = pr.run();
        EXPECT_EQ(out.end, PassEnd::Failed);
        ASSERT_TRUE(out.error.has_value());
        EXPECT_TRUE(out.error->where.startsWith(blocked)) << out.error->message().toStdString();
        EXPECT_TRUE(pr.rig.run.stopped);
        EXPECT_EQ(pr.rig.run.spuCount, 1u);
        EXPECT_TRUE(pr.rig.subs.entries.empty()); // no subtitle names a file that was not written
    }
}

} // namespace
} // namespace glyfex::ripping
