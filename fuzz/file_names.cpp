// The helpers that turn a feed address into a file name: whatever the address,
// the name is short, made of safe characters only, and carries no credentials.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "support/FuzzChecks.h"
#include "workflows/Export.h"

namespace {

bool isNameCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == ' ';
}

// The authority of an address: from "://" (or the start, when there is no scheme)
// to the first "/", "?" or "#".
std::string_view authorityOf(std::string_view address) {
    const std::size_t scheme = address.find("://");
    const std::string_view rest =
        scheme == std::string_view::npos ? address : address.substr(scheme + 3);
    return rest.substr(0, std::min(rest.find_first_of("/?#"), rest.size()));
}

void checkFilter(std::string_view text, std::string_view set) {
    using lumeward::fuzz::check;
    const std::string kept = lumeward::workflows::FilterCharacters(text, set);
    std::array<std::size_t, 256> wanted{};
    for (const char c : text) {
        if (set.find(c) != std::string_view::npos) {
            ++wanted[static_cast<unsigned char>(c)];
        }
    }
    std::array<std::size_t, 256> got{};
    for (const char c : kept) {
        check(set.find(c) != std::string_view::npos, "a filtered character is not in the set");
        ++got[static_cast<unsigned char>(c)];
    }
    check(got == wanted, "filtering lost or added characters");
    // Order kept: the result is a subsequence of the text.
    std::size_t at = 0;
    for (const char c : kept) {
        at = text.find(c, at);
        check(at != std::string_view::npos, "filtering changed the order");
        ++at;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lumeward;
    using fuzz::check;
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    const std::string address = workflows::withoutCredentials(input);
    check(authorityOf(address).find('@') == std::string_view::npos,
          "credentials left in the address");
    check(address.size() <= input.size(), "removing credentials made the address longer");
    // Only one piece of the authority goes: what remains is a prefix plus a suffix.
    std::size_t prefix = 0;
    while (prefix < address.size() && address[prefix] == input[prefix]) {
        ++prefix;
    }
    check(input.ends_with(std::string_view(address).substr(prefix)),
          "more than the credentials removed");

    const std::string name = workflows::ShortenFileName(workflows::CleanFileName(address));
    check(name.size() <= 200, "file name longer than 200 characters");
    check(std::all_of(name.begin(), name.end(), isNameCharacter),
          "unsafe character in a file name");

    const std::size_t setLength = input.empty() ? 0 : static_cast<unsigned char>(input[0]) % 16;
    const std::string_view rest = input.substr(input.empty() ? 0 : 1);
    checkFilter(rest.substr(std::min(setLength, rest.size())), rest.substr(0, setLength));
    return 0;
}
