#pragma once

#include <string>

namespace lumeward::workflows {

struct ResultRow;

// A result as a web page: a UTF-8 HTML5 document with the title as its title and
// heading, the date, the description as paragraphs (split at blank lines, its lines
// kept) and the link as a link. Every text is escaped, so nothing from a feed
// becomes mark-up; characters a page may not hold (C1 controls, noncharacters,
// broken UTF-8) show as U+FFFD. Only an http or https link with a host becomes a
// link, with its user name and password left out and the characters a URL may not
// hold percent-encoded; any other shows as text.
std::string webPageOf(const ResultRow& row);

}  // namespace lumeward::workflows
