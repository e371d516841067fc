#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace lumeward::feed {

using ItemDate = std::chrono::sys_seconds;

// The instant a feed's date text names, to the second; none when the text names
// no exact instant (empty, unknown zone, impossible day, year, month or week alone).
// Two forms, whichever the text is in:
// - RFC 822 as RSS writes it, with the variants real feeds use: "Mon, 07 Dec 2026
//   10:00:00 GMT", the day name missing or written out, one-digit days, full month
//   names, two-digit years (50-99 are 19xx), no seconds, zones as names (UT, GMT,
//   UTC, Z and the North American ones) or numbers ("+0100", "+01:00").
// - RFC 3339 and W3C-DTF as Atom and Dublin Core write them: "2026-12-07T10:00:00Z",
//   fractions of a second dropped, "t" or a space for "T", a day alone as its start.
// A time without a zone is read as UTC.
std::optional<ItemDate> parseItemDate(std::string_view text);

// RFC 3339 in UTC to the second: "2026-12-07T10:00:00Z".
std::string formatUtcDate(ItemDate date);

}  // namespace lumeward::feed
