// A fuzz target's own invariant: a broken one ends the run as a crash, so libFuzzer keeps
// the input.
#pragma once

#include <cstdlib>

inline void Require(bool ok) {
    if (!ok) {
        std::abort();
    }
}
