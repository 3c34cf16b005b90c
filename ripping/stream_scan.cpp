// Stream scan: which of the 32 subpicture substreams the chosen VOB files really carry.
#include "ripping/stream_scan.h"

#include "core/file_read.h"
#include "core/pass_host.h"
#include "ripping/sector_parser.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <vector>

namespace glyfex::ripping {

namespace {

// A pack header (14 bytes), a PES header (9 bytes) with up to 255 header bytes and the substream id.
constexpr int64_t kSectorHead = 280;
constexpr int64_t kSectorBytes = int64_t(kSectorSize);

// The subpicture stream number a sector head carries, or -1. The head holds every byte up to the
// substream id, so the reading pass's own sector parser reads it the same way as a whole sector.
int subpictureStreamOf(std::span<const uint8_t> head)
{
    const SectorInfo info = parseSector(head);
    if (!info.packHeader || info.kind != SectorKind::PrivateStream1 || !info.hasSubstreamId) return -1;
    if (info.substreamId < 0x20 || info.substreamId > 0x3F) return -1;
    return info.substreamId - 0x20;
}

} // namespace

int StreamScanResult::foundCount() const
{
    return int(std::count(found.begin(), found.end(), true));
}

int64_t streamScanStep(int64_t totalBytes)
{
    const int64_t step = (totalBytes / 204800) * kSectorBytes;
    return step > 0 ? step : kSectorBytes;
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
        if (auto opened = core::openPlainFile(file, QStringLiteral("Cannot open the VOB file")); !opened)
            return opened.error();
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

            pos += kSectorBytes;
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
