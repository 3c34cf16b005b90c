// Fuzz target for the configuration's value checks: whatever Glyfex.ini holds, every value loaded lies in the
// range of what it feeds, and the loaded configuration survives a write and a second load unchanged.
#include "core/config.h"
#include "core/ini_store.h"
#include "fuzz/require.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace glyfex::core;
using glyfex::fuzz::require;

namespace {

bool within(int v, int lowest, int highest)
{
    return v >= lowest && v <= highest;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    auto store = IniStore::fromBytes(bytes, QStringLiteral("Glyfex.ini"), 1252);
    if (!store)
        return 0;
    const Config::Folders folders{QStringLiteral("/matrices"), QStringLiteral("/start")};
    const Config c = Config::load(*store, folders, Config::Ocr{}, QLocale::c(), {});

    // The values that index lists, divide or size something.
    require(within(c.main.actionMode, 0, 3) && within(c.main.priority, 0, 3), "action mode or priority");
    require(within(c.main.subtWndHeight, 1, 65535) && within(c.main.activePage, 0, 24), "window height or page");
    require(within(c.subtitleFontSize, 1, 1000) && within(c.inputType, 1, 13), "font size or input type");
    require(within(c.preview.zoom, 100, 2000) && within(c.preview.backMode, 0, 3)
                && within(c.preview.aspectRatioMode, 0, 2) && within(c.preview.freeAspectRatio, 0, 288),
            "preview");
    require(within(c.ocr.minLineHeight, 0, 45) && within(c.ocr.maxLineHeight, 0, 45)
                && within(c.ocr.minInterLine, 1, 50) && within(c.ocr.minCharWidth, 1, 45)
                && within(c.ocr.minCharHeight, 1, 45) && within(c.ocr.spaceWidth, -10, 45)
                && within(c.ocr.sensibility, 0, 1000) && within(c.ocr.maxCharDiffWidth, 0, 45)
                && within(c.ocr.maxCharDiffHeight, 0, 45) && within(c.ocr.maxCharDiffTop, 0, 45),
            "OCR settings");
    const auto &f = c.output;
    require(within(f.tmPlayerVariant, 1, 5) && within(f.stlHorzAlign, 0, 2) && within(f.stlVertAlign, 0, 2)
                && within(f.stlXOffset, 0, 719) && within(f.stlYOffset, 0, 575) && within(f.ssaMargin, 0, 720)
                && within(f.ssaMarginV, 0, 576) && within(f.ssaBorder, 0, 50) && within(f.ssaShadow, 0, 50)
                && within(f.minimumInterval, 0, 999),
            "output formats");
    for (int i = 0; i < 4; ++i)
        require(within(f.stlContrasts[size_t(i)], 0, 15), "STL contrast");
    require(within(c.correction.ilLanguage, 0, 6), "I/l language");

    // Written and read again, nothing changes (OCR SETTING has a writer of its own and is left out).
    IniStore written;
    c.save(written);
    auto again = IniStore::fromBytes(written.fileBytes(), QStringLiteral("again.ini"), 1252);
    require(again.ok(), "the written configuration does not read");
    const Config back = Config::load(*again, folders, c.ocr, QLocale::c(), {});
    require(back == c, "the configuration changed through a write and a read");
    return 0;
}
