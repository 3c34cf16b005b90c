// The configuration's blocks turned into the records their users read, and back: recognition tuning, output formats.
#include "app/settings_blocks.h"

#include "subtitles/font_text.h"

namespace glyfex::app {

namespace {

// One walk over the tuning fields serves both directions, so a field can never be copied one way only.
template <class A, class B>
void copyOcr(const A &from, B &to)
{
    to.minLineHeight = from.minLineHeight;
    to.maxLineHeight = from.maxLineHeight;
    to.minInterLine = from.minInterLine;
    to.minCharWidth = from.minCharWidth;
    to.minCharHeight = from.minCharHeight;
    to.spaceWidth = from.spaceWidth;
    to.checkDetachedChar = from.checkDetachedChar;
    to.sensibility = from.sensibility;
    to.maxCharDiffWidth = from.maxCharDiffWidth;
    to.maxCharDiffHeight = from.maxCharDiffHeight;
    to.maxCharDiffTop = from.maxCharDiffTop;
}

void readFont(const QString &text, subtitles::FontSpec &font)
{
    if (auto read = subtitles::fontSpecFromText(text))
        font = *read;
}

} // namespace

recognition::OcrSettings ocrSettingsOf(const core::Config::Ocr &ocr)
{
    recognition::OcrSettings s;
    copyOcr(ocr, s);
    return s;
}

core::Config::Ocr ocrConfigOf(const recognition::OcrSettings &ocr)
{
    core::Config::Ocr c;
    copyOcr(ocr, c);
    return c;
}

void applyOutputConfig(const core::Config &config, subtitles::FormatOptions &o)
{
    // The configuration has checked every number against the range of what it feeds.
    const core::Config::OutputFormats &f = config.output;
    o.dropFrame = config.dropFrame;
    o.glyfexExtended = f.gxtExtended;
    o.glyfexFontColorTags = f.gxtColorTags;
    o.frameRateText = f.frameRate;
    o.microDvdRateLine = f.microDvdRateLine;
    o.tmPlayerVariant = uint8_t(f.tmPlayerVariant);
    o.sv2PreserveStyles = f.sv2PreserveStyles;
    readFont(f.sv2Font, o.sv2Font);
    for (size_t i = 0; i < 4; ++i) {
        o.stlColors[i] = uint32_t(f.stlColors[i]);
        o.stlContrasts[i] = uint8_t(f.stlContrasts[i]);
        o.ssaColors[i] = uint32_t(f.ssaColors[i]);
    }
    o.stlHorzAlign = uint8_t(f.stlHorzAlign);
    o.stlXOffset = uint16_t(f.stlXOffset);
    o.stlVertAlign = uint8_t(f.stlVertAlign);
    o.stlYOffset = uint16_t(f.stlYOffset);
    readFont(f.stlFont, o.stlFont);
    o.ssaMargin = uint16_t(f.ssaMargin);
    o.ssaMarginV = uint16_t(f.ssaMarginV);
    o.ssaBorder = uint8_t(f.ssaBorder);
    o.ssaShadow = uint8_t(f.ssaShadow);
    readFont(f.ssaFont, o.ssaFont);
    o.minimumInterval = uint16_t(f.minimumInterval);
    o.maestroExtended = f.maestroExtended;
}

void collectOutputConfig(const subtitles::FormatOptions &o, core::Config &config)
{
    core::Config::OutputFormats &f = config.output;
    config.dropFrame = o.dropFrame;
    f.gxtExtended = o.glyfexExtended;
    f.gxtColorTags = o.glyfexFontColorTags;
    f.frameRate = o.frameRateText;
    f.microDvdRateLine = o.microDvdRateLine;
    f.tmPlayerVariant = o.tmPlayerVariant;
    f.sv2PreserveStyles = o.sv2PreserveStyles;
    f.sv2Font = subtitles::fontSpecText(o.sv2Font);
    for (size_t i = 0; i < 4; ++i) {
        f.stlColors[i] = int(o.stlColors[i] & 0xFFFFFF);
        f.stlContrasts[i] = o.stlContrasts[i];
        f.ssaColors[i] = int(o.ssaColors[i] & 0xFFFFFF);
    }
    f.stlHorzAlign = o.stlHorzAlign;
    f.stlXOffset = o.stlXOffset;
    f.stlVertAlign = o.stlVertAlign;
    f.stlYOffset = o.stlYOffset;
    f.stlFont = subtitles::fontSpecText(o.stlFont);
    f.ssaMargin = o.ssaMargin;
    f.ssaMarginV = o.ssaMarginV;
    f.ssaBorder = o.ssaBorder;
    f.ssaShadow = o.ssaShadow;
    f.ssaFont = subtitles::fontSpecText(o.ssaFont);
    f.minimumInterval = o.minimumInterval;
    f.maestroExtended = o.maestroExtended;
}

} // namespace glyfex::app
