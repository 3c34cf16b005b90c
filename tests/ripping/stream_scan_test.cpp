// The stream scan: substream ids found in real VOBs equal libavformat's, the marking of the name table,
// progress and cancel over files whose size is not a whole number of sectors, and unreadable files.
#include "ripping/stream_scan.h"

#include "core/pass_host.h"
#include "support/qt_print.h"
#include "support/test_data.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

extern "C" {
#include <libavformat/avformat.h>
}

#include <set>

using namespace glyfex::ripping;
using glyfex::core::PassHost;
using glyfex::core::PumpResult;
using glyfex::test::dataPath;

namespace {

// Stream numbers of the DVD subtitle streams libavformat sees in a program stream, reading it whole.
std::set<int> avSubpictureStreams(const QString &path)
{
    std::set<int> streams;
    AVFormatContext *ctx = nullptr;
    if (avformat_open_input(&ctx, path.toLocal8Bit().constData(), nullptr, nullptr) < 0) {
        ADD_FAILURE() << "libavformat cannot open " << path.toStdString();
        return streams;
    }
    AVPacket *pkt = av_packet_alloc();
    while (av_read_frame(ctx, pkt) >= 0) {
        const AVStream *st = ctx->streams[pkt->stream_index];
        if (st->codecpar->codec_id == AV_CODEC_ID_DVD_SUBTITLE) streams.insert(st->id - 0x20);
        av_packet_unref(pkt);
    }
    av_packet_free(&pkt);
    avformat_close_input(&ctx);
    return streams;
}

std::set<int> foundSet(const StreamScanResult &r)
{
    std::set<int> s;
    for (int i = 0; i < 32; ++i)
        if (r.found[size_t(i)]) s.insert(i);
    return s;
}

// Records every report; cancels at the first pump that comes once cancelAfter bytes are done.
class ScriptedHost : public PassHost {
public:
    explicit ScriptedHost(int64_t cancelAfter = -1) : m_cancelAfter(cancelAfter) {}
    void progress(int64_t done, int64_t total) override
    {
        lastDone = done;
        lastTotal = total;
    }
    PumpResult pump() override
    {
        ++pumps;
        pumpedAt.push_back(lastDone);
        return (m_cancelAfter >= 0 && lastDone > m_cancelAfter) ? PumpResult::Cancel : PumpResult::Continue;
    }
    int pumps = 0;
    std::vector<int64_t> pumpedAt;
    int64_t lastDone = -1, lastTotal = -1;

private:
    int64_t m_cancelAfter;
};

// One 2048-byte sector: a pack header and a PES stream 0xBD packet carrying the substream id.
QByteArray sector(int substreamId, int headerLength = 5, int length = 2048)
{
    QByteArray s(length, '\0');
    const char pack[] = {0, 0, 1, char(0xBA)};
    std::copy(pack, pack + 4, s.begin());
    const char pes[] = {0, 0, 1, char(0xBD)};
    std::copy(pes, pes + 4, s.begin() + 14);
    s[22] = char(headerLength);
    s[23 + headerLength] = char(substreamId);
    return s;
}

QByteArray videoSector()
{
    QByteArray s = sector(0);
    s[17] = char(0xE0);
    return s;
}

TEST(StreamScan, FindsTheSubstreamsLibavformatLists)
{
    const char *vobs[] = {"dvd-pal-sans/dvd/VIDEO_TS/VTS_01_1.VOB", "dvd-ntsc-two-streams/dvd/VIDEO_TS/VTS_01_1.VOB"};
    for (const char *vob : vobs) {
        const QString path = dataPath(QString::fromLatin1(vob));
        glyfex::core::NullPassHost host;
        auto scan = scanSubpictureStreams({path}, host);
        ASSERT_TRUE(scan.ok()) << scan.error().message().toStdString();
        EXPECT_FALSE(scan->cancelled);
        const std::set<int> expected = avSubpictureStreams(path);
        EXPECT_FALSE(expected.empty()) << vob;
        EXPECT_EQ(foundSet(*scan), expected) << vob;
    }
    // Over several files the found streams add up.
    glyfex::core::NullPassHost host;
    auto both = scanSubpictureStreams(QStringList{dataPath(QString::fromLatin1(vobs[0])), dataPath(QString::fromLatin1(vobs[1]))}, host);
    ASSERT_TRUE(both.ok());
    EXPECT_EQ(foundSet(*both), (std::set<int>{0, 1}));
}

TEST(StreamScan, ReadsOnlyWhatSectorHeadsSay)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("VTS_01_1.VOB"));
    QByteArray bytes;
    bytes += sector(0x80);                // audio substream: ignored
    bytes += sector(0x10);                // below the subpicture range: ignored
    bytes += videoSector();               // not PES 0xBD
    bytes += QByteArray(2048, '\x55');     // not a pack
    bytes += sector(0x3F, 255);           // longest PES header: id at byte 278
    bytes += sector(0x22, 5, 300);        // a short last sector that still holds a whole head
    glyfex::test::writeBytes(path, bytes);
    glyfex::core::NullPassHost host;
    auto scan = scanSubpictureStreams({path}, host);
    ASSERT_TRUE(scan.ok());
    EXPECT_EQ(foundSet(*scan), (std::set<int>{2, 31}));

    // A last sector too short for its head ends the file without being read.
    glyfex::test::writeBytes(path, sector(0x21) + sector(0x23, 5, 200));
    auto shortTail = scanSubpictureStreams({path}, host);
    ASSERT_TRUE(shortTail.ok());
    EXPECT_EQ(foundSet(*shortTail), (std::set<int>{1}));
}

TEST(StreamScan, StepIsAHundredthInWholeSectors)
{
    const std::pair<int64_t, int64_t> rows[] = {
        {int64_t(1) << 30, 5242 * 2048}, // 1 GiB in all
        {204799, 2048},                 // under 204800 bytes: every sector
        {0, 2048},
        {204800 * 3, 3 * 2048},
    };
    for (const auto &[total, step] : rows)
        EXPECT_EQ(streamScanStep(total), step) << total;
}

TEST(StreamScan, ProgressAndCancelGoOnAfterAFileOfPartialSectors)
{
    QTemporaryDir dir;
    const QString first = dir.filePath(QStringLiteral("VTS_01_1.VOB"));
    const QString second = dir.filePath(QStringLiteral("VTS_01_2.VOB"));
    // 3 sectors and 100 bytes: the bytes done no longer fall on whole sectors after this file.
    glyfex::test::writeBytes(first, sector(0x20) + sector(0x20) + sector(0x20) + QByteArray(100, '\0'));
    QByteArray many;
    for (int i = 0; i < 40; ++i) many += videoSector();
    many += sector(0x21); // only at the end of the second file
    glyfex::test::writeBytes(second, many);
    const int64_t firstSize = 3 * 2048 + 100;

    ScriptedHost reporting;
    auto whole = scanSubpictureStreams({first, second}, reporting);
    ASSERT_TRUE(whole.ok());
    EXPECT_EQ(foundSet(*whole), (std::set<int>{0, 1}));
    EXPECT_EQ(reporting.lastDone, reporting.lastTotal);
    EXPECT_EQ(reporting.lastTotal, firstSize + 41 * 2048);
    ASSERT_FALSE(reporting.pumpedAt.empty());
    EXPECT_GT(reporting.pumpedAt.back(), firstSize) << "no pump while the second file was read";

    ScriptedHost cancelling(firstSize);
    auto cancelled = scanSubpictureStreams({first, second}, cancelling);
    ASSERT_TRUE(cancelled.ok());
    EXPECT_TRUE(cancelled->cancelled);
    EXPECT_EQ(foundSet(*cancelled), (std::set<int>{0}));
    EXPECT_LT(cancelling.lastDone, firstSize + 41 * 2048);
}

TEST(StreamScan, UnreadableFileEndsTheScanWithItsName)
{
    QTemporaryDir dir;
    const QString good = dir.filePath(QStringLiteral("VTS_01_1.VOB"));
    glyfex::test::writeBytes(good, sector(0x20));
    const QString cases[] = {dir.filePath(QStringLiteral("VTS_01_2.VOB")), dir.path()};
    for (const QString &bad : cases) {
        glyfex::core::NullPassHost host;
        QStringList statusFiles;
        auto scan = scanSubpictureStreams({good, bad}, host,
                                          [&](const StreamScanStatus &s) { statusFiles << s.currentFile; });
        ASSERT_FALSE(scan.ok()) << bad.toStdString();
        EXPECT_EQ(scan.error().what, QStringLiteral("Cannot open the VOB file"));
        EXPECT_EQ(scan.error().where, bad);
        EXPECT_TRUE(statusFiles.contains(QStringLiteral("VTS_01_1.VOB")));
    }
}

TEST(StreamScan, MarkingKeepsFoundNamesAndClearsTheRest)
{
    StreamNames names;
    names[0] = QStringLiteral("English 0, wide");
    names[1] = QStringLiteral("Francais 1, wide");
    names[3] = QStringLiteral("??? odd");
    FoundStreams found{};
    found[0] = found[2] = found[3] = true;

    markScannedStreams(names, found);
    StreamNames expected;
    expected[0] = QStringLiteral("~English 0, wide");
    expected[2] = QStringLiteral("???");
    expected[3] = QStringLiteral("??? odd");
    EXPECT_EQ(names, expected);

    markScannedStreams(names, found);
    EXPECT_EQ(names, expected) << "a second scan changes nothing";
}

} // namespace
