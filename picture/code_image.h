// The work picture: one byte per pixel holding a subpicture's 2-bit pixel code (0-3) or a marker code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace glyfex::picture {

// Rows are stored top to bottom, width bytes each, with no padding. Codes 0-3 are the subpicture's
// pixel codes; larger values are markers that segmentation and export write while they fill.
struct CodeImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> bytes;

    CodeImage() = default;
    CodeImage(int w, int h, uint8_t fill = 0)
        : width(w), height(h), bytes(size_t(w > 0 ? w : 0) * size_t(h > 0 ? h : 0), fill) {}

    void reset(int w, int h, uint8_t fill = 0)
    {
        width = w > 0 ? w : 0;
        height = h > 0 ? h : 0;
        bytes.assign(size_t(width) * size_t(height), fill);
    }
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    uint8_t at(int x, int y) const { return bytes[size_t(y) * size_t(width) + size_t(x)]; }
    uint8_t &at(int x, int y) { return bytes[size_t(y) * size_t(width) + size_t(x)]; }
    // Out-of-picture reads give fallback instead of touching memory.
    uint8_t get(int x, int y, uint8_t fallback = 0) const { return contains(x, y) ? at(x, y) : fallback; }
    uint8_t *row(int y) { return bytes.data() + size_t(y) * size_t(width); }
    const uint8_t *row(int y) const { return bytes.data() + size_t(y) * size_t(width); }
    bool empty() const { return width == 0 || height == 0; }
    friend bool operator==(const CodeImage &, const CodeImage &) = default;
};

} // namespace glyfex::picture
