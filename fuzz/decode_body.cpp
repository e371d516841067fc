// Response bodies with any bytes and any Content-Type: the text that comes out
// is always valid UTF-8, and the two fixed encodings keep what they promise
// (a JSON object is read as UTF-8 whatever the header names).
#include <algorithm>

#include "support/FuzzChecks.h"
#include "text/TextDecoding.h"

void lumeward::fuzz::fuzzOne(std::string_view input) {
    constexpr std::string_view kUtf8 = "application/xml; charset=utf-8";
    constexpr std::string_view kWindows1252 = "text/xml; charset=windows-1252";
    constexpr std::string_view kMultiByte[] = {
        "text/xml; charset=shift_jis", "text/xml; charset=euc-jp",  "text/xml; charset=iso-2022-jp",
        "text/xml; charset=gb18030",   "text/xml; charset=big5",    "text/xml; charset=euc-kr",
        "text/xml; charset=utf-16be",  "text/xml; charset=utf-16le"};
    // The first byte picks the Content-Type: 0, the text up to the first line feed, so the
    // fuzzer can try labels of its own; 1 UTF-8; 2 Windows-1252; 3 none; then each of the
    // multi-byte encodings.
    const unsigned mode = input.empty() ? 0u : static_cast<unsigned char>(input[0]) % 12;
    input.remove_prefix(input.empty() ? 0 : 1);
    std::string_view contentType = mode == 1 ? kUtf8 : mode == 2 ? kWindows1252 : "";
    if (mode >= 4) {
        contentType = kMultiByte[mode - 4];
    }
    std::string_view body = input;
    if (mode == 0) {
        const std::size_t end = std::min(input.find('\n'), input.size());
        contentType = input.substr(0, end);
        body = input.substr(std::min(end + 1, input.size()));
    }
    const std::string text = text::decodeResponseBody(std::string(body), contentType);
    check(isValidUtf8(text), "decoded text is not valid UTF-8");
    // A body that might open with a byte-order mark overrides the header.
    if (!body.empty() && std::string_view("\xEF\xFE\xFF\0", 4).find(body[0]) != body.npos) {
        return;
    }
    if (contentType == kUtf8 && isValidUtf8(body)) {
        check(text == body, "valid UTF-8 changed in decoding");
    }
    // A JSON object is UTF-8 whatever the header says.
    if (contentType == kWindows1252 && text::jsonObjectStart(body) == std::string_view::npos) {
        std::size_t count = 0;
        forEachUtf8Character(text, [&count](std::uint32_t) { ++count; });
        check(count == body.size(), "Windows-1252 must give one character per byte");
    }
}
