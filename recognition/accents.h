// Folds accented capitals to the base letter whose shape they share, for the space decision only.
#pragma once

#include <cstddef>
#include <cstdint>

namespace glyfex::recognition {

// Subtitle charsets that have folding tables: 0 Western, 238 Central European, 161 Greek.
inline constexpr int kCharsetWestern = 0;
inline constexpr int kCharsetCentralEuropean = 238;
inline constexpr int kCharsetGreek = 161;

// The base letter for c under the given charset, or c itself when it is not listed there.
char16_t foldAccentedCapital(char16_t c, int charset);

} // namespace glyfex::recognition
