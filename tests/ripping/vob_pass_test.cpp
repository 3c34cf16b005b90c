// Tests of the reading pass: units and times against libavformat on real DVD material, the map, pause
// and resume, the clock and cell times, and a table of damaged inputs.
#include "ripping/read_progress.h"
#include "ripping/vob_pass.h"

#include "support/special_files.h"
#include "support/test_data.h"
#include "support/vob_builder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <iostream>
#include <ostream>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <deque>
#include <functional>
#include <limits>

namespace glyfex::ripping {
namespace {

using core::Answer;
using core::PumpResult;

struct Unit {
    QByteArray bytes;
    int64_t ms = 0;
    friend bool operator==(const Unit &, const Unit &) = default;
};

std::ostream &operator<<(std::ostream &os, const Unit &u)
{
    return os << "{" << u.bytes.size() << " bytes at " << u.ms << " ms}";
}

class RecordingHandler : public UnitHandler {
public:
    core::Result<void> handleUnit(const SpuUnit &unit) override
    {
        units.push_back({QByteArray(reinterpret_cast<const char *>(unit.bytes.data()), qsizetype(unit.bytes.size())),
                         core::timeCodeToMilliseconds(unit.time)});
        sectors.push_back(unit.sectorPos);
        justCompleted = true;
        if (failAt && units.size() == *failAt)
            return core::makeError(QStringLiteral("Cannot write the picture"), QStringLiteral("out/x.sup"), QStringLiteral("no room"));
        return {};
    }
    std::vector<Unit> units;
    std::vector<int64_t> sectors;
    bool justCompleted = false;
    std::optional<size_t> failAt;
};

class ScriptedHost : public VobPassHost {
public:
    explicit ScriptedHost(RecordingHandler &handler) : m_handler(handler) {}
    void progress(int64_t done, int64_t total) override
    {
        lastDone = done;
        lastTotal = total;
        ++progressCalls;
    }
    PumpResult pump() override
    {
        if (pauseAfterEveryUnit && m_handler.justCompleted) {
            m_handler.justCompleted = false;
            return PumpResult::Pause;
        }
        return PumpResult::Continue;
    }
    Answer askBadPack(int64_t sector) override
    {
        askedSectors.push_back(sector);
        if (answers.empty())
            return Answer::Yes;
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    void videoStandardChanged(const core::VideoStandard &s, int, int height) override
    {
        standards.push_back(s);
        heights.push_back(height);
    }
    void warn(const QString &text) override { warnings.push_back(text); }

    bool pauseAfterEveryUnit = false;
    std::deque<Answer> answers;
    std::vector<int64_t> askedSectors;
    std::vector<core::VideoStandard> standards;
    std::vector<int> heights;
    QStringList warnings;
    int64_t lastDone = 0, lastTotal = 0;
    int progressCalls = 0;

private:
    RecordingHandler &m_handler;
};

RunState runOver(const QStringList &files, uint8_t streamId, bool useMap = false)
{
    RunState run;
    run.vobList = files;
    for (const QString &f : files) {
        run.vobSizes.push_back(QFileInfo(f).size());
        run.totalBytes += run.vobSizes.back();
    }
    run.streamId = streamId;
    run.useMap = useMap;
    return run;
}

struct RunResult {
    std::vector<Unit> units;
    std::vector<PassOutcome> outcomes;
    int pauses = 0;
};

// Drives passes the way the batch driver does: the next file after each end, Continue after each pause.
RunResult drive(RunState &run, ScriptedHost &host, RecordingHandler &handler)
{
    RunResult r;
    VobPass pass(run, host, handler);
    for (int guard = 0; guard < 100000 && !run.finished() && !run.stopped; ++guard) {
        r.outcomes.push_back(pass.readCurrentFile());
        if (r.outcomes.back().end == PassEnd::Paused) {
            ++r.pauses;
            run.paused = false;
        }
    }
    r.units = handler.units;
    return r;
}

// The units of one run over a file, the run's settings changed first as a test needs.
std::vector<Unit> unitsOf(const QString &path, uint8_t streamId, bool useMap, const std::function<void(RunState &)> &setUp)
{
    RunState run = runOver({path}, streamId, useMap);
    setUp(run);
    RecordingHandler handler;
    ScriptedHost host(handler);
    drive(run, host, handler);
    return handler.units;
}

RunResult passOver(const QStringList &files, uint8_t streamId, bool useMap = false, bool pauseEveryUnit = false)
{
    RunState run = runOver(files, streamId, useMap);
    RecordingHandler handler;
    ScriptedHost host(handler);
    host.pauseAfterEveryUnit = pauseEveryUnit;
    return drive(run, host, handler);
}

// The chosen stream's units and times as libavformat demuxes them, joined by its subtitle parser.
std::vector<Unit> libavUnits(const QString &path, int streamId)
{
    std::vector<Unit> out;
    AVFormatContext *fmt = nullptr;
    if (avformat_open_input(&fmt, path.toUtf8().constData(), nullptr, nullptr) < 0) {
        ADD_FAILURE() << "libavformat cannot open " << path.toStdString();
        return out;
    }
    avformat_find_stream_info(fmt, nullptr);
    int index = -1;
    for (unsigned i = 0; i < fmt->nb_streams; ++i)
        if (fmt->streams[i]->codecpar->codec_id == AV_CODEC_ID_DVD_SUBTITLE && fmt->streams[i]->id == streamId)
            index = int(i);
    EXPECT_GE(index, 0) << "no stream " << streamId;
    AVCodecParserContext *parser = av_parser_init(AV_CODEC_ID_DVD_SUBTITLE);
    AVCodecContext *codec = avcodec_alloc_context3(nullptr);
    AVPacket *pkt = av_packet_alloc();
    while (index >= 0 && av_read_frame(fmt, pkt) >= 0) {
        if (pkt->stream_index == index) {
            const uint8_t *data = pkt->data;
            int left = pkt->size;
            while (left > 0) {
                uint8_t *unit = nullptr;
                int unitSize = 0;
                const int used = av_parser_parse2(parser, codec, &unit, &unitSize, data, left, pkt->pts, pkt->dts, pkt->pos);
                data += used;
                left -= used;
                if (unitSize > 0)
                    out.push_back({QByteArray(reinterpret_cast<const char *>(unit), unitSize), parser->pts / 90});
                if (used == 0)
                    break;
            }
        }
        av_packet_unref(pkt);
    }
    av_packet_free(&pkt);
    avcodec_free_context(&codec);
    av_parser_close(parser);
    avformat_close_input(&fmt);
    return out;
}

QString copyToTemp(const QTemporaryDir &dir, const QString &relative, const QString &name)
{
    const QString to = dir.filePath(name);
    QFile::remove(to);
    EXPECT_TRUE(QFile::copy(test::dataPath(relative), to));
    QFile::setPermissions(to, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return to;
}

struct StreamCase {
    const char *name;
    const char *file;
    int streamId;
};
void PrintTo(const StreamCase &c, std::ostream *os) { *os << c.name; }

const StreamCase kStreams[] = {
    {"pal", "dvd-pal-sans/dvd/VIDEO_TS/VTS_01_1.VOB", 0x20},
    {"pal_outline", "dvd-pal-sans-outline/dvd/VIDEO_TS/VTS_01_1.VOB", 0x20},
    {"ntsc_first_stream", "dvd-ntsc-two-streams/dvd/VIDEO_TS/VTS_01_1.VOB", 0x20},
    {"ntsc_second_stream", "dvd-ntsc-two-streams/dvd/VIDEO_TS/VTS_01_1.VOB", 0x21},
    {"vobsub_sub", "dvd-pal-sans/vobsub.sub", 0x20},
};

class RealStreams : public testing::TestWithParam<StreamCase> {};

TEST_P(RealStreams, UnitsAndTimesEqualLibavformat)
{
    const StreamCase &c = GetParam();
    const QString path = test::dataPath(QString::fromLatin1(c.file));
    const auto expected = libavUnits(path, c.streamId);
    ASSERT_FALSE(expected.empty());
    const RunResult got = passOver({path}, uint8_t(c.streamId));
    EXPECT_EQ(got.units, expected);
}

TEST_P(RealStreams, FollowingTheMapAndPausingGiveTheSameAsOneFullPass)
{
    const StreamCase &c = GetParam();
    QTemporaryDir dir;
    const QString path = copyToTemp(dir, QString::fromLatin1(c.file), QStringLiteral("VTS_01_1.VOB"));
    const RunResult plain = passOver({path}, uint8_t(c.streamId));

    const RunResult building = passOver({path}, uint8_t(c.streamId), true);
    EXPECT_EQ(building.units, plain.units);
    const QString mapPath = SubtitleMap::pathFor(path);
    ASSERT_TRUE(QFile::exists(mapPath));
    QFile built(mapPath);
    ASSERT_TRUE(built.open(QIODevice::ReadOnly));
    const QByteArray builtMap = built.readAll();
    built.close();

    const RunResult following = passOver({path}, uint8_t(c.streamId), true);
    EXPECT_EQ(following.units, plain.units);
    const RunResult followingPaused = passOver({path}, uint8_t(c.streamId), true, true);
    EXPECT_EQ(followingPaused.units, plain.units);
    EXPECT_EQ(followingPaused.pauses, int(plain.units.size()));

    QFile::remove(mapPath);
    const RunResult buildingPaused = passOver({path}, uint8_t(c.streamId), true, true);
    EXPECT_EQ(buildingPaused.units, plain.units);
    QFile rebuilt(mapPath);
    ASSERT_TRUE(rebuilt.open(QIODevice::ReadOnly));
    EXPECT_EQ(rebuilt.readAll(), builtMap);
}

INSTANTIATE_TEST_SUITE_P(, RealStreams, testing::ValuesIn(kStreams),
                         [](const auto &info) { return std::string(info.param.name); });

// Pauses the way a dialog does from inside the handling of one unit: that unit is read again on resume.
class DialogPausingHandler : public RecordingHandler {
public:
    DialogPausingHandler(RunState &run, size_t pauseAt) : m_run(run), m_pauseAt(pauseAt) {}
    core::Result<void> handleUnit(const SpuUnit &unit) override
    {
        auto r = RecordingHandler::handleUnit(unit);
        if (units.size() == m_pauseAt) {
            m_run.resumePos = m_run.spuSectorPos;
            reloadMapForResume(m_run);
            m_run.spuCount -= 1;
            m_run.spuCountTotal -= 1;
            m_run.paused = true;
            m_run.pausedByMainButton = false;
        }
        return r;
    }

private:
    RunState &m_run;
    size_t m_pauseAt;
};

TEST(VobPassMap, DialogPauseReadsTheInterruptedUnitAgainAlongTheMap)
{
    QTemporaryDir dir;
    const QString path = copyToTemp(dir, QStringLiteral("dvd-pal-sans/dvd/VIDEO_TS/VTS_01_1.VOB"), QStringLiteral("VTS_01_1.VOB"));
    const RunResult plain = passOver({path}, 0x20, true); // builds the map
    ASSERT_GE(plain.units.size(), 4u);
    RunState run = runOver({path}, 0x20, true);
    DialogPausingHandler handler(run, 3);
    ScriptedHost host(handler);
    const RunResult r = drive(run, host, handler);
    EXPECT_EQ(r.pauses, 1);
    std::vector<Unit> expected = plain.units;
    expected.insert(expected.begin() + 3, plain.units[2]);
    EXPECT_EQ(r.units, expected);
    EXPECT_EQ(run.spuCountTotal, plain.units.size());
}

TEST(VobPassMap, TwoStreamMapListsBothAndTheFollowedPassReadsFewSectors)
{
    QTemporaryDir dir;
    const QString path = copyToTemp(dir, QStringLiteral("dvd-ntsc-two-streams/dvd/VIDEO_TS/VTS_01_1.VOB"), QStringLiteral("a.vob"));
    passOver({path}, 0x20, true);
    auto map = SubtitleMap::load(SubtitleMap::pathFor(path), QFileInfo(path).size());
    ASSERT_TRUE(map.ok());
    std::set<int> types;
    for (const MapLine &l : map->lines())
        types.insert(l.type);
    EXPECT_EQ(types, (std::set<int>{0, 1, 32, 33}));
    EXPECT_LT(map->size(), size_t(QFileInfo(path).size() / 2048 / 4));
}

TEST(VobPassMap, DamagedOrOutdatedMapIsRebuiltAndNoSubtitleIsLost)
{
    QTemporaryDir dir;
    const QString path = copyToTemp(dir, QStringLiteral("dvd-pal-sans/dvd/VIDEO_TS/VTS_01_1.VOB"), QStringLiteral("VTS_01_1.VOB"));
    const RunResult plain = passOver({path}, 0x20);
    passOver({path}, 0x20, true);
    const QString mapPath = SubtitleMap::pathFor(path);
    QFile good(mapPath);
    ASSERT_TRUE(good.open(QIODevice::ReadOnly));
    const QByteArray goodMap = good.readAll();
    good.close();

    const QString damagedLine = QStringLiteral("00 00000000\r\n32 0000xx46\r\n");
    QByteArray damaged("\xFF\xFE", 2);
    damaged.append(reinterpret_cast<const char *>(damagedLine.utf16()), damagedLine.size() * 2);
    QByteArray truncated = goodMap.left(goodMap.size() / 2 / 26 * 26 + 2); // whole lines, no closing line
    for (const QByteArray &bad : {damaged, truncated, QByteArray()}) {
        test::writeBytes(mapPath, bad);
        const RunResult r = passOver({path}, 0x20, true);
        EXPECT_EQ(r.units, plain.units);
        QFile again(mapPath);
        ASSERT_TRUE(again.open(QIODevice::ReadOnly));
        EXPECT_EQ(again.readAll(), goodMap);
    }
}

TEST(VobPassMap, OptionOffReadsAndWritesNoMap)
{
    QTemporaryDir dir;
    const QString path = copyToTemp(dir, QStringLiteral("dvd-pal-sans/dvd/VIDEO_TS/VTS_01_1.VOB"), QStringLiteral("VTS_01_1.VOB"));
    passOver({path}, 0x20, false);
    EXPECT_FALSE(QFile::exists(SubtitleMap::pathFor(path)));
}

// A device or pipe under the map's name is no cache: the file is read in full, the user is told, and
// nothing is written into the device or pipe (nor put in its place).
TEST(VobPassMap, AMapNameThatIsNoFileIsNeitherFollowedNorWritten)
{
    QTemporaryDir dir;
    const QString path = copyToTemp(dir, QStringLiteral("dvd-pal-sans/dvd/VIDEO_TS/VTS_01_1.VOB"), QStringLiteral("VTS_01_1.VOB"));
    const RunResult plain = passOver({path}, 0x20);
    const QString mapPath = SubtitleMap::pathFor(path);
    const std::pair<const char *, test::SpecialFile> rows[] = {
        {"link to a device like /dev/zero", test::SpecialFile::LinkToZero},
        {"device like /dev/full", test::SpecialFile::FullDevice},
        {"pipe without a writer", test::SpecialFile::LonelyPipe},
    };
    for (const auto &[name, kind] : rows) {
        SCOPED_TRACE(name);
        QFile::remove(mapPath);
        if (const QString refused = test::makeSpecialFile(kind, mapPath); !refused.isEmpty()) {
            std::cout << "skipped: " << refused.toStdString() << "\n";
            continue;
        }
        struct stat made {};
        ASSERT_EQ(::lstat(QFile::encodeName(mapPath).constData(), &made), 0);
        RunState run = runOver({path}, 0x20, true);
        RecordingHandler handler;
        ScriptedHost host(handler);
        RunResult r;
        ASSERT_TRUE(test::endsWithin(60, mapPath, [&] { r = drive(run, host, handler); })) << "the pass waited on the map";
        EXPECT_EQ(r.units, plain.units);
        ASSERT_EQ(host.warnings.size(), 1) << host.warnings.join(QLatin1Char('|')).toStdString();
        EXPECT_TRUE(host.warnings[0].contains(QStringLiteral("VTS_01_1.gxm"))) << host.warnings[0].toStdString();
        EXPECT_TRUE(host.warnings[0].contains(test::specialFileKindText(kind))) << host.warnings[0].toStdString();
        struct stat after {};
        ASSERT_EQ(::lstat(QFile::encodeName(mapPath).constData(), &after), 0);
        EXPECT_EQ(after.st_mode, made.st_mode) << "the map's name was replaced";
        EXPECT_EQ(after.st_ino, made.st_ino) << "the map's name was replaced";
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::System | QDir::Hidden, QDir::Name),
                  QStringList({QStringLiteral("VTS_01_1.VOB"), QStringLiteral("VTS_01_1.gxm")}));
    }
}

// A pipe or device in the list of files to read ends the run with what it is, instead of waiting for a
// writer or reading without end.
TEST(VobPassFiles, AFileThatIsNoPlainFileStopsTheRunSayingWhatItIs)
{
    const std::pair<const char *, test::SpecialFile> rows[] = {
        {"pipe without a writer", test::SpecialFile::LonelyPipe},
        {"link to a device like /dev/zero", test::SpecialFile::LinkToZero},
    };
    for (const auto &[name, kind] : rows) {
        SCOPED_TRACE(name);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("VTS_01_1.VOB"));
        const QString refused = test::makeSpecialFile(kind, path);
        ASSERT_TRUE(refused.isEmpty()) << refused.toStdString();
        RunState run = runOver({path}, 0x20, true);
        RecordingHandler handler;
        ScriptedHost host(handler);
        RunResult r;
        ASSERT_TRUE(test::endsWithin(60, path, [&] { r = drive(run, host, handler); })) << "the pass waited on the pipe";
        ASSERT_EQ(r.outcomes.size(), 1u);
        EXPECT_EQ(r.outcomes[0].end, PassEnd::Failed);
        ASSERT_TRUE(r.outcomes[0].error);
        const QString said = r.outcomes[0].error->message();
        EXPECT_TRUE(said.contains(path) && said.contains(test::specialFileKindText(kind))) << said.toStdString();
        EXPECT_TRUE(r.units.empty());
    }
}

// ---- Synthetic material: exact packs whose fields the test chooses.

QString writeVob(const QTemporaryDir &dir, const QString &name, const std::vector<QByteArray> &sectors)
{
    QByteArray all;
    for (const QByteArray &s : sectors)
        all += s;
    const QString path = dir.filePath(name);
    test::writeBytes(path, all);
    return path;
}

void append(std::vector<QByteArray> &to, const std::vector<QByteArray> &more)
{
    to.insert(to.end(), more.begin(), more.end());
}

QByteArray kUnitA();

TEST(VobPassUnits, UnitSpreadOverThreeSectorsWithOtherStreamsBetween)
{
    QTemporaryDir dir;
    const QByteArray unit = test::fakeUnit(5000, 3);
    auto parts = test::unitSectors(1000, 0x20, 90000, unit);
    ASSERT_EQ(parts.size(), 3u);
    std::vector<QByteArray> s{test::navSector(900, 0, 0, 0, 0x40), parts[0], test::videoSector(1100),
                              test::spuSector(1150, 0x21, 91000u, test::fakeUnit(100, 9)), parts[1],
                              test::videoSector(1200), parts[2], test::videoSector(1300)};
    const RunResult r = passOver({writeVob(dir, "a.vob", s)}, 0x20);
    ASSERT_EQ(r.units.size(), 1u);
    EXPECT_EQ(r.units[0], (Unit{unit, 1000}));
}

TEST(VobPassUnits, PaddingAfterThePacketCompletesAShortUnit)
{
    QTemporaryDir dir;
    QByteArray announcedLonger = test::fakeUnit(300, 1);
    announcedLonger[0] = char(0x10); // says 4096 + 44 bytes, but padding follows the packet
    const RunResult r = passOver({writeVob(dir, "a.vob", {test::spuSector(10, 0x20, 9000u, announcedLonger),
                                                          test::spuSector(20, 0x20, 18000u, test::fakeUnit(40, 2))})},
                                 0x20);
    ASSERT_EQ(r.units.size(), 2u);
    EXPECT_EQ(r.units[0].bytes, announcedLonger);
    EXPECT_EQ(r.units[1].ms, 200);
}

TEST(VobPassUnits, AnnouncedSizeCompletesAUnitWithoutPadding)
{
    QTemporaryDir dir;
    const QByteArray unit = test::fakeUnit(test::spuPayloadRoom(true), 5); // fills its sector exactly
    const RunResult r = passOver({writeVob(dir, "a.vob", {test::spuSector(10, 0x20, 9000u, unit), test::videoSector(20)})}, 0x20);
    ASSERT_EQ(r.units.size(), 1u);
    EXPECT_EQ(r.units[0].bytes, unit);
}

TEST(VobPassUnits, UnitPastTheBufferIsCutAtItsLimit)
{
    QTemporaryDir dir;
    // 0xFFFF announced, 40 packets of 2019 bytes (about 80 kB) follow without padding.
    QByteArray firstPayload(test::spuPayloadRoom(true), 'a');
    firstPayload[0] = char(0xFF);
    firstPayload[1] = char(0xFF);
    std::vector<QByteArray> s{test::spuSector(10, 0x20, 9000u, firstPayload)};
    for (int i = 0; i < 40; ++i)
        s.push_back(test::spuSector(20 + i, 0x20, std::nullopt, QByteArray(test::spuPayloadRoom(false), 'b')));
    const RunResult r = passOver({writeVob(dir, "a.vob", s)}, 0x20);
    ASSERT_GE(r.units.size(), 1u);
    EXPECT_LE(size_t(r.units[0].bytes.size()), kMaxUnitSize);
    EXPECT_GE(size_t(r.units[0].bytes.size()), size_t(0xFFFF));
}

TEST(VobPassUnits, UnitCutOffByTheEndOfTheFileIsWarnedAboutOnce)
{
    QTemporaryDir dir;
    QByteArray first(test::spuPayloadRoom(true), 'x');
    first[0] = char(0x30); // 12 kB announced, one sector given
    const QString path = writeVob(dir, "a.vob", {test::videoSector(0), test::spuSector(10, 0x20, 9000u, first), test::videoSector(20)});
    for (const bool useMap : {false, true}) { // the second pass follows the map the first one wrote
        RunState run = runOver({path}, 0x20, useMap);
        RecordingHandler handler;
        ScriptedHost host(handler);
        const RunResult r = drive(run, host, handler);
        EXPECT_TRUE(r.units.empty());
        ASSERT_EQ(host.warnings.size(), 1) << useMap;
        EXPECT_TRUE(host.warnings[0].contains(QStringLiteral("sector 1 of a.vob"))) << host.warnings[0].toStdString();
    }
}

TEST(VobPassPause, PauseInTheMiddleOfAUnitWaitsForItsEnd)
{
    QTemporaryDir dir;
    const QByteArray unit = test::fakeUnit(5000, 4);
    std::vector<QByteArray> s = test::unitSectors(1000, 0x20, 90000, unit);
    s.push_back(test::spuSector(2000, 0x20, 180000u, kUnitA()));
    const QString path = writeVob(dir, "a.vob", s);
    RunState run = runOver({path}, 0x20);
    RecordingHandler handler;
    // Pauses at its first pump, while the first unit is still being gathered.
    class PauseOnce : public ScriptedHost {
    public:
        using ScriptedHost::ScriptedHost;
        PumpResult pump() override { return m_done++ ? PumpResult::Continue : PumpResult::Pause; }
        int m_done = 0;
    } host(handler);
    VobPass pass(run, host, handler);
    const PassOutcome first = pass.readCurrentFile();
    EXPECT_EQ(first.end, PassEnd::Paused);
    ASSERT_EQ(handler.units.size(), 1u);
    EXPECT_EQ(handler.units[0].bytes, unit);
    EXPECT_EQ(run.resumePos, 3 * 2048); // the sector after the unit's last one
    run.paused = false;
    EXPECT_EQ(pass.readCurrentFile().end, PassEnd::FileDone);
    ASSERT_EQ(handler.units.size(), 2u);
    EXPECT_EQ(handler.units[1].ms, 2000);
    EXPECT_EQ(run.spuCount, 2u);
}

// A spliced file: navigation packs, units of two streams, a clock that falls back twice (once to 0).
std::vector<QByteArray> splicedVob()
{
    std::vector<QByteArray> s;
    uint32_t scr = 90000;
    auto step = [&scr] { return scr += 3000; };
    for (int part = 0; part < 3; ++part) {
        for (int i = 0; i < 6; ++i) {
            s.push_back(test::navSector(step(), 0, 0, uint8_t(i), 0x40 | uint8_t(i * 2)));
            s.push_back(test::videoSector(step()));
            // Each unit is shown a while after its first sector's clock (the clock taken before the call,
            // as the order in which arguments are evaluated is the compiler's).
            const uint32_t first = step();
            append(s, test::unitSectors(first, 0x20, first + 45000, test::fakeUnit(300 + 700 * i, uint8_t(i))));
            s.push_back(test::videoSector(step()));
            const uint32_t second = step();
            append(s, test::unitSectors(second, 0x21, second + 9000, test::fakeUnit(2500, uint8_t(40 + i))));
            for (int k = 0; k < 5; ++k)
                s.push_back(test::videoSector(step()));
        }
        scr = part == 0 ? 0 : 4500; // the clock falls back: to 0, then to a small value
    }
    return s;
}

TEST(VobPassMap, SplicedFileGivesTheSameTimesAlongTheMap)
{
    QTemporaryDir dir;
    const QString path = writeVob(dir, "VTS_01_1.VOB", splicedVob());
    for (bool avoid : {false, true}) {
        QFile::remove(SubtitleMap::pathFor(path));
        auto passFor = [&](uint8_t stream, bool useMap) {
            return unitsOf(path, stream, useMap, [&](RunState &run) { run.avoidTimeRestart = avoid; });
        };
        const auto full21 = passFor(0x21, false);
        ASSERT_EQ(full21.size(), 18u);
        const auto built20 = passFor(0x20, true); // builds the map while reading stream 0x20
        EXPECT_EQ(built20, passFor(0x20, false));
        auto map = SubtitleMap::load(SubtitleMap::pathFor(path), QFileInfo(path).size());
        ASSERT_TRUE(map.ok());
        int clockLines = 0;
        for (const MapLine &l : map->lines())
            clockLines += l.type == kMapClockSector;
        EXPECT_EQ(clockLines, 2 * 3 + 2); // three per clock break, and the last two sectors
        EXPECT_EQ(passFor(0x21, true), full21) << avoid; // another stream along the same map
    }
}

TEST(VobPassMap, DialogPauseOverAClockBreakOrTheLastSectorsStillBuildsAMapThatLoads)
{
    // The unit the dialog interrupted is read again while the map is being built: the clock break
    // inside it and the file's last sectors were noted the first time and must not be noted twice.
    for (bool unitAtTheEnd : {false, true}) {
        SCOPED_TRACE(unitAtTheEnd);
        QTemporaryDir dir;
        std::vector<QByteArray> s{test::videoSector(1000), test::videoSector(2000)};
        std::vector<QByteArray> unit = test::unitSectors(3000, 0x20, 9000, test::fakeUnit(5000, 3));
        ASSERT_EQ(unit.size(), 3u);
        test::putScr(unit[1], 100); // the clock falls inside the unit
        test::putScr(unit[2], 200);
        append(s, unit);
        if (!unitAtTheEnd) {
            s.push_back(test::videoSector(300));
            s.push_back(test::videoSector(400));
        }
        const QString path = writeVob(dir, "VTS_01_1.VOB", s);
        RunState plainRun = runOver({path}, 0x20, true);
        RecordingHandler plainHandler;
        ScriptedHost plainHost(plainHandler);
        drive(plainRun, plainHost, plainHandler);
        auto plainMap = SubtitleMap::load(SubtitleMap::pathFor(path), QFileInfo(path).size());
        ASSERT_TRUE(plainMap.ok()) << plainMap.error().message().toStdString();
        ASSERT_TRUE(QFile::remove(SubtitleMap::pathFor(path)));

        RunState run = runOver({path}, 0x20, true);
        DialogPausingHandler handler(run, 1);
        ScriptedHost host(handler);
        const RunResult r = drive(run, host, handler);
        EXPECT_EQ(r.pauses, 1);
        auto map = SubtitleMap::load(SubtitleMap::pathFor(path), QFileInfo(path).size());
        ASSERT_TRUE(map.ok()) << map.error().message().toStdString();
        EXPECT_EQ(*map, *plainMap);
    }
}

TEST(VobPassMap, ZeroFilledSectorsGiveTheSameTimesAlongTheMap)
{
    // Sectors a ripping tool could not read are often written as zeros: each one's clock of 0 moves the
    // time base on, so a pass along the map must read them as a full pass does.
    QTemporaryDir dir;
    std::vector<QByteArray> s;
    uint32_t scr = 90000;
    for (int part = 0; part < 3; ++part) {
        s.push_back(test::navSector(scr += 3000, 0, 0, uint8_t(part), 0x40));
        s.push_back(test::videoSector(scr += 3000));
        scr += 3000; // the unit's first sector, shown half a second after it
        append(s, test::unitSectors(scr, 0x20, scr + 45000, test::fakeUnit(700, uint8_t(part))));
        s.push_back(test::videoSector(scr += 3000));
        for (int k = 0; k <= part; ++k)
            s.push_back(QByteArray(2048, '\0'));
        s.push_back(test::videoSector(scr += 3000));
    }
    const QString path = writeVob(dir, "VTS_01_1.VOB", s);
    for (bool avoid : {false, true}) {
        SCOPED_TRACE(avoid);
        QFile::remove(SubtitleMap::pathFor(path));
        auto passFor = [&](bool useMap) {
            return unitsOf(path, 0x20, useMap, [&](RunState &run) { run.avoidTimeRestart = avoid; });
        };
        const auto full = passFor(false);
        ASSERT_EQ(full.size(), 3u);
        EXPECT_EQ(passFor(true), full); // builds the map
        EXPECT_EQ(passFor(true), full); // follows it
    }
}

// A run that begins with a file takes its time base from the start time less the clock of the file's first
// sector, whatever that sector holds: a pass along the map must begin there too, or every time it gives is
// shifted. A part of a title set split at a size limit begins with whatever pack falls there, not with a
// navigation pack, and a run that goes on from the last one starts at its end time.
TEST(VobPassMap, TheFirstSectorsGiveTheSameTimesAlongTheMap)
{
    struct Start {
        const char *name;
        std::vector<QByteArray> sectors; // what comes before the first navigation pack
    };
    const Start starts[] = {
        {"video pack first", {test::videoSector(1000), test::videoSector(50000)}},
        {"other stream first", test::unitSectors(1000, 0x21, 9000, test::fakeUnit(300, 9))},
        {"clock falls at the second sector", {test::videoSector(70000), test::videoSector(100), test::videoSector(60000)}},
        {"clock of 0 at the first sector", {test::videoSector(0), test::videoSector(40000)}},
    };
    for (const Start &start : starts) {
        SCOPED_TRACE(start.name);
        QTemporaryDir dir;
        std::vector<QByteArray> s = start.sectors;
        s.push_back(test::navSector(90000, 0, 0, 0, 0x40));
        append(s, test::unitSectors(93000, 0x20, 180000, test::fakeUnit(700, 1)));
        s.push_back(test::videoSector(96000));
        const QString path = writeVob(dir, "VTS_01_2.VOB", s);
        auto passFor = [&](bool useMap) {
            return unitsOf(path, 0x20, useMap, [](RunState &run) { run.clock.startTime = core::TimeCode{0, 42, 0, 0}; });
        };
        const auto full = passFor(false);
        ASSERT_EQ(full.size(), 1u);
        EXPECT_EQ(passFor(true), full); // builds the map
        EXPECT_EQ(passFor(true), full); // follows it
    }
}

TEST(VobPassPause, DialogPauseOverAClockStepInsideTheUnitKeepsTheTimesOfAPassNeverPaused)
{
    // The unit a dialog interrupted is read again from its first sector: a clock of 0 or a falling clock
    // inside it moves the time base, and reading it again must not move it twice.
    for (bool avoid : {false, true}) {
        SCOPED_TRACE(avoid);
        QTemporaryDir dir;
        std::vector<QByteArray> s{test::navSector(90000, 0, 0, 0, 0x40), test::videoSector(93000)};
        std::vector<QByteArray> unit = test::unitSectors(96000, 0x20, 140000, test::fakeUnit(5000, 1));
        test::putScr(unit[1], avoid ? 1000 : 0);
        test::putScr(unit[2], avoid ? 4000 : 3000);
        append(s, unit);
        s.push_back(test::videoSector(6000));
        append(s, test::unitSectors(9000, 0x20, 60000, test::fakeUnit(700, 2)));
        const QString path = writeVob(dir, "VTS_01_1.VOB", s);
        RunState plainRun = runOver({path}, 0x20);
        plainRun.avoidTimeRestart = avoid;
        RecordingHandler plainHandler;
        ScriptedHost plainHost(plainHandler);
        drive(plainRun, plainHost, plainHandler);
        ASSERT_EQ(plainHandler.units.size(), 2u);

        RunState run = runOver({path}, 0x20);
        run.avoidTimeRestart = avoid;
        DialogPausingHandler handler(run, 1);
        ScriptedHost host(handler);
        const RunResult r = drive(run, host, handler);
        EXPECT_EQ(r.pauses, 1);
        const std::vector<Unit> expected{plainHandler.units[0], plainHandler.units[0], plainHandler.units[1]};
        EXPECT_EQ(r.units, expected);
    }
}

// ---- Clock and cell times.

TEST(VobPassClock, ScrOfZeroAdvancesTheTimeBaseByOneStep)
{
    QTemporaryDir dir;
    // SCR 0, 900, 1800, then 0: the time base moves on by 1800 + 900 ticks = 30 ms; the unit's pack has
    // SCR 0 again and adds one more step of 900 ticks (10 ms) to the previous value 0.
    std::vector<QByteArray> s{test::videoSector(0), test::videoSector(900), test::videoSector(1800), test::videoSector(0),
                              test::spuSector(0, 0x20, 90000u, test::fakeUnit(50, 1))};
    const RunResult r = passOver({writeVob(dir, "a.vob", s)}, 0x20);
    ASSERT_EQ(r.units.size(), 1u);
    EXPECT_EQ(r.units[0].ms, 30 + 10 + 1000);
}

TEST(VobPassClock, FallingClockKeepsTimesRunningOnlyWithAvoidTimeRestart)
{
    QTemporaryDir dir;
    std::vector<QByteArray> s{test::videoSector(900000), test::videoSector(909000),
                              test::videoSector(1000), test::spuSector(1100, 0x20, 4500u, test::fakeUnit(50, 1))};
    const QString path = writeVob(dir, "a.vob", s);
    for (bool avoid : {false, true}) {
        RunState run = runOver({path}, 0x20);
        run.avoidTimeRestart = avoid;
        RecordingHandler handler;
        ScriptedHost host(handler);
        const RunResult r = drive(run, host, handler);
        ASSERT_EQ(r.units.size(), 1u);
        // With the option: + (909000 + 9000) / 90 ms = 10200 ms before the PTS's 50 ms.
        EXPECT_EQ(r.units[0].ms, avoid ? 10200 + 50 : 50) << avoid;
    }
}

TEST(VobPassClock, TimeBaseCarriesOverToTheNextFile)
{
    QTemporaryDir dir;
    // The second file's clock starts again near 0; with AvoidTimeRestart its times go on from the first's.
    const QString a = writeVob(dir, "a.vob", {test::videoSector(900000), test::videoSector(909000),
                                              test::spuSector(918000, 0x20, 918000u, test::fakeUnit(50, 1))});
    const QString b = writeVob(dir, "b.vob", {test::videoSector(9000), test::spuSector(18000, 0x20, 18000u, test::fakeUnit(50, 2))});
    RunState run = runOver({a, b}, 0x20);
    run.avoidTimeRestart = true;
    RecordingHandler handler;
    ScriptedHost host(handler);
    drive(run, host, handler);
    ASSERT_EQ(handler.units.size(), 2u);
    EXPECT_EQ(handler.units[0].ms, 10200);
    // The fall at b's first pack adds the last SCR plus one step: (918000 + 9000) / 90 = 10300 ms.
    EXPECT_EQ(handler.units[1].ms, 10300 + 200);
    EXPECT_EQ(run.spuCountTotal, 2u);
    EXPECT_EQ(run.spuCount, 1u); // counted per file
}

TEST(VobPassClock, StartTimeShiftsTheFirstPack)
{
    QTemporaryDir dir;
    const QString path = writeVob(dir, "a.vob", {test::videoSector(45000), test::spuSector(45000, 0x20, 90000u, test::fakeUnit(50, 1))});
    RunState run = runOver({path}, 0x20);
    run.clock.startTime = core::TimeCode{0, 0, 10, 0};
    RecordingHandler handler;
    ScriptedHost host(handler);
    drive(run, host, handler);
    ASSERT_EQ(handler.units.size(), 1u);
    EXPECT_EQ(handler.units[0].ms, 10000 - 500 + 1000);
    EXPECT_FALSE(run.clock.firstPack);
}

// Clocks past 2^31 ticks (a title longer than 6 h 37 min) and across the 33-bit wrap: every unit's time is
// its PTS counted on, / 90 ms, as ffprobe gives it, and the clock going on is no clock break.
struct LongClockCase {
    const char *name;
    std::vector<std::pair<int64_t, int64_t>> units; // SCR and PTS as written (33 bits); PTS also counted on
    std::vector<int64_t> counted;                    // each unit's PTS counted on past the wrap
};
void PrintTo(const LongClockCase &c, std::ostream *os) { *os << c.name; }

constexpr int64_t k2To31 = int64_t(1) << 31;
constexpr int64_t k2To32 = int64_t(1) << 32;
constexpr int64_t k2To33 = int64_t(1) << 33;

const LongClockCase kLongClocks[] = {
    {"Below2To31", {{k2To31 - 9900, k2To31 - 900}}, {k2To31 - 900}},
    {"Above2To31", {{k2To31 - 9000 + 900, k2To31 + 900}}, {k2To31 + 900}},
    {"Below2To32", {{k2To32 - 9900, k2To32 - 900}}, {k2To32 - 900}},
    {"Above2To32", {{k2To32 - 8100, k2To32 + 900}}, {k2To32 + 900}},
    {"Across2To31BetweenPacks", {{k2To31 - 900, k2To31 - 900}, {k2To31 + 900, k2To31 + 900}}, {k2To31 - 900, k2To31 + 900}},
    {"Across2To32BetweenPacks", {{k2To32 - 900, k2To32 - 900}, {k2To32 + 900, k2To32 + 900}}, {k2To32 - 900, k2To32 + 900}},
    {"AcrossTheWrap", {{k2To33 - 900, k2To33 - 900}, {900, 900}}, {k2To33 - 900, k2To33 + 900}},
    {"PtsWrapsBeforeTheClock", {{k2To33 - 90000, 900}, {900, 90900}}, {k2To33 + 900, k2To33 + 90900}},
};

class LongClocks : public testing::TestWithParam<LongClockCase> {};

TEST_P(LongClocks, UnitTimesArePtsOver90AndNoClockBreakIsNoted)
{
    const LongClockCase &c = GetParam();
    QTemporaryDir dir;
    std::vector<QByteArray> s;
    for (size_t i = 0; i < c.units.size(); ++i) {
        const auto &[scr, pts] = c.units[i];
        s.push_back(test::videoSector(uint64_t(scr - 450 + k2To33) % uint64_t(k2To33)));
        s.push_back(test::spuSector(uint64_t(scr), 0x20, uint64_t(pts), test::fakeUnit(60, uint8_t(i))));
    }
    // The clock goes on after the last unit, so that the file's last two sectors are not the units'.
    const int64_t last = c.units.back().first;
    for (int k = 1; k <= 3; ++k)
        s.push_back(test::videoSector(uint64_t(last + 900 * k) % uint64_t(k2To33)));
    const QString path = writeVob(dir, "VTS_01_1.VOB", s);
    for (bool avoid : {false, true}) {
        SCOPED_TRACE(avoid);
        QFile::remove(SubtitleMap::pathFor(path));
        RunState run = runOver({path}, 0x20, true);
        run.avoidTimeRestart = avoid;
        RecordingHandler handler;
        ScriptedHost host(handler);
        drive(run, host, handler);
        ASSERT_EQ(handler.units.size(), c.counted.size());
        for (size_t i = 0; i < c.counted.size(); ++i)
            EXPECT_EQ(handler.units[i].ms, c.counted[i] / 90) << "unit " << i;
        // Where the input dialog proposes the next disc to start: the clock counted on.
        EXPECT_EQ(run.clock.curScr, c.counted.back() - c.units.back().second + last + 2700);
        auto map = SubtitleMap::load(SubtitleMap::pathFor(path), QFileInfo(path).size());
        ASSERT_TRUE(map.ok()) << map.error().message().toStdString();
        std::vector<uint32_t> clockSectors;
        for (const MapLine &l : map->lines()) {
            if (l.type == kMapClockSector)
                clockSectors.push_back(l.sector);
        }
        // The first sector, where every pass takes its time base, and the file's last two; no break.
        const uint32_t n = uint32_t(s.size());
        EXPECT_EQ(clockSectors, (std::vector<uint32_t>{0, n - 2, n - 1}));
        // Along the map the times are the same.
        EXPECT_EQ(unitsOf(path, 0x20, true, [&](RunState &r) { r.avoidTimeRestart = avoid; }), handler.units);
    }
}

INSTANTIATE_TEST_SUITE_P(, LongClocks, testing::ValuesIn(kLongClocks),
                         [](const testing::TestParamInfo<LongClockCase> &i) { return std::string(i.param.name); });

TEST(VobPassClock, NavigationPacksSetStandardFrameStepAndCells)
{
    QTemporaryDir dir;
    // NTSC frame byte 0xC0 | BCD frame. 0:00:01 frame 3, then frame 15 (step 12), then a new cell at 0:00:00:01.
    std::vector<QByteArray> s{test::navSector(0, 0, 0, 1, 0xC3), test::navSector(100, 0, 0, 1, 0xD5),
                              test::navSector(200, 0, 0, 0, 0xC1)};
    const QString path = writeVob(dir, "a.vob", s);
    RunState run = runOver({path}, 0x20);
    RecordingHandler handler;
    ScriptedHost host(handler);
    drive(run, host, handler);
    EXPECT_EQ(run.clock.standard, core::VideoStandard::ntsc());
    EXPECT_EQ(host.heights, std::vector<int>{480});
    EXPECT_EQ(run.clock.frameStep, 12);
    EXPECT_EQ(run.clock.cellCount, 1);
    // Cell base = running time 0:00:01:15 + 12 frames = 0:00:01:27; plus the cell time's one frame.
    EXPECT_EQ(run.clock.cellBase, (core::TimeCode{0, 0, 1, 27}));
    EXPECT_EQ(run.clock.runningTime, (core::TimeCode{0, 0, 1, 28}));
    EXPECT_TRUE(run.clock.detectStandard); // the end of the file asks for detection again
}

// ---- Damaged inputs.

struct DamageCase {
    const char *name;
    std::function<std::vector<QByteArray>()> sectors;
    std::vector<Answer> answers;
    int units;
    int asked;
    PassEnd end;
    bool warned;
};
void PrintTo(const DamageCase &c, std::ostream *os) { *os << c.name; }

QByteArray withLength(QByteArray sector, int length)
{
    sector[18] = char(length >> 8);
    sector[19] = char(length);
    return sector;
}

QByteArray kUnitA()
{
    return test::fakeUnit(200, 1);
}
const QByteArray kUnitB = test::fakeUnit(300, 2);

const DamageCase kDamage[] = {
    {"truncated_last_sector",
     [] { return std::vector<QByteArray>{test::spuSector(0, 0x20, 900u, kUnitA()), test::spuSector(0, 0x20, 900u, kUnitB).left(200)}; },
     {}, 1, 0, PassEnd::FileDone, true},
    {"garbage_sectors_go_on_after_yes",
     [] { return std::vector<QByteArray>{QByteArray(2048, 'G'), test::spuSector(0, 0x20, 900u, kUnitA()), QByteArray(2048, '\x01')}; },
     {Answer::Yes, Answer::Yes}, 1, 2, PassEnd::FileDone, false},
    {"garbage_sectors_yes_to_all_asks_once",
     [] { return std::vector<QByteArray>{QByteArray(2048, 'G'), QByteArray(2048, 'H'), test::spuSector(0, 0x20, 900u, kUnitA())}; },
     {Answer::YesToAll}, 1, 1, PassEnd::FileDone, false},
    {"garbage_sector_no_ends_the_file",
     [] { return std::vector<QByteArray>{test::spuSector(0, 0x20, 900u, kUnitA()), QByteArray(2048, 'G'), test::spuSector(0, 0x20, 900u, kUnitB)}; },
     {Answer::No}, 1, 1, PassEnd::Refused, false},
    {"packet_length_past_the_sector",
     [] { return std::vector<QByteArray>{withLength(test::spuSector(0, 0x20, 900u, kUnitA()), 0x0900), test::spuSector(0, 0x20, 900u, kUnitB)}; },
     {}, 1, 0, PassEnd::FileDone, true},
    {"unit_that_never_completes",
     [] {
         QByteArray first(test::spuPayloadRoom(true), 'x');
         first[0] = char(0x30); // 12 kB announced, one sector given
         return std::vector<QByteArray>{test::spuSector(0, 0x20, 900u, first), test::videoSector(10)};
     },
     {}, 0, 0, PassEnd::FileDone, true},
    {"empty_file", [] { return std::vector<QByteArray>{}; }, {}, 0, 0, PassEnd::FileDone, false},
    {"only_part_of_a_pack_header", [] { return std::vector<QByteArray>{test::videoSector(0).left(7)}; }, {}, 0, 0, PassEnd::FileDone, false},
};

class DamagedInputs : public testing::TestWithParam<DamageCase> {};

TEST_P(DamagedInputs, EndCleanlyWithTheUnitsThatAreWhole)
{
    const DamageCase &c = GetParam();
    QTemporaryDir dir;
    const QString path = writeVob(dir, "VTS_01_1.VOB", c.sectors());
    RunState run = runOver({path}, 0x20, true);
    RecordingHandler handler;
    ScriptedHost host(handler);
    host.answers.assign(c.answers.begin(), c.answers.end());
    const RunResult r = drive(run, host, handler);
    EXPECT_EQ(int(r.units.size()), c.units);
    EXPECT_EQ(int(host.askedSectors.size()), c.asked);
    ASSERT_EQ(r.outcomes.size(), 1u);
    EXPECT_EQ(r.outcomes[0].end, c.end);
    EXPECT_TRUE(r.outcomes[0].runFinished);
    EXPECT_EQ(!host.warnings.isEmpty(), c.warned) << host.warnings.join(QLatin1Char('|')).toStdString();
    EXPECT_FALSE(run.processing);
}

INSTANTIATE_TEST_SUITE_P(, DamagedInputs, testing::ValuesIn(kDamage),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(VobPassFailures, BadPackInTheFirstSectorAsksWithSectorZero)
{
    QTemporaryDir dir;
    const QString path = writeVob(dir, "a.vob", {QByteArray(2048, '\0'), test::videoSector(0), QByteArray(2048, '\0')});
    RunState run = runOver({path}, 0x20);
    RecordingHandler handler;
    ScriptedHost host(handler);
    drive(run, host, handler);
    EXPECT_EQ(host.askedSectors, (std::vector<int64_t>{0, 2}));
}

TEST(VobPassFailures, MissingFileIsReportedAndSkipped)
{
    QTemporaryDir dir;
    const QString there = writeVob(dir, "b.vob", {test::spuSector(0, 0x20, 900u, kUnitA())});
    RunState run = runOver({dir.filePath("a.vob"), there}, 0x20);
    RecordingHandler handler;
    ScriptedHost host(handler);
    const RunResult r = drive(run, host, handler);
    ASSERT_EQ(r.outcomes.size(), 2u);
    EXPECT_EQ(r.outcomes[0].end, PassEnd::Missing);
    ASSERT_TRUE(r.outcomes[0].error.has_value());
    EXPECT_TRUE(r.outcomes[0].error->where.endsWith(QStringLiteral("a.vob")));
    EXPECT_EQ(r.units.size(), 1u);
    EXPECT_TRUE(r.outcomes[1].runFinished);
}

TEST(VobPassFailures, HandlerErrorStopsTheRunWithItsMessage)
{
    QTemporaryDir dir;
    const QString a = writeVob(dir, "a.vob", {test::spuSector(0, 0x20, 900u, kUnitA()), test::spuSector(0, 0x20, 900u, kUnitB)});
    const QString b = writeVob(dir, "b.vob", {test::spuSector(0, 0x20, 900u, kUnitA())});
    RunState run = runOver({a, b}, 0x20);
    RecordingHandler handler;
    handler.failAt = 1;
    ScriptedHost host(handler);
    const RunResult r = drive(run, host, handler);
    ASSERT_EQ(r.outcomes.size(), 1u);
    EXPECT_EQ(r.outcomes[0].end, PassEnd::Failed);
    ASSERT_TRUE(r.outcomes[0].error.has_value());
    EXPECT_EQ(r.outcomes[0].error->why, QStringLiteral("no room"));
    EXPECT_TRUE(run.stopped);
    EXPECT_EQ(handler.units.size(), 1u);
}

TEST(VobPassFailures, ReadErrorStopsTheRunWithItsMessage)
{
    // A folder opens but cannot be read: the read itself fails.
    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("x.vob"));
    RunState run = runOver({dir.filePath("x.vob")}, 0x20);
    RecordingHandler handler;
    ScriptedHost host(handler);
    const RunResult r = drive(run, host, handler);
    ASSERT_EQ(r.outcomes.size(), 1u);
    EXPECT_EQ(r.outcomes[0].end, PassEnd::Failed);
    EXPECT_TRUE(r.outcomes[0].error.has_value());
    EXPECT_TRUE(run.stopped);
}

TEST(VobPassProgress, UnknownTotalSizeStillReportsProgress)
{
    QTemporaryDir dir;
    const QString path = writeVob(dir, "a.vob", {test::spuSector(0, 0x20, 900u, kUnitA()), test::videoSector(10)});
    RunState run = runOver({path}, 0x20);
    run.vobSizes = {0};
    run.totalBytes = 0;
    RecordingHandler handler;
    ScriptedHost host(handler);
    drive(run, host, handler);
    EXPECT_GT(host.progressCalls, 0);
    EXPECT_EQ(host.lastTotal, 0);
}

TEST(VobPassProgress, ProgressCountsTheFilesBefore)
{
    QTemporaryDir dir;
    const QString a = writeVob(dir, "a.vob", {test::videoSector(0), test::videoSector(10)});
    const QString b = writeVob(dir, "b.vob", {test::videoSector(0), test::videoSector(10), test::videoSector(20)});
    RunState run = runOver({a, b}, 0x20);
    RecordingHandler handler;
    ScriptedHost host(handler);
    drive(run, host, handler);
    EXPECT_EQ(host.lastDone, 5 * 2048);
    EXPECT_EQ(host.lastTotal, 5 * 2048);
}

TEST(VobPassProgress, DisplayValuesStayDefinedForAnyTotal)
{
    const struct {
        int64_t done, total, elapsed;
        int percent;
        const char *position, *elapsedText, *remaining;
    } cases[] = {
        {0, 0, 0, 0, "0.0 / 0.0 MB (0 %)", "00:00:00", ""},
        {1048576, 0, 5000, 0, "1.0 / 0.0 MB (0 %)", "00:00:05", "00:00:00"},
        {1048576, 4194304, 61000, 25, "1.0 / 4.0 MB (25 %)", "00:01:01", "00:03:03"},
        {8388608, 4194304, 1000, 100, "8.0 / 4.0 MB (100 %)", "00:00:01", "00:00:00"},
    };
    for (const auto &c : cases) {
        const ReadProgressText p = readProgressText(c.done, c.total, c.elapsed, QLocale::c());
        EXPECT_EQ(p.percent, c.percent);
        EXPECT_EQ(p.position, QString::fromLatin1(c.position));
        EXPECT_EQ(p.elapsed, QString::fromLatin1(c.elapsedText));
        EXPECT_EQ(p.remaining, QString::fromLatin1(c.remaining));
    }
}

// ---- VobSub index positions.

TEST(VobPassIndex, JumpsFromUnitToUnitAndEndsAfterTheLastIndexedUnit)
{
    QTemporaryDir dir;
    std::vector<QByteArray> s{test::spuSector(0, 0x20, 900u, kUnitA()), test::spuSector(0, 0x20, 1800u, kUnitB),
                              test::spuSector(0, 0x20, 2700u, kUnitA()), test::spuSector(0, 0x20, 3600u, kUnitB)};
    const QString path = writeVob(dir, "movie.SUB", s);
    for (bool pause : {false, true}) {
        RunState run = runOver({path}, 0x20);
        run.idxFileName = dir.filePath("movie.idx");
        run.useIndexOffsets = true;
        run.vobSubUnits = {{{}, 0, 0}, {{}, 0, 2 * 2048}}; // the index lists the first and the third unit
        RecordingHandler handler;
        ScriptedHost host(handler);
        host.pauseAfterEveryUnit = pause;
        const RunResult r = drive(run, host, handler);
        ASSERT_EQ(r.units.size(), 2u) << pause;
        EXPECT_EQ(r.units[0].ms, 10);
        EXPECT_EQ(r.units[1].ms, 30);
        EXPECT_EQ(handler.sectors, (std::vector<int64_t>{0, 2 * 2048}));
    }
}

// An index another tool damaged may point past the end of the .sub, into the middle of a unit, between
// sectors, or go back: the units that can be read are read, in index order, and the first line of each kind
// of damage is named in a warning. The .sub: unit A in sector 0, unit C over sectors 1-2, unit B in sector 3.
struct IndexDamageCase {
    const char *name;
    std::vector<int64_t> positions;   // the index's positions, one "timestamp:" line each (lines 3, 4, ...)
    std::vector<int64_t> sectorsRead; // where the units handed on begin
    const char *said;                 // what the one warning says, "" for none
    int line;                         // the index line it names
    uint32_t skipped;                 // entries passed over
};
void PrintTo(const IndexDamageCase &c, std::ostream *os) { *os << c.name; }

const IndexDamageCase kIndexDamage[] = {
    {"Sound", {0, 2048, 3 * 2048}, {0, 2048, 3 * 2048}, "", 0, 0},
    {"PastTheEndByOneSector", {0, 4 * 2048, 3 * 2048}, {0, 3 * 2048}, "past the end of movie.sub", 4, 1},
    {"PastTheEndFar", {0, int64_t(1) << 40, 3 * 2048}, {0, 3 * 2048}, "past the end of movie.sub", 4, 1},
    {"PastTheEndAtTheLargestPosition", {0, std::numeric_limits<int64_t>::max(), 3 * 2048}, {0, 3 * 2048},
     "past the end of movie.sub", 4, 1},
    {"TwoPastTheEndAreSaidOnce", {4 * 2048, 0, 5 * 2048, 3 * 2048}, {0, 3 * 2048}, "past the end of movie.sub", 3, 2},
    {"InsideAUnit", {0, 2 * 2048, 3 * 2048}, {0, 3 * 2048}, "inside a subtitle", 4, 1},
    {"NotSectorAligned", {0, 2048 + 100, 3 * 2048}, {0, 2048, 3 * 2048}, "not the start of a sector", 4, 0},
    {"Descending", {3 * 2048, 2048, 0}, {3 * 2048, 2048, 0}, "", 0, 0},
};

class IndexDamage : public testing::TestWithParam<IndexDamageCase> {};

TEST_P(IndexDamage, TheUnitsThatCanBeReadAreReadAndTheLineIsNamed)
{
    const IndexDamageCase &c = GetParam();
    QTemporaryDir dir;
    std::vector<QByteArray> s{test::spuSector(900, 0x20, 900u, kUnitA())};
    append(s, test::unitSectors(1800, 0x20, 1800u, test::fakeUnit(3000, 7)));
    s.push_back(test::spuSector(2700, 0x20, 2700u, kUnitB));
    ASSERT_EQ(s.size(), 4u);
    const QString path = writeVob(dir, "movie.sub", s);
    QByteArray index = "# VobSub index file, v7 (do not modify this line!)\nid: en, index: 0\n";
    for (size_t i = 0; i < c.positions.size(); ++i)
        index += QStringLiteral("timestamp: 00:00:0%1:000, filepos: %2\n").arg(i + 1).arg(c.positions[i], 9, 16, QLatin1Char('0')).toLatin1();
    auto timing = prescanVobSubTimes(index, 0, QStringLiteral("movie.idx"));
    ASSERT_TRUE(timing.ok()) << timing.error().message().toStdString();
    ASSERT_EQ(timing->units.size(), c.positions.size());
    for (bool pause : {false, true}) {
        SCOPED_TRACE(pause);
        RunState run = runOver({path}, 0x20);
        run.idxFileName = dir.filePath("movie.idx");
        run.useIndexOffsets = true;
        run.vobSubUnits = timing->units;
        RecordingHandler handler;
        ScriptedHost host(handler);
        host.pauseAfterEveryUnit = pause;
        const RunResult r = drive(run, host, handler);
        ASSERT_FALSE(r.outcomes.empty());
        EXPECT_EQ(r.outcomes.back().end, PassEnd::FileDone);
        EXPECT_EQ(handler.sectors, c.sectorsRead);
        EXPECT_EQ(run.indexSkipped, c.skipped);
        if (*c.said == 0) {
            EXPECT_TRUE(host.warnings.isEmpty()) << host.warnings.join(QLatin1Char('|')).toStdString();
        } else {
            ASSERT_EQ(host.warnings.size(), 1) << host.warnings.join(QLatin1Char('|')).toStdString();
            EXPECT_TRUE(host.warnings[0].startsWith(QStringLiteral("Line %1 of movie.idx").arg(c.line))) << host.warnings[0].toStdString();
            EXPECT_TRUE(host.warnings[0].contains(QLatin1String(c.said))) << host.warnings[0].toStdString();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(, IndexDamage, testing::ValuesIn(kIndexDamage),
                         [](const testing::TestParamInfo<IndexDamageCase> &i) { return std::string(i.param.name); });

TEST(VobPassIndex, RealVobSubPairReadByItsIndexGivesTheUnitsLibavformatDemuxes)
{
    for (const char *set : {"dvd-pal-sans", "dvd-pal-sans-outline"}) {
        SCOPED_TRACE(set);
        const QString sub = test::dataPath(QString::fromLatin1(set) + QStringLiteral("/vobsub.sub"));
        const QString idx = test::dataPath(QString::fromLatin1(set) + QStringLiteral("/vobsub.idx"));
        auto timing = readVobSubTimes(idx, 0);
        ASSERT_TRUE(timing.ok()) << timing.error().message().toStdString();
        RunState run = runOver({sub}, 0x20, true);
        run.idxFileName = idx;
        run.useIndexOffsets = true;
        run.vobSubUnits = timing->units;
        RecordingHandler handler;
        ScriptedHost host(handler);
        const RunResult r = drive(run, host, handler);
        EXPECT_EQ(r.units, libavUnits(sub, 0x20));
        std::vector<int64_t> positions;
        for (const VobSubUnit &u : timing->units)
            positions.push_back(u.filePos);
        EXPECT_EQ(handler.sectors, positions);
        EXPECT_FALSE(QFile::exists(SubtitleMap::pathFor(sub))); // jumps build no map
    }
}

} // namespace
} // namespace glyfex::ripping
