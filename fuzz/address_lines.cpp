// The address-line rule against its promises: an address is a piece of a line
// between CR and LF ends, never empty, a comment or wrapped in blanks, in order;
// a line that is printable ASCII at both ends and no comment is kept whole.
#include <algorithm>

#include "support/FuzzChecks.h"
#include "workflows/AddressLines.h"

void lumeward::fuzz::fuzzOne(std::string_view input) {
    const auto visible = [](char c) { return c > ' ' && c < 0x7F; };
    const auto blank = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    const auto addresses = workflows::addressesOfText(input);
    auto next = addresses.begin();
    for (std::size_t start = 0; start <= input.size();) {
        const std::size_t end = std::min(input.find_first_of("\r\n", start), input.size());
        const std::string_view line = input.substr(start, end - start);
        // The line is the address wrapped only in what may be white space.
        const std::size_t at = next == addresses.end() ? std::string_view::npos : line.find(*next);
        const auto wrap = [&](std::string_view part) {
            return std::ranges::all_of(part, [&](char c) { return blank(c) || c & 0x80; });
        };
        if (at != std::string_view::npos && wrap(line.substr(0, at)) &&
            wrap(line.substr(at + next->size()))) {
            check(!next->empty() && next->front() != '#' && !blank(next->front()) &&
                      !blank(next->back()),
                  "an empty address, a comment or blanks around an address");
            ++next;
        } else {
            check(line.empty() || line.front() == '#' || !visible(line.front()) ||
                      !visible(line.back()),
                  "a plain line lost");
        }
        start = end + 1;
    }
    check(next == addresses.end(), "an address that is no line's, or out of order");
}
