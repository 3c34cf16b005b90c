// The DVD subpicture decoder: one subpicture unit into the decoded-picture state.
#pragma once

#include "picture/decoded_picture.h"

#include <cstdint>
#include <span>

namespace glyfex::ripping {

// Decodes the unit at the start of `unit` (the bytes gathered for it, which may be fewer than its size
// field announces) into `picture`: display sequences, per-code tables, colour change flags against the
// previous unit, and the pixel codes trimmed to what is visible, with the first sequence's area moved
// to the trimmed picture. `frameWidth` and `frameHeight` are the input's frame size, 0 when unknown:
// the picture is at most frameHeight rows (576 when unknown) and frameWidth columns, but never fewer
// than the 720 of a DVD line (a DVD title set, whatever its video size, and an unknown frame).
//
// Never fails: a damaged unit gives a bounded picture of whatever its data allows. Every read stays
// inside `unit` and inside the unit's own size, and every write inside the picture. Returns whether the
// unit was whole: its header, every byte its size announces, and each control sequence up to its
// end-of-commands byte. A damaged unit that leaves nothing visible is a subtitle lost, which the run
// counts and tells.
bool decodeSubpicture(std::span<const uint8_t> unit, int frameWidth, int frameHeight, picture::DecodedPicture &picture);

} // namespace glyfex::ripping
