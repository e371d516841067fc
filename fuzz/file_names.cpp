// The helpers that turn a feed address into a file name: whatever the address,
// the name is short, made of safe characters only, and carries no credentials.
#include <algorithm>
#include <array>

#include "support/FuzzChecks.h"
#include "workflows/Export.h"

namespace {

using namespace lumeward;

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

// FilterCharacters keeps each character of the set, as often and in the order they come.
void checkFilter(std::string_view text, std::string_view set) {
    const std::string kept = workflows::FilterCharacters(text, set);
    std::array<std::size_t, 256> wanted{};
    std::array<std::size_t, 256> got{};
    for (const char c : text) {
        wanted[static_cast<unsigned char>(c)] += set.find(c) != std::string_view::npos;
    }
    std::size_t at = 0;
    for (const char c : kept) {
        fuzz::check(set.find(c) != std::string_view::npos, "a filtered character is not in set");
        ++got[static_cast<unsigned char>(c)];
        at = text.find(c, at);
        fuzz::check(at++ != std::string_view::npos, "filtering changed the order");
    }
    fuzz::check(got == wanted, "filtering lost or added characters");
}

}  // namespace

void lumeward::fuzz::fuzzOne(std::string_view input) {
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
}
