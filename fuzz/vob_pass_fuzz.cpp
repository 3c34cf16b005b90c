// Fuzz target for the reading pass over a stream of sectors: any file is read to its end, building its subtitle
// map; a second pass that follows the map it wrote hands on the same units, each inside the unit size limit.
#include "fuzz/require.h"
#include "ripping/subtitle_map.h"
#include "ripping/vob_pass.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace glyfex;
using glyfex::fuzz::require;

namespace {

struct Seen {
    QByteArray digest;
    core::TimeCode time;
    int64_t sectorPos = 0;
    bool operator==(const Seen &) const = default;
};

class Recorder : public ripping::UnitHandler {
public:
    core::Result<void> handleUnit(const ripping::SpuUnit &unit) override
    {
        require(unit.bytes.size() <= ripping::kMaxUnitSize, "a unit above the size limit");
        require(unit.sectorPos >= 0 && unit.sectorPos % 2048 == 0, "a unit's sector is not on a sector boundary");
        units.push_back({QCryptographicHash::hash(QByteArrayView(unit.bytes.data(), qsizetype(unit.bytes.size())),
                                                  QCryptographicHash::Sha1),
                         unit.time, unit.sectorPos});
        return {};
    }
    std::vector<Seen> units;
};

// One run over the file, as the main window drives it: pass after pass until the run is finished.
std::vector<Seen> run(const QString &vob, int64_t size)
{
    ripping::RunState state;
    state.vobList = {vob};
    state.vobSizes = {size};
    state.totalBytes = size;
    state.streamId = 0x20;
    Recorder recorder;
    ripping::SilentVobPassHost host(core::Answer::YesToAll);
    ripping::VobPass pass(state, host, recorder);
    for (int guard = 0; !state.finished() && !state.stopped; ++guard) {
        require(guard < 1000, "the run does not end");
        (void)pass.readCurrentFile();
    }
    return recorder.units;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    const QString vob = dir.filePath(QStringLiteral("VTS_01_1.VOB"));
    const QString map = ripping::SubtitleMap::pathFor(vob);
    QFile::remove(map);
    {
        QFile file(vob);
        require(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "cannot write the input file");
        require(file.write(reinterpret_cast<const char *>(data), qint64(size)) == qint64(size), "short write");
    }
    const std::vector<Seen> first = run(vob, int64_t(size));
    if (!QFile::exists(map))
        return 0;
    const std::vector<Seen> second = run(vob, int64_t(size));
    require(second == first, "following the map hands on other units than the full pass");
    return 0;
}
