// Turning the work picture of pixel codes into a displayable image in the DVD's colours.
#pragma once

#include "ripping/batch_state.h"
#include "picture/code_image.h"

#include <QColor>
#include <QImage>

#include <array>
#include <cstdint>

namespace glyfex::ripping::ui {

// The program keeps colours as 0x00BBGGRR (red in the low byte); Qt's colours for showing them.
QColor colourOfBgr(uint32_t bgr);
uint32_t bgrOfColour(const QColor &colour);

// Codes 0-3 take the DVD colour their colour map names, or the background where their contrast
// is 0 (fully transparent); marker codes above 3 keep the work picture's own marker colours.
QImage codePictureImage(const picture::CodeImage &codes, const std::array<uint8_t, 4> &colourMap,
                        const std::array<uint8_t, 4> &contrastMap, const DvdPalette &palette, uint32_t background);

} // namespace glyfex::ripping::ui
