#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lumeward::workflows {

// Whether UTF-8 text is an OPML document: its first element, after any XML
// declaration, comments, processing instructions and document type
// declaration, is "opml". Nothing else of the text is looked at.
bool isOpmlDocument(std::string_view text);

// What an OPML document lists: the xmlUrl of every outline at any depth, in
// document order; an outline without one (a folder) adds nothing. When the text
// is not well-formed, no address and the reason, with the line where the
// parser stopped; linesTakenOut line breaks that a cleaning removed before
// that point are counted in.
struct OpmlAddresses {
    std::vector<std::string> addresses;
    std::string error;
};
OpmlAddresses readOpml(std::string_view text, std::size_t linesTakenOut = 0);

// An OPML 2.0 document of the addresses, UTF-8: one outline each, of type
// "rss", its text and xmlUrl the address as it is. Only the characters that XML
// cannot hold (U+0000-U+0008 and the like) are left out.
std::string writeOpml(const std::vector<std::string>& addresses);

}  // namespace lumeward::workflows
