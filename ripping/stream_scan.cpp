// Stream scan: which of the 32 subpicture substreams the chosen VOB files really carry.
#include "ripping/stream_scan.h"

#include "core/byte_reader.h"
#include "core/pass_host.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <vector>

namespace glyfex::ripping {

namespace {

constexpr int64_t kSectorSize = 2048;
// A pack header (14 bytes), a PES header (9 bytes) with up to 255 header bytes and the substream id.
constexpr int64_t kSectorHead = 280;
constexpr uint32_t kPackStart = 0x000001BA;
constexpr uint32_t kPrivateStream1 = 0x000001BD;

// The subpicture stream number a sector head carries, or -1.
int subpictureStreamOf(std::span<const uint8_t> head)
{
    core::ByteReader r(head);
    if (r.be32() != kPackStart) return -1;
    r.seek(14);
    if (r.be32() != kPrivateStream1) return -1;
    // Byte 22: PES header data length; the substream id follows the header data.
    const uint8_t headerLength = r.peekAt(22);
    const uint8_t id = r.peekAt(23 + size_t(headerLength));
    if (r.failed() || id < 0x20 || id > 0x3F) return -1;
    return id - 0x20;
}

} // namespace

int StreamScanResult::foundCount() const
{
    return int(std::count(found.begin(), found.end(), true));
}

int64_t streamScanStep(int64_t totalBytes)
{
    const int64_t step = (totalBytes / 204800) * kSectorSize;
    return step > 0 ? step : kSectorSize;
}

core::Result<StreamScanResult> scanSubpictureStreams(const QStringList &files, core::PassHost &host,
                                                     const std::function<void(const StreamScanStatus &)> &onStatus)
{
    std::vector<int64_t> sizes;
    int64_t total = 0;
    for (const QString &path : files) {
        sizes.push_back(QFileInfo(path).size());
        total += sizes.back();
    }
    const int64_t step = streamScanStep(total);

    StreamScanResult result;
    StreamScanStatus status;
    auto report = [&](int64_t done) {
        host.progress(std::min(done, total), total);
        status.foundCount = result.foundCount();
        if (onStatus) onStatus(status);
    };

    // Bytes of the files before the current one. Progress counts steps crossed rather than exact multiples
    // of the step, so a file whose size is not a whole number of sectors does not stop the reports (and
    // with them the chance to cancel) for every file after it.
    int64_t before = 0;
    int64_t stepsReported = 0;
    host.progress(0, total);
    for (qsizetype i = 0; i < files.size() && !result.cancelled; ++i) {
        const QString &path = files[i];
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return core::makeError(QStringLiteral("Cannot open the VOB file"), QDir::toNativeSeparators(path),
                                   file.errorString());
        status.currentFile = QFileInfo(path).fileName();
        report(before);

        uint8_t head[kSectorHead];
        int64_t pos = 0;
        for (;;) {
            const int64_t got = file.read(reinterpret_cast<char *>(head), kSectorHead);
            if (got < 0)
                return core::makeError(QStringLiteral("Cannot read the VOB file"),
                                       QDir::toNativeSeparators(path) + QStringLiteral(", byte %1").arg(pos),
                                       file.errorString());
            if (got < kSectorHead) break; // a short last sector ends the file
            const int stream = subpictureStreamOf(head);
            if (stream >= 0) result.found[size_t(stream)] = true;

            pos += kSectorSize;
            const int64_t done = before + std::min(pos, sizes[size_t(i)]);
            if (done / step > stepsReported) {
                stepsReported = done / step;
                report(done);
                if (host.pump() == core::PumpResult::Cancel) {
                    result.cancelled = true;
                    break;
                }
            }
            // Only the head is needed: the rest of the sector is skipped.
            if (!file.seek(pos)) break;
        }
        before += sizes[size_t(i)];
    }
    if (!result.cancelled) report(total);
    return result;
}

void markScannedStreams(StreamNames &names, const FoundStreams &found)
{
    for (size_t i = 0; i < names.size(); ++i) {
        QString &name = names[i];
        if (!found[i])
            name.clear();
        else if (name.isEmpty())
            name = QStringLiteral("???");
        else if (name[0] != QLatin1Char('?') && name[0] != QLatin1Char('~'))
            name.prepend(QLatin1Char('~'));
    }
}

} // namespace glyfex::ripping
