// Four-connected scan-line flood fill with an explicit stack, so large regions cannot exhaust the call stack.
#include "recognition/flood_fill.h"

#include <utility>
#include <vector>

namespace glyfex::recognition {

int floodFill(picture::CodeImage &image, int x, int y, uint8_t newCode)
{
    if (!image.contains(x, y))
        return 0;
    const uint8_t oldCode = image.at(x, y);
    if (oldCode == newCode)
        return 0;

    const int w = image.width;
    const int h = image.height;
    int painted = 0;
    std::vector<std::pair<int, int>> seeds;
    seeds.emplace_back(x, y);
    while (!seeds.empty()) {
        auto [sx, sy] = seeds.back();
        seeds.pop_back();
        uint8_t *row = image.row(sy);
        if (row[sx] != oldCode)
            continue;
        // Extend the run left and right, paint it, then seed the runs above and below it.
        int left = sx;
        while (left > 0 && row[left - 1] == oldCode)
            --left;
        int right = sx;
        while (right + 1 < w && row[right + 1] == oldCode)
            ++right;
        for (int i = left; i <= right; ++i)
            row[i] = newCode;
        painted += right - left + 1;
        for (int ny : {sy - 1, sy + 1}) {
            if (ny < 0 || ny >= h)
                continue;
            const uint8_t *other = image.row(ny);
            bool inRun = false;
            for (int i = left; i <= right; ++i) {
                if (other[i] == oldCode) {
                    if (!inRun)
                        seeds.emplace_back(i, ny);
                    inRun = true;
                } else {
                    inRun = false;
                }
            }
        }
    }
    return painted;
}

} // namespace glyfex::recognition
