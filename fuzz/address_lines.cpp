// Address-file splitting against a plain statement of the line rules: every CR
// and every LF ends a piece, and an empty piece is no address.
#include <vector>

#include "support/FuzzChecks.h"
#include "workflows/AddressFile.h"

void lumeward::fuzz::fuzzOne(std::string_view input) {
    std::vector<std::string> pieces(1);
    for (const char c : input) {
        if (c == '\r' || c == '\n') {
            pieces.emplace_back();
        } else {
            pieces.back() += c;
        }
    }
    std::erase(pieces, std::string());
    check(workflows::splitAddressLines(input) == pieces, "address lines differ from the reference");
}
