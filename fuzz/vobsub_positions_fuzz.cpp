// Fuzz target for a VobSub .sub read by its index's unit positions: any positions over any file. The pass
// ends, hands on only units that begin on a sector of the file, inside the unit size limit and no more than
// the index lists, names an index line in every warning, and a run paused after every unit hands on the same.
#include "fuzz/require.h"
#include "ripping/vob_pass.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <vector>

using namespace glyfex;
using glyfex::fuzz::require;

namespace {

struct Seen {
    QByteArray digest;
    int64_t sectorPos = 0;
    uint32_t numberInFile = 0;
    bool operator==(const Seen &) const = default;
};

class Recorder : public ripping::UnitHandler {
public:
    explicit Recorder(int64_t fileSize) : m_fileSize(fileSize) {}
    core::Result<void> handleUnit(const ripping::SpuUnit &unit) override
    {
        require(unit.bytes.size() <= ripping::kMaxUnitSize, "a unit above the size limit");
        require(unit.sectorPos >= 0 && unit.sectorPos % 2048 == 0 && unit.sectorPos < m_fileSize,
                "a unit that begins on no sector of the file");
        units.push_back({QCryptographicHash::hash(QByteArrayView(unit.bytes.data(), qsizetype(unit.bytes.size())),
                                                  QCryptographicHash::Sha1),
                         unit.sectorPos, unit.numberInFile});
        justCompleted = true;
        return {};
    }
    std::vector<Seen> units;
    bool justCompleted = false;

private:
    int64_t m_fileSize;
};

// Never asks, pauses after every unit when told to, and checks every warning names its line.
class Host : public ripping::VobPassHost {
public:
    Host(Recorder &recorder, bool pauseEveryUnit) : m_recorder(recorder), m_pause(pauseEveryUnit) {}
    void progress(int64_t, int64_t) override {}
    core::PumpResult pump() override
    {
        if (m_pause && m_recorder.justCompleted) {
            m_recorder.justCompleted = false;
            return core::PumpResult::Pause;
        }
        return core::PumpResult::Continue;
    }
    core::Answer askBadPack(int64_t) override { return core::Answer::YesToAll; }
    void videoStandardChanged(const core::VideoStandard &, int, int) override {}
    void warn(const QString &text) override
    {
        require(!text.startsWith(QStringLiteral("Line ")) || text.contains(QStringLiteral(" of movie.idx ")),
                "an index warning without the index's name");
        ++warnings;
    }
    int warnings = 0;

private:
    Recorder &m_recorder;
    bool m_pause;
};

std::vector<Seen> run(const QString &sub, int64_t size, const std::vector<ripping::VobSubUnit> &entries, bool pause)
{
    ripping::RunState state;
    state.vobList = {sub};
    state.vobSizes = {size};
    state.totalBytes = size;
    state.streamId = 0x20;
    state.idxFileName = QStringLiteral("movie.idx");
    state.useIndexOffsets = true;
    state.vobSubUnits = entries;
    Recorder recorder(size);
    Host host(recorder, pause);
    ripping::VobPass pass(state, host, recorder);
    for (int guard = 0; !state.finished() && !state.stopped; ++guard) {
        require(guard < 100000, "the run does not end");
        if (pass.readCurrentFile().end == ripping::PassEnd::Paused)
            state.paused = false;
    }
    require(recorder.units.size() <= entries.size(), "more units than the index lists");
    require(state.indexSkipped <= entries.size(), "more entries passed over than the index lists");
    require(recorder.units.size() + state.indexSkipped <= entries.size(), "entries counted twice");
    return recorder.units;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Byte 0: the number of index entries; then 5 bytes (big-endian) per entry, the unit's position; the
    // rest is the .sub.
    if (size < 1)
        return 0;
    const size_t count = data[0];
    if (size < 1 + 5 * count)
        return 0;
    std::vector<ripping::VobSubUnit> entries;
    for (size_t k = 0; k < count; ++k) {
        const uint8_t *p = data + 1 + 5 * k;
        int64_t pos = 0;
        for (int i = 0; i < 5; ++i)
            pos = pos << 8 | p[i];
        const int64_t ms = int64_t(k) * 1000;
        entries.push_back({core::millisecondsToTimeCode(ms), ms, pos, int(k) + 3});
    }
    const uint8_t *sub = data + 1 + 5 * count;
    const size_t subSize = size - 1 - 5 * count;

    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("movie.sub"));
    {
        // Overwritten and then cut to its length, never emptied first: a file emptied right after it was
        // written is flushed to disk when it is closed (ext4 does so for files replaced that way), which took
        // most of each input's time.
        QFile file(path);
        require(file.open(QIODevice::ReadWrite), "cannot write the input file");
        require(file.write(reinterpret_cast<const char *>(sub), qint64(subSize)) == qint64(subSize), "short write");
        require(file.resize(qint64(subSize)), "cannot cut the input file to its length");
    }
    const std::vector<Seen> straight = run(path, int64_t(subSize), entries, false);
    const std::vector<Seen> paused = run(path, int64_t(subSize), entries, true);
    require(paused == straight, "a run paused after every unit hands on other units");
    return 0;
}
