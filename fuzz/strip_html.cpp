// stripHtml against the plain reference; on valid UTF-8 the result stays valid.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "feed/TextCleaning.h"
#include "support/FuzzChecks.h"
#include "support/ReferenceCleaning.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lumeward;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string stripped = feed::stripHtml(input);
    fuzz::check(stripped == fuzz::referenceStripHtml(input),
                "stripHtml differs from the reference");
    if (fuzz::isValidUtf8(input)) {
        fuzz::check(fuzz::isValidUtf8(stripped), "stripHtml broke a UTF-8 sequence");
    }
    return 0;
}
