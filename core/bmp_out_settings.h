// The bitmap-export settings (cropping, colours, positioning) and the six presets, one per authoring tool.
#pragma once

#include "core/result.h"

#include <QString>

#include <array>
#include <cstdint>

namespace glyfex::core {

// How a subtitle picture becomes an exported bitmap; copied whole between the presets and the
// current settings. Positions and sizes are pixels of a 720-pixel-wide frame; colours 0x00BBGGRR.
struct BmpOutSettings {
    enum Depth : uint8_t { FourBits = 2, EightBits = 3 };

    bool croppingEnabled = true;
    uint16_t cropMinX = 16;    // minimum bitmap width, 1-720
    uint16_t cropMinY = 50;    // minimum bitmap height, 1-frame height
    uint8_t cropDivX = 8;      // bitmap width a multiple of this, 1-32
    uint8_t cropDivY = 2;      // bitmap height a multiple of this, 1-32
    uint8_t cropXPosMode = 1;  // picture inside a larger bitmap: 0 left, 1 centre, 2 right
    uint8_t cropYPosMode = 1;  // 0 top, 1 centre, 2 bottom
    int32_t cropShiftX = 0;    // -720..720
    int32_t cropShiftY = 0;    // -576..576
    uint8_t cropDivL = 1;      // bitmap left on the frame a multiple of this, 1-32
    uint8_t cropDivT = 1;      // bitmap top a multiple of this, 1-32
    bool customColours = false;
    std::array<uint32_t, 4> customColour{0x000000, 0xFFFFFF, 0xFF0000, 0x808080};
    std::array<uint8_t, 4> customContrast{0, 15, 15, 15}; // 0-15 each
    uint8_t depth = FourBits;
    bool compress = false;     // run-length compressed bitmap files
    bool positioningEnabled = false;
    uint8_t posXMode = 0;      // 0 keep, 1 centre, 2 right, 3 set to posSetX
    int32_t posSetX = 0;       // 0-719
    int32_t posSetY = 0;       // 0-575
    uint8_t posYMode = 0;      // 0 keep, 1 centre, 2 bottom, 3 set to posSetY
    int32_t posShiftX = 0;     // -720..720
    int32_t posShiftY = 0;     // -576..576

    bool operator==(const BmpOutSettings &) const = default;
};

// The presets, in the order of the Bitmap adjustment dialog's preset choice.
enum BmpOutPreset : int {
    PresetIAuthor = 0,
    PresetPhilipsSvcd = 1,
    PresetSonicDvdCreator = 2,
    PresetSonicScenarist = 3,
    PresetSpruceDvdMaestro = 4,
    PresetPinnacleImpression = 5,
};
inline constexpr int BmpOutPresetCount = 6;
// The preset in use until the user picks another.
inline constexpr int DefaultBmpOutPreset = PresetSonicScenarist;

struct BmpOutPresets {
    std::array<BmpOutSettings, BmpOutPresetCount> presets;
    int current = DefaultBmpOutPreset; // index of the preset in use
    BmpOutSettings settings;           // the current settings the export engine uses

    bool operator==(const BmpOutPresets &) const = default;
};

class IniStore;

// The designed frame height that bounds the minimum bitmap height; an NTSC input lowers it to 480.
inline constexpr int PalFrameHeight = 576;
inline constexpr int NtscFrameHeight = 480;

// The full-frame tools' minimum bitmap height follows the frame: on an NTSC frame (any height but 576 and
// 0) every minimum of 574 or more, in the presets and the current settings, becomes 478; on a PAL frame a
// minimum of 478 to 480, which an NTSC frame lowered, is 574 again.
void followFrameHeight(BmpOutPresets &presets, int frameHeight);

// The height of the frame the bitmaps are exported onto, which the authoring tools place on a DVD
// frame: the source's own height up to the 576 rows of PAL (0 while unknown); a taller source (HD) is
// brought onto the DVD frame of the standard its script is written in, 480 rows NTSC or 576 PAL.
int exportFrameHeight(int sourceHeight, bool ntsc);

// The defaults of one preset before anything is read (they differ by authoring tool).
BmpOutSettings defaultBmpOutPreset(int preset, int frameHeight = PalFrameHeight);

// Reads sections "BMPOUT 0" to "BMPOUT 5" over the per-preset defaults; every value outside the range
// of its field takes its default. The depth of presets 0, 2 and 5 is fixed by their tool (4, 8, 8 bits)
// whatever the file says; the current settings become a copy of preset current (0-5).
BmpOutPresets readBmpOutPresets(const IniStore &store, int current, int frameHeight = PalFrameHeight);
// Writes the six presets (not the current settings) into their sections; other sections stay.
void writeBmpOutPresets(IniStore &store, const BmpOutPresets &presets);

// The same on a file: the configuration or a profile the user chose. A missing file gives the
// defaults; a file that cannot be read is an error and nothing is changed.
Result<BmpOutPresets> loadBmpOutPresets(const QString &path, int current, int frameHeight = PalFrameHeight);
Result<void> saveBmpOutPresets(const QString &path, const BmpOutPresets &presets);

// A profile file the user chose is taken whole or not at all: a value that is no number or lies
// outside its field's range, a file without any preset section, a missing or oversized file is an
// error naming the file and the key. Keys the profile lacks take their defaults.
Result<BmpOutPresets> readBmpOutProfile(const IniStore &store, int current, int frameHeight = PalFrameHeight);
Result<BmpOutPresets> loadBmpOutProfile(const QString &path, int current, int frameHeight = PalFrameHeight);

} // namespace glyfex::core
