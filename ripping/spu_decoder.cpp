// The DVD subpicture decoder: one subpicture unit into the decoded-picture state.
#include "ripping/spu_decoder.h"

#include "core/byte_reader.h"
#include "picture/crop_to_text.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace glyfex::ripping {

namespace {

using core::ByteReader;

// A DVD lays its subpictures out on 720 columns whatever the video's picture size (704 or 352 in a
// title set's attributes), so no frame makes the limit narrower than that.
constexpr int dvdLineWidth = 720;
constexpr int defaultFrameHeight = 576;
// Contrast word of a sequence that sets none: code 0 transparent, codes 1-3 opaque.
constexpr uint16_t defaultContrast = 0xFFF0;

// How far a control sequence could be read.
enum class SequenceRead { Missing, Whole, Cut };

// Decodes the sequence at `offset` into `seq`, which arrives holding the fields the previous sequence
// of the unit left (colour word, area, pixel offsets). `reader` spans the unit up to its size, so no
// command or parameter is read past it. Missing when not even the 4-byte header fits; Cut when the
// unit ends inside a command or before the end-of-commands byte.
SequenceRead parseSequence(ByteReader &reader, uint16_t offset, picture::SpuControlSequence &seq, bool &forced)
{
    if (!reader.seek(offset) || !reader.has(4))
        return SequenceRead::Missing;
    // Delay in units of 1024/90000 s, then the offset of the next sequence.
    seq.delayMs = uint32_t(reader.be16()) * 1024u / 90u;
    seq.next = reader.be16();
    seq.state = picture::SpuControlSequence::DisplayStart;
    seq.contrast = defaultContrast;

    // A command whose parameters pass the end of the unit ends the sequence without taking effect.
    while (!reader.atEnd()) {
        switch (reader.u8()) {
        case 0x00: // forced display start
            forced = true;
            seq.state = picture::SpuControlSequence::DisplayStart;
            break;
        case 0x01: // display start
            seq.state = picture::SpuControlSequence::DisplayStart;
            break;
        case 0x02: // display stop
            seq.state = picture::SpuControlSequence::DisplayStop;
            break;
        case 0x03: // colour word: 2 bytes, palette index per code, code 3 in the high nibble
            if (!reader.has(2))
                return SequenceRead::Cut;
            seq.colour = reader.be16();
            break;
        case 0x04: // contrast word: 2 bytes, same nibble order
            if (!reader.has(2))
                return SequenceRead::Cut;
            seq.contrast = reader.be16();
            break;
        case 0x05: { // display area: 6 bytes, four 12-bit numbers X1 X2 Y1 Y2, inclusive
            if (!reader.has(6))
                return SequenceRead::Cut;
            const auto b = reader.bytes(6);
            seq.x1 = b[0] << 4 | b[1] >> 4;
            seq.x2 = (b[1] & 0x0F) << 8 | b[2];
            seq.y1 = b[3] << 4 | b[4] >> 4;
            seq.y2 = (b[4] & 0x0F) << 8 | b[5];
            break;
        }
        case 0x06: // pixel-data offsets: 2 bytes top field, 2 bytes bottom field
            if (!reader.has(4))
                return SequenceRead::Cut;
            seq.topOffset = reader.be16();
            seq.bottomOffset = reader.be16();
            break;
        case 0x07: { // colour/contrast change list: 2-byte length counting itself, then the list; skipped
            if (!reader.has(2))
                return SequenceRead::Cut;
            const uint16_t length = reader.be16();
            // A length below 2 would move backwards; either way the rest of the sequence is unusable.
            if (length < 2 || !reader.skip(length - 2u))
                return SequenceRead::Cut;
            break;
        }
        case 0xFF: // end of the sequence's commands
            return SequenceRead::Whole;
        default: // unknown byte: ignored, reading goes on with the next one
            break;
        }
    }
    return SequenceRead::Cut;
}

// Reads the chain of sequences from the control offset on, following rising next offsets only,
// so every step moves forward and the chain ends within the unit or at the table's limit. False when
// the unit holds no sequence at its control offset or ends inside one.
bool parseControlTable(ByteReader &reader, uint16_t controlOffset, picture::DecodedPicture &picture)
{
    picture.sequences.clear();
    picture.forced = false;
    bool whole = true;
    uint16_t offset = controlOffset;
    for (;;) {
        picture::SpuControlSequence seq = picture.sequences.empty() ? picture::SpuControlSequence{} : picture.sequences.back();
        const SequenceRead read = parseSequence(reader, offset, seq, picture.forced);
        // A next offset past the end is how the last sequence of many real units points nowhere;
        // only a first sequence that is not there at all means the unit is damaged.
        if (read == SequenceRead::Missing) {
            whole = whole && !picture.sequences.empty();
            break;
        }
        whole = whole && read == SequenceRead::Whole;
        picture.sequences.push_back(seq);
        if (seq.next <= offset || int(picture.sequences.size()) >= picture::DecodedPicture::maxSequences)
            break;
        offset = seq.next;
    }
    // Even a unit too short for one sequence header yields a first sequence: all zero, display start.
    if (picture.sequences.empty())
        picture.sequences.emplace_back();
    return whole;
}

// Reads a field's bits most significant first through a 64-bit cache. Bits past the field's end read
// as 0; a code they would complete comes out longer than what is left, so the caller's end check
// drops it. The caller skips only bits it has checked are left.
class FieldBits {
public:
    FieldBits(const uint8_t *data, size_t begin, size_t end) : m_data(data), m_next(begin), m_end(end) {}

    // The next 16 bits, high bit first.
    uint32_t peek16()
    {
        if (m_count < 16)
            refill();
        return uint32_t(m_cache >> 48);
    }
    void skip(int bits)
    {
        m_cache <<= bits;
        m_count -= bits;
    }
    // Drops the bits up to the next byte boundary of the data.
    void alignToByte() { skip(m_count & 7); }
    // Bits of the data in the cache: after peek16() at least 16 unless the field is nearly done.
    int cached() const { return m_count; }
    // Bits of the data not yet read.
    size_t remaining() const { return size_t(m_count) + (m_end - m_next) * 8; }

private:
    void refill()
    {
        if (m_next + 8 <= m_end) {
            // Eight bytes at once; only the bytes that fit whole are counted as taken.
            uint64_t word;
            std::memcpy(&word, m_data + m_next, 8);
            m_cache |= __builtin_bswap64(word) >> m_count;
            m_next += size_t(63 - m_count) >> 3;
            m_count |= 56;
            return;
        }
        // Near the end, byte by byte; past the last byte the cache holds zero bits.
        while (m_count <= 56 && m_next < m_end) {
            m_cache |= uint64_t(m_data[m_next++]) << (56 - m_count);
            m_count += 8;
        }
    }

    const uint8_t *m_data;
    size_t m_next;
    size_t m_end;
    uint64_t m_cache = 0; // unread bits, left-aligned
    int m_count = 0;      // how many of them are the data's bits up to byte m_next
};

// 16 bytes of each code, the source of the run stores below.
alignas(16) constexpr uint8_t runBytes[4][16] = {
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1},
    {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2},
    {3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3},
};

// Length in bits of the run code at the top of a 16-bit window, by its leading zero pairs: none 4
// bits (count 1-3), one 8 bits (4-15), two 12 bits (16-63), three or more 16 bits (64-255, or 0 = to
// the end of the line).
constexpr int codeLength(uint32_t window16)
{
    const int zeroPairs = std::min((std::countl_zero(window16 | 1u) - 16) >> 1, 3);
    return 4 + 4 * zeroPairs;
}

// Every run code that lies wholly inside a 12-bit window, at most three, so that one look-up decodes
// the usual short codes two or three at a time. Entry: bytes 0-2 one code each as count << 2 | pixel
// code (0 for no code: a run of no pixels), bits 24-29 the sum of their counts (at most 63), bits
// 30-31 their length in bits / 4. A length of 0 sends the window to the one-code path: its first code
// is longer than the window, or it is a run of more than 16 visible pixels, which one store can't
// write.
constexpr std::array<uint32_t, 4096> makeRunTable()
{
    std::array<uint32_t, 4096> table{};
    for (uint32_t window = 0; window < 4096; ++window) {
        uint32_t entry = 0;
        uint32_t pixels = 0;
        int used = 0;
        for (int slot = 0; slot < 3; ++slot) {
            const uint32_t rest = (window << (4 + used)) & 0xFFFF; // zero bits after the window
            const int length = codeLength(rest);
            if (used + length > 12)
                break;
            const uint32_t value = rest >> (16 - length); // count and code
            if (value >> 2 > 16 && (value & 3) != 0) {
                used = 0;
                break;
            }
            entry |= value << (8 * slot);
            pixels += value >> 2;
            used += length;
        }
        table[window] = used ? entry | pixels << 24 | uint32_t(used / 4) << 30 : 0;
    }
    return table;
}
constexpr std::array<uint32_t, 4096> runTable = makeRunTable();

// Writes a run of `run` pixels of `code` from x on (x + run <= width).
//
// Runs are mostly a few pixels, so away from the line's end a run of up to 16 is one 16-byte store of
// its code. The bytes such a store puts past the run are spill: the next run's store covers them, a
// longer code-0 run clears them with one store and is otherwise skipped (the picture arrives painted
// with 0), and a line the data leaves unfinished has them cleared by finishLine(). Rows only ever get
// bytes from their own line.
inline void putRun(uint8_t *row, int x, int width, int run, uint8_t code)
{
    if (x + 16 <= width && (run <= 16 || code == 0))
        std::memcpy(row + x, runBytes[code], 16);
    else if (code == 0)
        std::memset(row + x, 0, size_t(std::min(16, width - x)));
    else
        std::memset(row + x, code, size_t(run));
}

// Clears the spill of a line that ends at x before its width.
inline void finishLine(uint8_t *row, int x, int width)
{
    if (x > 0)
        std::memset(row + x, 0, size_t(std::min(16, width - x)));
}

// Run-length decodes one field from byte `begin` up to byte `end` into rows firstRow, firstRow + 2, ...
// of `codes` while they exist. Codes are 4, 8, 12 or 16 bits (2-bit units, high pair of a byte first);
// a 16-bit code whose count is 0 fills the rest of the line, and each line starts on a byte boundary.
// A run longer than what is left of its line stops at the line's end.
//
// The two fields are independent streams, so they are decoded in turns: each step waits on the code
// lengths before it, and two fields keep the processor busy where one would leave it waiting.
class FieldDecoder {
public:
    FieldDecoder(std::span<const uint8_t> unit, size_t begin, size_t end, int firstRow, picture::CodeImage &codes)
        : m_bits(unit.data(), begin, end), m_codes(codes), m_width(codes.width), m_height(codes.height), m_y(firstRow)
    {
        m_active = begin < end && firstRow < codes.height;
        if (m_active)
            startLine();
    }

    bool active() const { return m_active; }

    // Decodes the next code, or up to three short ones, and notes when the field is done. Inlined
    // into the loop over both fields so that their state stays in registers.
    [[gnu::always_inline]] void step()
    {
        const uint32_t v = m_bits.peek16();
        const uint32_t entry = runTable[v >> 4];
        const int total = int(entry >> 30) * 4;
        const int pixels = int(entry >> 24 & 0x3F);
        if (total != 0 && pixels + 16 <= m_lineEnd - m_at && total <= m_bits.cached()) {
            // Well inside the line: one 16-byte store each, spill included, and none of these codes
            // can end the line.
            const uint32_t first = entry & 0xFF;
            const uint32_t second = entry >> 8 & 0xFF;
            const uint32_t third = entry >> 16 & 0xFF;
            std::memcpy(m_at, runBytes[first & 3], 16);
            m_at += first >> 2;
            std::memcpy(m_at, runBytes[second & 3], 16);
            m_at += second >> 2;
            std::memcpy(m_at, runBytes[third & 3], 16);
            m_at += third >> 2;
            m_bits.skip(total);
            return;
        }

        // One code: a long one, or any code near the end of the field or of the line.
        const int length = codeLength(v);
        const int x = int(m_at - m_row);
        if (size_t(length) > m_bits.remaining()) {
            finishLine(m_row, x, m_width); // a code left unfinished at the field's end is dropped
            m_active = false;
            return;
        }
        const int count = int(v >> (18 - length));
        const uint8_t code = uint8_t((v >> (16 - length)) & 3);
        m_bits.skip(length);
        const int run = std::min(count != 0 ? count : m_width, m_width - x);
        putRun(m_row, x, m_width, run, code);
        m_at += run;
        if (m_at == m_lineEnd) {
            m_bits.alignToByte();
            m_y += 2;
            if (m_y >= m_height)
                m_active = false; // lines beyond the picture have nowhere to go: the field is done
            else
                startLine();
        }
    }

private:
    [[gnu::always_inline]] void startLine()
    {
        m_row = m_codes.row(m_y);
        m_at = m_row;
        m_lineEnd = m_row + m_width;
    }

    FieldBits m_bits;
    picture::CodeImage &m_codes;
    const int m_width;
    const int m_height;
    int m_y;
    bool m_active = false;
    uint8_t *m_row = nullptr;
    uint8_t *m_at = nullptr;      // write position in the current line
    uint8_t *m_lineEnd = nullptr;
};

void decodeFields(std::span<const uint8_t> unit, const picture::SpuControlSequence &first, size_t controlOffset,
                  picture::CodeImage &codes)
{
    FieldDecoder top(unit, first.topOffset, std::min<size_t>(first.bottomOffset, unit.size()), 0, codes);
    FieldDecoder bottom(unit, first.bottomOffset, std::min<size_t>(controlOffset, unit.size()), 1, codes);
    while (top.active() && bottom.active()) {
        top.step();
        bottom.step();
    }
    while (top.active())
        top.step();
    while (bottom.active())
        bottom.step();
}

} // namespace

bool decodeSubpicture(std::span<const uint8_t> unit, int frameWidth, int frameHeight, picture::DecodedPicture &picture)
{
    // Unit size, then the offset of the first control sequence.
    ByteReader head(unit);
    const uint16_t unitSize = head.be16();
    const uint16_t controlOffset = head.be16();
    // Everything the unit refers to must lie inside both its announced size and what was gathered.
    const size_t limit = std::min<size_t>(unitSize, unit.size());
    const auto bounded = unit.first(limit);

    ByteReader reader(bounded);
    const bool sequencesWhole = parseControlTable(reader, controlOffset, picture);
    picture::SpuControlSequence &first = picture.sequences.front();

    // Picture size in 16-bit arithmetic, as the area's numbers wrap: 0 becomes 1, and each side is at
    // most the frame's. A narrower limit than the unit was encoded for would put every run-length line
    // out of step with the data (an HD picture 915 wide cut to 720 decodes as noise).
    const int widthLimit = std::max(frameWidth, dvdLineWidth);
    const int heightLimit = frameHeight > 0 ? frameHeight : defaultFrameHeight;
    uint16_t width = uint16_t(first.x2 - first.x1 + 1);
    uint16_t height = uint16_t(first.y2 - first.y1 + 1);
    width = uint16_t(std::clamp<int>(width, 1, widthLimit));
    height = uint16_t(std::clamp<int>(height, 1, heightLimit));
    picture.width = width;
    picture.height = height;
    picture.frameHeight = uint16_t(std::clamp(frameHeight, 0, 0xFFFF));

    for (int c = 0; c < 4; ++c) {
        picture.colourMap[c] = uint8_t(first.colour >> (4 * c) & 0x0F);
        picture.contrastMap[c] = uint8_t(first.contrast >> (4 * c) & 0x0F);
    }
    picture.colourChanged = {first.colour != picture.colourWordPrev[0],
                             first.contrast != picture.colourWordPrev[1]};
    picture.colourWordPrev = {first.colour, first.contrast};

    // One spare row lets the bottom field of an odd height finish its last line; it is dropped after.
    picture::CodeImage &codes = picture.codes;
    codes.reset(width, height + 1, 0);
    decodeFields(bounded, first, controlOffset, codes);
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
    // The header, all the bytes it announces, every control sequence to its end-of-commands byte, and
    // pixel data where the first sequence says it starts.
    const auto inside = [limit](uint16_t offset) { return offset >= 4 && offset < limit; };
    return unit.size() >= 4 && unitSize >= 4 && unit.size() >= unitSize && sequencesWhole
        && inside(first.topOffset) && inside(first.bottomOffset);
}

} // namespace glyfex::ripping
