#pragma once

#include <cstdio>
#include <cstdlib>

// A broken property is a crash to libFuzzer: it stops and keeps the input that broke it.
inline void Require(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "Property broken: %s\n", what);
        std::abort();
    }
}
