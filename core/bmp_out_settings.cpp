// The bitmap-export presets in the configuration or a profile file: sections "BMPOUT 0" to "BMPOUT 5".
#include "core/bmp_out_settings.h"

#include "core/config.h"
#include "core/file_read.h"
#include "core/ini_store.h"

#include <QDir>
#include <QFileInfo>

#include <optional>

namespace glyfex::core {

namespace {

// Only these tools let the user choose the depth, so only their sections hold it.
bool storesDepth(int preset)
{
    return preset == PresetPhilipsSvcd || preset == PresetSonicScenarist || preset == PresetSpruceDvdMaestro;
}

QString sectionOf(int preset)
{
    return QStringLiteral("BMPOUT ") + QString::number(preset);
}

// The keys of one preset in the order of a new section, with defaults and ranges.
template <class V>
void visitPreset(const QString &s, BmpOutSettings &b, const BmpOutSettings &d, int frameHeight, V &v)
{
    v.boolean(s, "Cropping_Enabled", b.croppingEnabled, d.croppingEnabled);
    v.integer(s, "Cropping_MinX", b.cropMinX, d.cropMinX, 1, 720);
    v.integer(s, "Cropping_MinY", b.cropMinY, d.cropMinY, 1, frameHeight);
    v.integer(s, "Cropping_DivX", b.cropDivX, d.cropDivX, 1, 32);
    v.integer(s, "Cropping_DivY", b.cropDivY, d.cropDivY, 1, 32);
    v.integer(s, "Cropping_XPosMode", b.cropXPosMode, d.cropXPosMode, 0, 2);
    v.integer(s, "Cropping_YPosMode", b.cropYPosMode, d.cropYPosMode, 0, 2);
    v.integer(s, "Cropping_PosShift.X", b.cropShiftX, d.cropShiftX, -720, 720);
    v.integer(s, "Cropping_PosShift.Y", b.cropShiftY, d.cropShiftY, -576, 576);
    v.integer(s, "Cropping_DivL", b.cropDivL, d.cropDivL, 1, 32);
    v.integer(s, "Cropping_DivT", b.cropDivT, d.cropDivT, 1, 32);
    v.boolean(s, "Colors_Custom", b.customColours, d.customColours);
    for (int i = 0; i < 4; ++i) {
        v.integer(s, "Colors_CustColor_" + QString::number(i), b.customColour[i], d.customColour[i], 0, 0xFFFFFF);
        v.integer(s, "Colors_CustContrast_" + QString::number(i), b.customContrast[i], d.customContrast[i], 0, 15);
    }
}

template <class V>
void visitPresetTail(const QString &s, BmpOutSettings &b, const BmpOutSettings &d, V &v)
{
    v.boolean(s, "Colors_Compress", b.compress, d.compress);
    v.boolean(s, "Positioning_Enabled", b.positioningEnabled, d.positioningEnabled);
    v.integer(s, "Positioning_XPosMode", b.posXMode, d.posXMode, 0, 3);
    v.integer(s, "Positioning_SetTo.X", b.posSetX, d.posSetX, 0, 719);
    v.integer(s, "Positioning_PosShift.X", b.posShiftX, d.posShiftX, -720, 720);
    v.integer(s, "Positioning_YPosMode", b.posYMode, d.posYMode, 0, 3);
    v.integer(s, "Positioning_SetTo.Y", b.posSetY, d.posSetY, 0, 575);
    v.integer(s, "Positioning_PosShift.Y", b.posShiftY, d.posShiftY, -576, 576);
}

const QString BitPerPixel = QStringLiteral("Colors_BitPerPixel");

// Checks the keys a profile holds without changing anything: the first value that is no number or
// lies outside its field's range is remembered with its place.
struct ProfileChecker {
    const IniStore &store;
    QString problem;

    void note(const QString &section, const QString &key, const QString &why)
    {
        if (problem.isEmpty())
            problem = QStringLiteral("[%1] %2: %3").arg(section, key, why);
    }
    // The key's number, or nothing when the key is missing or (noted) no number.
    std::optional<int> number(const QString &section, const QString &name)
    {
        if (!store.valueExists(section, name))
            return std::nullopt;
        // Two different defaults tell a number from text that only parses to the default.
        const int v = store.readInteger(section, name, 0);
        if (v != store.readInteger(section, name, 1)) {
            note(section, name, QStringLiteral("\"%1\" is not a number").arg(store.readString(section, name).left(40)));
            return std::nullopt;
        }
        return v;
    }
    template <class Key>
    void check(const QString &section, const Key &key, int lowest, int highest)
    {
        const QString name = QString(key);
        const auto v = number(section, name);
        if (v && (*v < lowest || *v > highest))
            note(section, name, QStringLiteral("%1 is outside %2..%3").arg(*v).arg(lowest).arg(highest));
    }
    template <class Key>
    void boolean(const QString &section, const Key &key, bool, bool)
    {
        check(section, key, 0, 1);
    }
    template <class Key, class T>
    void integer(const QString &section, const Key &key, T, T, int lowest, int highest, StoredAs = StoredAs::Whole)
    {
        check(section, key, lowest, highest);
    }
};

// The largest profile read: six sections of a few dozen short lines need far less.
constexpr qint64 kMaxProfileSize = 256 * 1024;

} // namespace

void followFrameHeight(BmpOutPresets &presets, int frameHeight)
{
    const bool pal = frameHeight == 0 || frameHeight == PalFrameHeight;
    const auto follow = [pal](BmpOutSettings &b) {
        if (!pal && b.cropMinY >= PalFrameHeight - 2)
            b.cropMinY = NtscFrameHeight - 2;
        else if (pal && b.cropMinY >= NtscFrameHeight - 2 && b.cropMinY <= NtscFrameHeight)
            b.cropMinY = PalFrameHeight - 2;
    };
    for (BmpOutSettings &b : presets.presets)
        follow(b);
    follow(presets.settings);
}

int exportFrameHeight(int sourceHeight, bool ntsc)
{
    if (sourceHeight <= PalFrameHeight)
        return sourceHeight;
    return ntsc ? NtscFrameHeight : PalFrameHeight;
}

BmpOutSettings defaultBmpOutPreset(int preset, int frameHeight)
{
    BmpOutSettings b;
    const bool fullFrame = preset == PresetSonicDvdCreator || preset == PresetSonicScenarist
        || preset == PresetPinnacleImpression;
    if (fullFrame) {
        b.cropMinX = 720;
        b.cropMinY = uint16_t(frameHeight - 2);
    }
    if (preset == PresetSpruceDvdMaestro) {
        b.cropDivL = 8;
        b.cropDivT = 2;
    }
    if (preset == PresetIAuthor)
        b.customColour[2] = 0x000000;
    return b;
}

BmpOutPresets readBmpOutPresets(const IniStore &store, int current, int frameHeight)
{
    BmpOutPresets result;
    const IniKeyReader reader{store};
    for (int n = 0; n < BmpOutPresetCount; ++n) {
        const BmpOutSettings d = defaultBmpOutPreset(n, frameHeight);
        BmpOutSettings &b = result.presets[n];
        b = d;
        const QString s = sectionOf(n);
        visitPreset(s, b, d, frameHeight, reader);
        if (storesDepth(n)) {
            // 8 bits (in the low byte, as the byte field keeps it) or 4 bits; anything else is the default 4 bits.
            b.depth = uint8_t(store.readInteger(s, BitPerPixel, 4)) == 8 ? BmpOutSettings::EightBits
                                                                         : BmpOutSettings::FourBits;
        }
        visitPresetTail(s, b, d, reader);
    }
    // These tools take one depth only.
    result.presets[PresetIAuthor].depth = BmpOutSettings::FourBits;
    result.presets[PresetSonicDvdCreator].depth = BmpOutSettings::EightBits;
    result.presets[PresetPinnacleImpression].depth = BmpOutSettings::EightBits;
    result.current = current >= 0 && current < BmpOutPresetCount ? current : DefaultBmpOutPreset;
    result.settings = result.presets[result.current];
    return result;
}

void writeBmpOutPresets(IniStore &store, const BmpOutPresets &presets)
{
    const IniKeyWriter writer{store};
    for (int n = 0; n < BmpOutPresetCount; ++n) {
        BmpOutSettings b = presets.presets[n];
        const QString s = sectionOf(n);
        visitPreset(s, b, b, PalFrameHeight, writer);
        if (storesDepth(n))
            store.writeInteger(s, BitPerPixel, b.depth == BmpOutSettings::EightBits ? 8 : 4);
        visitPresetTail(s, b, b, writer);
    }
}

Result<BmpOutPresets> loadBmpOutPresets(const QString &path, int current, int frameHeight)
{
    auto store = IniStore::open(path);
    if (!store)
        return store.error();
    return readBmpOutPresets(*store, current, frameHeight);
}

Result<BmpOutPresets> readBmpOutProfile(const IniStore &store, int current, int frameHeight)
{
    const QString what = QStringLiteral("The bitmap settings profile cannot be loaded");
    const QString where = store.fileName();
    bool anySection = false;
    ProfileChecker checker{store, {}};
    for (int n = 0; n < BmpOutPresetCount && checker.problem.isEmpty(); ++n) {
        const QString s = sectionOf(n);
        if (store.readSection(s).isEmpty())
            continue;
        anySection = true;
        BmpOutSettings b = defaultBmpOutPreset(n, frameHeight);
        const BmpOutSettings d = b;
        visitPreset(s, b, d, frameHeight, checker);
        if (storesDepth(n)) {
            const auto depth = checker.number(s, BitPerPixel);
            if (depth && *depth != 4 && *depth != 8)
                checker.note(s, BitPerPixel, QStringLiteral("%1 is neither 4 nor 8").arg(*depth));
        }
        visitPresetTail(s, b, d, checker);
    }
    if (!checker.problem.isEmpty())
        return makeError(what, where, checker.problem);
    if (!anySection)
        return makeError(what, where, QStringLiteral("it holds no [BMPOUT 0] to [BMPOUT 5] section"));
    return readBmpOutPresets(store, current, frameHeight);
}

Result<BmpOutPresets> loadBmpOutProfile(const QString &path, int current, int frameHeight)
{
    const QString what = QStringLiteral("The bitmap settings profile cannot be loaded");
    const QString where = QDir::toNativeSeparators(path);
    if (!QFileInfo::exists(path))
        return makeError(what, where, QStringLiteral("there is no such file"));
    const auto bytes = readPlainFile(path, kMaxProfileSize, what, [&](qint64 size) {
        return makeError(what, where,
                         QStringLiteral("it is %1 bytes long, more than a profile can be (%2)").arg(size).arg(kMaxProfileSize));
    });
    if (!bytes)
        return bytes.error();
    auto store = IniStore::fromBytes(*bytes, path);
    if (!store)
        return store.error();
    return readBmpOutProfile(*store, current, frameHeight);
}

Result<void> saveBmpOutPresets(const QString &path, const BmpOutPresets &presets)
{
    auto store = IniStore::open(path);
    if (!store)
        return store.error();
    writeBmpOutPresets(*store, presets);
    return store->updateFile();
}

} // namespace glyfex::core
