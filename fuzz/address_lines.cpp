// Address-file splitting against a plain two-step statement of the line rules:
// lines end at CR LF or a lone CR (an empty rest after the last is no line),
// then each line splits at every bare LF, keeping the pieces, empty ones too.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "support/FuzzChecks.h"
#include "workflows/AddressFile.h"

namespace {

std::vector<std::string> referenceLines(std::string_view content) {
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t at = 0; at < content.size(); ++at) {
        if (content[at] == '\r') {
            lines.push_back(line);
            line.clear();
            if (at + 1 < content.size() && content[at + 1] == '\n') {
                ++at;
            }
        } else {
            line += content[at];
        }
    }
    const bool endsWithTerminator = content.ends_with('\r') || content.ends_with("\r\n");
    if (!content.empty() && !endsWithTerminator) {
        lines.push_back(line);
    }
    std::vector<std::string> pieces;
    for (const auto& whole : lines) {
        std::size_t start = 0;
        for (std::size_t feed; (feed = whole.find('\n', start)) != std::string::npos;
             start = feed + 1) {
            pieces.push_back(whole.substr(start, feed - start));
        }
        pieces.push_back(whole.substr(start));
    }
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
