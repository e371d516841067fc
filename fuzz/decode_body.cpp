// Response bodies with any bytes and any Content-Type: the text that comes out
// is always valid UTF-8, and the two fixed encodings keep what they promise.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "feed/TextDecoding.h"
#include "support/FuzzChecks.h"

namespace {

// The first byte picks the Content-Type; with 0 it is the text up to the first
// line feed, so the fuzzer can try labels of its own.
struct Response {
    std::string contentType;
    std::string body;
};

Response responseOf(std::string_view input) {
    const unsigned mode = input.empty() ? 0u : static_cast<unsigned char>(input[0]) % 4;
    input.remove_prefix(input.empty() ? 0 : 1);
    switch (mode) {
        case 1:
            return {"application/xml; charset=utf-8", std::string(input)};
        case 2:
            return {"text/xml; charset=windows-1252", std::string(input)};
        case 3:
            return {"", std::string(input)};
        default: {
            const std::size_t end = input.find('\n');
            if (end == std::string_view::npos) {
                return {std::string(input), ""};
            }
            return {std::string(input.substr(0, end)), std::string(input.substr(end + 1))};
        }
    }
}

// Whether the body might open with a byte-order mark, which overrides the header.
bool mayStartWithMark(std::string_view body) {
    if (body.empty()) {
        return false;
    }
    const auto first = static_cast<unsigned char>(body[0]);
    return first == 0xEF || first == 0xFE || first == 0xFF || first == 0x00;
}

std::size_t characterCount(std::string_view text) {
    std::size_t count = 0;
    lumeward::fuzz::forEachUtf8Character(text, [&count](std::uint32_t) { ++count; });
    return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lumeward;
    const Response response = responseOf({reinterpret_cast<const char*>(data), size});
    const std::string text =
        feed::decodeResponseBody(std::string(response.body), response.contentType);
    fuzz::check(fuzz::isValidUtf8(text), "decoded text is not valid UTF-8");
    if (mayStartWithMark(response.body)) {
        return 0;
    }
    if (response.contentType == "application/xml; charset=utf-8" &&
        fuzz::isValidUtf8(response.body)) {
        fuzz::check(text == response.body, "valid UTF-8 changed in decoding");
    }
    if (response.contentType == "text/xml; charset=windows-1252") {
        fuzz::check(characterCount(text) == response.body.size(),
                    "Windows-1252 must give one character per byte");
    }
    return 0;
}
