#pragma once

// What every fuzz target does when a property it checks does not hold: say which, and abort so
// that libFuzzer keeps the input.

#include <cstdio>
#include <cstdlib>

namespace hb::fuzz {

inline void check(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

} // namespace hb::fuzz
