// Fuzz target: any map file either is refused or reads as rising sectors that survive a write and a read back.
#include "ripping/subtitle_map.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using glyfex::ripping::SubtitleMap;
    auto map = SubtitleMap::fromFileBytes({data, size}, QStringLiteral("fuzz.gxm"));
    if (!map)
        return 0;
    const auto &lines = map->lines();
    for (size_t i = 1; i < lines.size(); ++i)
        if (lines[i].sector <= lines[i - 1].sector)
            std::abort();
    const QByteArray again = map->toFileBytes();
    auto back = SubtitleMap::fromFileBytes({reinterpret_cast<const uint8_t *>(again.constData()), size_t(again.size())},
                                           QStringLiteral("again.gxm"));
    if (!back || !(*back == *map))
        std::abort();
    return 0;
}
