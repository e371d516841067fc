#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace lumeward::feed {

// True when a body is a web page rather than a feed: its Content-Type names
// HTML (text/html, application/xhtml+xml), or its text, after white space and
// a byte-order mark, starts as the WHATWG sniffing rules say HTML starts
// ("<html", "<head", "<body", "<p", "<!--", ... then a space or ">", any case).
bool isWebPage(std::string_view contentType, std::string_view text);

// The address of the first feed the page names: the first <link> whose rel,
// a list separated by white space, holds "alternate" (any case) and whose type
// is application/rss+xml, application/atom+xml, application/rdf+xml or
// application/feed+json, its href resolved against the page's first
// <base href> and the page's address. Only an http or https address counts;
// none when the page names no feed. The page is UTF-8 text, parsed by an HTML
// parser that fetches nothing and expands no entity beyond HTML's own.
std::optional<std::string> findFeedAddress(std::string_view page, std::string_view pageAddress);

// True when both addresses name the same scheme, host and port, so that
// credentials given for one may go to the other.
bool sameServer(std::string_view first, std::string_view second);

}  // namespace lumeward::feed
