// cleanFeedText against the plain reference; on valid UTF-8 the result must
// also be valid and hold no character XML forbids.
#include <cstddef>
#include <cstdint>
#include <string>

#include "feed/TextCleaning.h"
#include "support/FuzzChecks.h"
#include "support/ReferenceCleaning.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lumeward;
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::string cleaned = feed::cleanFeedText(std::string(input));
    fuzz::check(cleaned == fuzz::referenceCleanFeedText(input),
                "cleanFeedText differs from the reference");
    if (fuzz::isValidUtf8(input)) {
        fuzz::check(fuzz::isCleanText(cleaned),
                    "cleanFeedText left a forbidden or broken character");
    }
    return 0;
}
