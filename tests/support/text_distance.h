// Character errors of a recognised text: the edit distance to the true one.
#pragma once
// Header-only so that the OCR benchmark, which links only the logic library, counts the same way.

#include <QString>

#include <algorithm>
#include <vector>

namespace glyfex::test {

// Insertions, deletions and substitutions of UTF-16 units that turn a into b.
inline int editDistance(const QString &a, const QString &b)
{
    std::vector<int> prev(size_t(b.size()) + 1), cur(size_t(b.size()) + 1);
    for (int j = 0; j <= b.size(); ++j)
        prev[size_t(j)] = j;
    for (int i = 1; i <= a.size(); ++i) {
        cur[0] = i;
        for (int j = 1; j <= b.size(); ++j) {
            const int sub = prev[size_t(j - 1)] + (a[i - 1] == b[j - 1] ? 0 : 1);
            cur[size_t(j)] = std::min({sub, prev[size_t(j)] + 1, cur[size_t(j - 1)] + 1});
        }
        std::swap(prev, cur);
    }
    return prev[size_t(b.size())];
}

} // namespace glyfex::test
