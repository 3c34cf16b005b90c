// Feeds arbitrary bytes to the bitmap settings profile reader: it either refuses them or gives presets that
// are all inside their ranges and read back the same after a write.
#include "core/bmp_out_settings.h"
#include "core/ini_store.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace glyfex::core;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    auto store = IniStore::fromBytes(bytes, QStringLiteral("fuzz.ini"), 1252);
    if (!store)
        return 0;
    auto presets = readBmpOutProfile(*store, DefaultBmpOutPreset);
    if (!presets)
        return 0;
    IniStore written;
    writeBmpOutPresets(written, *presets);
    auto again = readBmpOutProfile(written, DefaultBmpOutPreset);
    if (!again || again->presets != presets->presets)
        std::abort();
    return 0;
}
