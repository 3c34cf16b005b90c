// Tall text brought within the glyph bitmap: the work picture of a large frame reduced by a whole factor before segmentation.
#pragma once

#include <cstddef> // before code_image.h, which uses size_t
#include "recognition/segmentation.h"
#include "picture/code_image.h"

#include <vector>

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
// takes the commonest other code (the lowest on a tie). A mark of thin strokes that this leaves without
// any ink (an apostrophe, a comma: pixels touching each other, at least half a block of them) keeps,
// as ink, each block it touches that has no ink beside it.
// Factor 1 returns the picture unchanged.
picture::CodeImage reducePicture(const picture::CodeImage &image, InkCodes ink, int factor);

// The work picture as recognition reads it on a tall frame, and where each of its rows came from.
struct ReducedPicture {
    picture::CodeImage image;
    // sourceTop[r] is the first row of the picture that reduced row r stands for; one more entry, the
    // picture's height, closes the last row.
    std::vector<int> sourceTop;
    // reducedRow[y] is the reduced row that stands for row y of the picture.
    std::vector<int> reducedRow;
};

// The picture reduced as reducePicture does, but band by band: the rows that hold ink and the rows
// that hold none are reduced apart, each run in blocks from its own top row. A gap of empty rows
// between two lines of text thus stays empty, however thin (a uniform grid would fill a one-row gap
// from the descender above it), and a line's shapes do not depend on where its picture starts.
// Factor 1 returns the picture unchanged.
ReducedPicture reduceByBands(const picture::CodeImage &image, InkCodes ink, int factor);

} // namespace glyfex::recognition
