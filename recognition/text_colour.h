// Chooses which pixel codes of a subtitle picture are its text (and outline), and colours the picture.
#pragma once

#include <cstddef> // before code_image.h, which uses size_t
#include "recognition/segmentation.h"
#include "picture/code_image.h"

#include <array>
#include <cstdint>
#include <optional>

namespace glyfex::recognition {

// Per pixel code 0..3: 2 = may be text, 1 = background or not text, 0 = not present.
enum : uint8_t { CandidateAbsent = 0, CandidateBackground = 1, CandidateText = 2 };
using ColourCandidates = std::array<uint8_t, 4>;

// Sets the ink codes from the picture and the candidate values, which it updates for this picture.
// nullopt when the picture holds no candidate code: the caller counts it as skipped and drops it.
// With three or more codes, an outline that surrounds the text (or the smaller of two very unequal
// codes) is dropped when some row holds exactly those two candidate codes.
std::optional<InkCodes> detectTextColours(const picture::CodeImage &image, ColourCandidates &candidates);

// The ink codes the user chose among the pixel codes 0..3: the lowest checked code is the text and the
// next one its outline, whatever order they were checked in. nullopt unless one or two are checked.
std::optional<InkCodes> inkCodesOfChoice(const std::array<bool, 4> &checked);

// The coloured copy of the picture: each pixel becomes colourMap[its code], the DVD palette index of the
// code. Codes above 3 (marker paint) have no colour of their own and take the background's.
picture::CodeImage buildColourImage(const picture::CodeImage &image, const std::array<uint8_t, 4> &colourMap);

// The displayed colour (0x00RRGGBB) of each pixel code, from the code's palette index and the DVD palette
// (0x00BBGGRR entries, as the IFO and index files give them). Indexes above 15 are taken modulo 16.
std::array<uint32_t, 4> codeColours(const std::array<uint8_t, 4> &colourMap, const std::array<uint32_t, 16> &dvdPalette);

} // namespace glyfex::recognition
