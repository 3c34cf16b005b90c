// Fuzz target for the bitmap-export presets: any BMPOUT sections give six presets whose every value lies in
// its field's range, whose current settings copy the chosen preset, and which survive a write and a read;
// the stricter profile reader accepts only what reads the same and always accepts the program's own writes.
#include "core/bmp_out_settings.h"
#include "core/ini_store.h"
#include "fuzz/require.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace glyfex::core;
using glyfex::fuzz::require;

namespace {

bool within(long long v, long long lowest, long long highest)
{
    return v >= lowest && v <= highest;
}

void checkRanges(const BmpOutSettings &b, int frameHeight)
{
    require(within(b.cropMinX, 1, 720) && within(b.cropMinY, 1, frameHeight), "minimum size");
    require(within(b.cropDivX, 1, 32) && within(b.cropDivY, 1, 32) && within(b.cropDivL, 1, 32)
                && within(b.cropDivT, 1, 32),
            "a divisor");
    require(within(b.cropXPosMode, 0, 2) && within(b.cropYPosMode, 0, 2), "crop position mode");
    require(within(b.cropShiftX, -720, 720) && within(b.cropShiftY, -576, 576), "crop shift");
    for (size_t i = 0; i < 4; ++i)
        require(within(b.customColor[i], 0, 0xFFFFFF) && within(b.customContrast[i], 0, 15), "colour");
    require(b.depth == BmpOutSettings::FourBits || b.depth == BmpOutSettings::EightBits, "depth");
    require(within(b.posXMode, 0, 3) && within(b.posYMode, 0, 3), "position mode");
    require(within(b.posSetX, 0, 719) && within(b.posSetY, 0, 575), "position");
    require(within(b.posShiftX, -720, 720) && within(b.posShiftY, -576, 576), "position shift");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    // The first byte picks the preset in use (also out of range) and the frame height.
    const int current = int(data[0] & 7) - 1;
    const int frameHeight = data[0] & 8 ? 480 : PalFrameHeight;
    const QByteArray bytes(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    auto store = IniStore::fromBytes(bytes, QStringLiteral("profile.ini"), 1252);
    if (!store)
        return 0;
    const BmpOutPresets read = readBmpOutPresets(*store, current, frameHeight);
    require(read.current >= 0 && read.current < BmpOutPresetCount, "current preset");
    require(read.settings == read.presets[size_t(read.current)], "current settings are not the preset's");
    for (const BmpOutSettings &b : read.presets)
        checkRanges(b, frameHeight);

    IniStore written;
    writeBmpOutPresets(written, read);
    auto again = IniStore::fromBytes(written.fileBytes(), QStringLiteral("again.ini"), 1252);
    require(again.ok(), "the written presets do not read");
    require(readBmpOutPresets(*again, read.current, frameHeight) == read, "presets changed through a write and a read");

    // A profile the user loads is taken whole or refused: taken, it reads as the configuration does;
    // what the program writes is always taken.
    if (auto profile = readBmpOutProfile(*store, current, frameHeight))
        require(*profile == read, "an accepted profile reads otherwise than the configuration");
    auto own = readBmpOutProfile(*again, read.current, frameHeight);
    require(own.ok() && *own == read, "the presets the program writes are refused as a profile");
    return 0;
}
