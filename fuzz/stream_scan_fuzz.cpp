// Fuzz target for the stream scan: any file (or two, the input split in the middle) is scanned to its end or
// to a cancel; the streams it finds are those the reading pass's sector parser finds in each sector, the
// progress it reports never passes the total nor goes back.
#include "core/pass_host.h"
#include "fuzz/require.h"
#include "ripping/sector_parser.h"
#include "ripping/stream_scan.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <span>

using namespace glyfex;
using glyfex::fuzz::require;

namespace {

class CountingHost : public core::PassHost {
public:
    explicit CountingHost(int cancelAtPump) : m_cancelAt(cancelAtPump) {}
    void progress(int64_t done, int64_t total) override
    {
        require(done >= 0 && done <= total, "progress outside 0..total");
        require(done >= m_last, "progress goes back");
        m_last = done;
    }
    core::PumpResult pump() override
    {
        return ++m_pumps == m_cancelAt ? core::PumpResult::Cancel : core::PumpResult::Continue;
    }

private:
    int m_cancelAt;
    int m_pumps = 0;
    int64_t m_last = 0;
};

void write(const QString &path, std::span<const uint8_t> bytes)
{
    QFile file(path);
    require(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "cannot write the input file");
    require(file.write(reinterpret_cast<const char *>(bytes.data()), qint64(bytes.size())) == qint64(bytes.size()),
            "short write");
}

// What the whole-sector parser finds: the head of each sector long enough to hold its substream id.
void foundByParser(std::span<const uint8_t> file, ripping::FoundStreams &found)
{
    for (size_t at = 0; at + 280 <= file.size(); at += ripping::kSectorSize) {
        const ripping::SectorInfo info = ripping::parseSector(file.subspan(at, std::min(ripping::kSectorSize, file.size() - at)));
        if (info.packHeader && info.kind == ripping::SectorKind::PrivateStream1 && info.hasSubstreamId
            && info.substreamId >= 0x20 && info.substreamId <= 0x3F)
            found[info.substreamId - 0x20] = true;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    // The first byte: bit 0 splits the rest into two files at a sector boundary, bits 1-7 cancel at that pump.
    const uint8_t control = data[0];
    const std::span<const uint8_t> rest(data + 1, size - 1);
    static QTemporaryDir dir;
    const QString first = dir.filePath(QStringLiteral("VTS_01_1.VOB"));
    const QString second = dir.filePath(QStringLiteral("VTS_01_2.VOB"));
    size_t split = rest.size();
    if (control & 1)
        split = (rest.size() / 2) / ripping::kSectorSize * ripping::kSectorSize;
    write(first, rest.first(split));
    write(second, rest.subspan(split));

    CountingHost host(control >> 1);
    int statuses = 0;
    auto scanned = ripping::scanSubpictureStreams({first, second}, host, [&statuses](const ripping::StreamScanStatus &s) {
        require(s.foundCount >= 0 && s.foundCount <= 32, "more streams found than there are");
        ++statuses;
    });
    require(scanned.ok(), "a readable file fails the scan");
    ripping::FoundStreams expected{};
    foundByParser(rest.first(split), expected);
    foundByParser(rest.subspan(split), expected);
    for (size_t i = 0; i < expected.size(); ++i) {
        if (scanned->cancelled)
            require(!scanned->found[i] || expected[i], "a cancelled scan finds a stream the files do not carry");
        else
            require(scanned->found[i] == expected[i], "the scan finds other streams than the sector parser");
    }
    require(statuses > 0, "the window hears nothing");

    ripping::StreamNames names{};
    names[0] = QStringLiteral("English");
    ripping::markScannedStreams(names, scanned->found);
    ripping::markScannedStreams(names, scanned->found);
    for (size_t i = 0; i < names.size(); ++i)
        require(names[i].isEmpty() != scanned->found[i], "a found stream without a name or a lost one with one");
    return 0;
}
