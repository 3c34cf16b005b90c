// Tall text brought within the glyph bitmap: the work picture of a large frame reduced by a whole factor before segmentation.
#pragma once

#include <cstddef> // before code_image.h, which uses size_t
#include "recognition/segmentation.h"
#include "picture/code_image.h"

namespace glyfex::recognition {

// The rows of the tallest frame whose pictures are read as they are: a DVD frame.
inline constexpr int kUnreducedFrameRows = 576;

// The factor by which recognition reduces every picture shown on a frame of frameRows rows: 1 up to
// 576 rows (and when the frame is not known), else the smallest whole factor that brings the frame
// within 576 rows (2 for 720 and 1080 rows, 4 for 2160). It depends on the frame alone, so every
// picture of a run, and of every disc of one frame size, is read at one scale and a shape taught
// once is recognised again.
int reductionFactor(int frameRows);

// The picture reduced by factor: pixel (x, y) stands for the factor x factor block from (x, y) x
// factor, cut at the right and bottom edges. It is ink when at least half of the block's pixels are
// ink, then with the ink code that covers more of the block (the text code on a tie); otherwise it
// takes the commonest other code (the lowest on a tie). Factor 1 returns the picture unchanged.
picture::CodeImage reducePicture(const picture::CodeImage &image, InkCodes ink, int factor);

} // namespace glyfex::recognition
