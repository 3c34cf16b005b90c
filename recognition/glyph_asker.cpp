// The question and answer of an unknown glyph: which buttons an answer needs and which boxes a run covers.
#include "recognition/glyph_asker.h"

namespace glyfex::recognition {

bool AskButtons::allows(AnswerCode code) const
{
    switch (code) {
    case AnswerCode::ExtendLeft:
        return extendLeft;
    case AnswerCode::ExtendRight:
        return extendRight;
    case AnswerCode::SkipLine:
        return skipLine;
    case AnswerCode::MatrixLoaded:
        return searchMatrix;
    case AnswerCode::SameAsLast:
        return sameAsLast;
    case AnswerCode::FillManually:
        return fillManually;
    // No button answers these two: colour change and fill matrix pause the run and answer Pause.
    case AnswerCode::ChangeColour:
    case AnswerCode::FillMatrix:
        return false;
    default:
        return true;
    }
}

std::vector<int> GlyphQuestion::runBoxes() const
{
    std::vector<int> out;
    for (int i = 0; i <= runLength; ++i) {
        const int b = rightToLeft ? box - i : box + i;
        if (b >= 0 && b < int(boxes.size()))
            out.push_back(b);
    }
    return out;
}

int GlyphQuestion::boxAfterRun() const
{
    const int b = rightToLeft ? box - runLength - 1 : box + runLength + 1;
    return b >= 0 && b < int(boxes.size()) ? b : -1;
}

} // namespace glyfex::recognition
