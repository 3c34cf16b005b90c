// Folding tables per charset: the capitals whose outline on the left or right side is that of A, K, L, P,
// T or Y, so that the space rule treats them like the base letter.
#include "recognition/accents.h"

namespace glyfex::recognition {

namespace {

struct Fold {
    char16_t from;
    char16_t to;
};

constexpr Fold kWestern[] = {
    {0x00C0, 'A'}, {0x00C1, 'A'}, {0x00C2, 'A'}, {0x00C3, 'A'}, {0x00C4, 'A'}, {0x00C5, 'A'},
    {0x0178, 'Y'}, {0x00DD, 'Y'},
};
constexpr Fold kCentralEuropean[] = {
    {0x0104, 'A'}, {0x00C1, 'A'}, {0x00C2, 'A'}, {0x0102, 'A'}, {0x00C4, 'A'},
    {0x0141, 'L'}, {0x013D, 'L'}, {0x0139, 'L'},
    {0x0164, 'T'}, {0x0162, 'T'},
    {0x00DD, 'Y'},
};
constexpr Fold kGreek[] = {
    {0x0386, 'A'}, {0x0391, 'A'}, {0x0394, 'A'}, {0x039B, 'A'}, {0x03BB, 'A'},
    {0x039A, 'K'},
    {0x03A1, 'P'},
    {0x0393, 'T'}, {0x03A4, 'T'},
    {0x00A5, 'Y'}, {0x038E, 'Y'}, {0x03A5, 'Y'}, {0x03AB, 'Y'},
};

template <size_t N>
char16_t lookUp(const Fold (&table)[N], char16_t c)
{
    for (const Fold &f : table)
        if (f.from == c)
            return f.to;
    return c;
}

} // namespace

char16_t foldAccentedCapital(char16_t c, int charset)
{
    switch (charset) {
    case kCharsetWestern:
        return lookUp(kWestern, c);
    case kCharsetCentralEuropean:
        return lookUp(kCentralEuropean, c);
    case kCharsetGreek:
        return lookUp(kGreek, c);
    default:
        return c;
    }
}

} // namespace glyfex::recognition
