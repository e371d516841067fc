#pragma once

#include <cstdio>
#include <cstdlib>

#include "support/TextChecks.h"

// How a fuzz target reports a broken promise.
namespace lumeward::fuzz {

using test::forEachUtf8Character;
using test::isCleanText;
using test::isValidUtf8;

// Stops the run with a message; libFuzzer saves the input that got here.
[[noreturn]] inline void fail(const char* what) {
    std::fprintf(stderr, "check failed: %s\n", what);
    std::abort();
}

inline void check(bool condition, const char* what) {
    if (!condition) {
        fail(what);
    }
}

}  // namespace lumeward::fuzz
