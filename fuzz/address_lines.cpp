// Address-file splitting against a plain statement of the line rules: every CR
// and every LF ends a piece, and an empty piece is no address.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "support/FuzzChecks.h"
#include "workflows/AddressFile.h"

namespace {

std::vector<std::string> referenceLines(std::string_view content) {
    std::vector<std::string> pieces(1);
    for (const char c : content) {
        if (c == '\r' || c == '\n') {
            pieces.emplace_back();
        } else {
            pieces.back() += c;
        }
    }
    std::erase(pieces, std::string());
    return pieces;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lumeward;
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    const auto pieces = workflows::splitAddressLines(content);
    fuzz::check(pieces == referenceLines(content), "address lines differ from the reference");
    return 0;
}
