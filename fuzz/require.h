// The fuzz targets' check of what a reader promised: a broken promise stops the run, saying which one.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace glyfex::fuzz {

inline void require(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "broken promise: %s\n", what);
        std::abort();
    }
}

} // namespace glyfex::fuzz
