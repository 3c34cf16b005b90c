// The DVD subpicture decoder: one subpicture unit into the decoded-picture state.
#include "ripping/spu_decoder.h"

#include "core/byte_reader.h"
#include "ripping/crop_to_text.h"

#include <algorithm>
#include <cstring>

namespace glyfex::ripping {

namespace {

using core::ByteReader;

constexpr int maxPictureWidth = 720;
constexpr int defaultFrameHeight = 576;
// Contrast word of a sequence that sets none: code 0 transparent, codes 1-3 opaque.
constexpr uint16_t defaultContrast = 0xFFF0;

// Decodes the sequence at `offset` into `seq`, which arrives holding the fields the previous sequence
// of the unit left (colour word, area, pixel offsets). `reader` spans the unit up to its size, so no
// command or parameter is read past it. False when not even the 4-byte header fits.
bool parseSequence(ByteReader &reader, uint16_t offset, SpuControlSequence &seq, bool &forced)
{
    if (!reader.seek(offset) || !reader.has(4))
        return false;
    // Delay in units of 1024/90000 s, then the offset of the next sequence.
    seq.delayMs = uint32_t(reader.be16()) * 1024u / 90u;
    seq.next = reader.be16();
    seq.state = SpuControlSequence::DisplayStart;
    seq.contrast = defaultContrast;

    // A command whose parameters pass the end of the unit ends the sequence without taking effect.
    while (!reader.atEnd()) {
        switch (reader.u8()) {
        case 0x00: // forced display start
            forced = true;
            seq.state = SpuControlSequence::DisplayStart;
            break;
        case 0x01: // display start
            seq.state = SpuControlSequence::DisplayStart;
            break;
        case 0x02: // display stop
            seq.state = SpuControlSequence::DisplayStop;
            break;
        case 0x03: // colour word: 2 bytes, palette index per code, code 3 in the high nibble
            if (!reader.has(2))
                return true;
            seq.colour = reader.be16();
            break;
        case 0x04: // contrast word: 2 bytes, same nibble order
            if (!reader.has(2))
                return true;
            seq.contrast = reader.be16();
            break;
        case 0x05: { // display area: 6 bytes, four 12-bit numbers X1 X2 Y1 Y2, inclusive
            if (!reader.has(6))
                return true;
            const auto b = reader.bytes(6);
            seq.x1 = b[0] << 4 | b[1] >> 4;
            seq.x2 = (b[1] & 0x0F) << 8 | b[2];
            seq.y1 = b[3] << 4 | b[4] >> 4;
            seq.y2 = (b[4] & 0x0F) << 8 | b[5];
            break;
        }
        case 0x06: // pixel-data offsets: 2 bytes top field, 2 bytes bottom field
            if (!reader.has(4))
                return true;
            seq.topOffset = reader.be16();
            seq.bottomOffset = reader.be16();
            break;
        case 0x07: { // colour/contrast change list: 2-byte length counting itself, then the list; skipped
            if (!reader.has(2))
                return true;
            const uint16_t length = reader.be16();
            // A length below 2 would move backwards; either way the rest of the sequence is unusable.
            if (length < 2 || !reader.skip(length - 2u))
                return true;
            break;
        }
        case 0xFF: // end of the sequence's commands
            return true;
        default: // unknown byte: ignored, reading goes on with the next one
            break;
        }
    }
    return true;
}

// Reads the chain of sequences from the control offset on, following rising next offsets only,
// so every step moves forward and the chain ends within the unit or at the table's limit.
void parseControlTable(ByteReader &reader, uint16_t controlOffset, DecodedPicture &picture)
{
    picture.sequences.clear();
    picture.forced = false;
    uint16_t offset = controlOffset;
    for (;;) {
        SpuControlSequence seq = picture.sequences.empty() ? SpuControlSequence{} : picture.sequences.back();
        if (!parseSequence(reader, offset, seq, picture.forced))
            break;
        picture.sequences.push_back(seq);
        if (seq.next <= offset || int(picture.sequences.size()) >= DecodedPicture::maxSequences)
            break;
        offset = seq.next;
    }
    // Even a unit too short for one sequence header yields a first sequence: all zero, display start.
    if (picture.sequences.empty())
        picture.sequences.emplace_back();
}

// Run-length decodes one field from byte `begin` up to byte `end` into rows firstRow, firstRow + 2, ...
// of `codes` while they exist. Codes are 4, 8, 12 or 16 bits (2-bit units, high pair of a byte first):
// the leading zero units tell the length; a 16-bit code whose count is 0 fills the rest of the line.
// Each line starts on a byte boundary. Code-0 runs are skipped: the picture was painted with 0.
void decodeField(std::span<const uint8_t> unit, size_t begin, size_t end, int firstRow, CodeImage &codes)
{
    if (begin >= end || firstRow >= codes.height)
        return;
    const uint8_t *data = unit.data();
    const size_t endBits = end * 8;
    const int width = codes.width;
    size_t bit = begin * 8;
    int x = 0;
    int y = firstRow;
    uint8_t *row = codes.row(y);

    for (;;) {
        // The next 16 bits; bits past the field's end read as 0, which makes any code they would
        // complete longer than what is left, so it is dropped below.
        const size_t at = bit >> 3;
        uint32_t window;
        if (at + 3 <= end) {
            window = uint32_t(data[at]) << 16 | uint32_t(data[at + 1]) << 8 | data[at + 2];
        } else {
            window = 0;
            for (size_t i = 0; i < 3; ++i)
                window = window << 8 | (at + i < end ? data[at + i] : 0u);
        }
        const uint32_t v = (window >> (8 - (bit & 7))) & 0xFFFF;

        int length;
        int count;
        if (v >= 0x4000) {        // cc pp: count 1-3
            length = 4;
            count = int(v >> 14);
        } else if (v >= 0x1000) { // 00cc ccpp: count 4-15
            length = 8;
            count = int(v >> 10);
        } else if (v >= 0x0400) { // 0000 cccc ccpp: count 16-63
            length = 12;
            count = int(v >> 6);
        } else {                  // 0000 00cc cccc ccpp: count 64-255, or 0 = to the end of the line
            length = 16;
            count = int(v >> 2);
        }
        if (bit + size_t(length) > endBits)
            return; // a code left unfinished at the field's end is dropped
        const uint8_t code = uint8_t((v >> (16 - length)) & 3);
        bit += size_t(length);

        const int run = (count == 0 || count > width - x) ? width - x : count;
        if (code != 0)
            std::memset(row + x, code, size_t(run));
        x += run;
        if (x >= width) {
            bit = (bit + 7) & ~size_t(7);
            x = 0;
            y += 2;
            // Lines beyond the picture have nowhere to go: the field is done.
            if (y >= codes.height)
                return;
            row = codes.row(y);
        }
    }
}

} // namespace

void decodeSubpicture(std::span<const uint8_t> unit, int frameHeight, DecodedPicture &picture)
{
    // Unit size, then the offset of the first control sequence.
    ByteReader head(unit);
    const uint16_t unitSize = head.be16();
    const uint16_t controlOffset = head.be16();
    // Everything the unit refers to must lie inside both its announced size and what was gathered.
    const size_t limit = std::min<size_t>(unitSize, unit.size());
    const auto bounded = unit.first(limit);

    ByteReader reader(bounded);
    parseControlTable(reader, controlOffset, picture);
    SpuControlSequence &first = picture.sequences.front();

    // Picture size in 16-bit arithmetic, as the area's numbers wrap: 0 becomes 1, and the width is at
    // most a DVD line, the height at most the frame.
    const int heightLimit = frameHeight > 0 ? frameHeight : defaultFrameHeight;
    uint16_t width = uint16_t(first.x2 - first.x1 + 1);
    uint16_t height = uint16_t(first.y2 - first.y1 + 1);
    width = std::clamp<uint16_t>(width, 1, maxPictureWidth);
    height = uint16_t(std::clamp<int>(height, 1, heightLimit));
    picture.width = width;
    picture.height = height;

    for (int c = 0; c < 4; ++c) {
        picture.colourMap[c] = uint8_t(first.colour >> (4 * c) & 0x0F);
        picture.contrastMap[c] = uint8_t(first.contrast >> (4 * c) & 0x0F);
    }
    picture.colourChanged = {first.colour != picture.colourWordPrev[0],
                             first.contrast != picture.colourWordPrev[1]};
    picture.colourWordPrev = {first.colour, first.contrast};

    // One spare row lets the bottom field of an odd height finish its last line; it is dropped after.
    CodeImage &codes = picture.codes;
    codes.reset(width, height + 1, 0);
    decodeField(bounded, first.topOffset, std::min<size_t>(first.bottomOffset, limit), 0, codes);
    decodeField(bounded, first.bottomOffset, std::min<size_t>(controlOffset, limit), 1, codes);
    codes.height = height;
    codes.bytes.resize(size_t(width) * height);

    // Trim away every fully transparent code in turn; the area follows each real trim.
    picture.colourCandidates = {2, 2, 2, 2};
    for (int c = 0; c < 4; ++c) {
        if (picture.contrastMap[c] != 0)
            continue;
        picture.colourCandidates[c] = 0;
        if (const auto box = cropToText(codes, uint8_t(c))) {
            first.x1 += box->left;
            first.y1 += box->top;
        }
    }
    first.x2 = first.x1 + codes.width - 1;
    first.y2 = first.y1 + codes.height - 1;
}

} // namespace glyfex::ripping
