#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "support/TextChecks.h"

// How a fuzz target reports a broken promise, and the entry point each target shares.
namespace lumeward::fuzz {

using test::forEachUtf8Character;
using test::isCleanText;
using test::isValidUtf8;

// Stops the run with a message; libFuzzer saves the input that got here.
inline void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "check failed: %s\n", what);
        std::abort();
    }
}

// What a target does with one input; each target's single source defines it.
void fuzzOne(std::string_view input);

}  // namespace lumeward::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    lumeward::fuzz::fuzzOne({reinterpret_cast<const char*>(data), size});
    return 0;
}
