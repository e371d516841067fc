// findFeedAddress on any page: a found address is an http or https address the
// URL parser reads back, holds no byte a URI may not hold as it is, and comes
// only from a page that has a <link> tag at all.
#include <algorithm>
#include <cctype>
#include <string>

#include "feed/FeedDiscovery.h"
#include "support/FuzzChecks.h"

void lumeward::fuzz::fuzzOne(std::string_view input) {
    feed::isWebPage("", input);
    const auto found = feed::findFeedAddress(input, "https://site.example/blog/index.html");
    const auto lower = [](std::string_view text) {
        std::string result(text);
        std::transform(result.begin(), result.end(), result.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return result;
    };
    if (found) {
        const std::string address = lower(*found);
        check(lower(input).find("<link") != std::string::npos, "a feed found without <link");
        check(address.starts_with("http://") || address.starts_with("https://"),
              "the found address is not a web address");
        check(std::none_of(address.begin(), address.end(),
                           [](unsigned char c) { return c <= 0x20 || c >= 0x7F; }),
              "the found address holds a byte a URI may not hold");
        check(feed::sameServer(*found, *found), "the found address does not read back");
    }
}
