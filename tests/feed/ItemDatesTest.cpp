#include "feed/ItemDates.h"

#include <gtest/gtest.h>

#include <string>

using lumeward::feed::formatUtcDate;
using lumeward::feed::parseItemDate;

// Each text with the instant it names, in UTC; "" where it names none.
TEST(ItemDates, ReadTheFormsFeedsWriteAndNeverGuess) {
    const std::pair<const char*, const char*> cases[] = {
        // RFC 822 and the variants of real feeds.
        {"Mon, 07 Dec 2026 10:00:00 GMT", "2026-12-07T10:00:00Z"},
        {"Mon, 07 Dec 2026 10:00:00 +0100", "2026-12-07T09:00:00Z"},
        {"Mon, 7 Dec 2026 9:05 -0500", "2026-12-07T14:05:00Z"},
        {"07 Dec 2026 10:00:00 EST", "2026-12-07T15:00:00Z"},
        {"Monday, 07 December 26 10:00:00 PDT", "2026-12-07T17:00:00Z"},
        {"Tue, 01 Sept 99 23:59:59 UT", "1999-09-01T23:59:59Z"},
        {"Thu, 31 Dec 2026 23:30:00 -01:00", "2027-01-01T00:30:00Z"},
        {" \tTue, 29 Feb 2028 00:00:00 Z\r\n", "2028-02-29T00:00:00Z"},
        {"mon,07 dec 2026 10:00:00 gmt", "2026-12-07T10:00:00Z"},
        {"Mon, 07 Dec 2026 10:00:00", "2026-12-07T10:00:00Z"},
        {"Mon, 07 Dec 2026 10:00:00 CDT", "2026-12-07T15:00:00Z"},
        {"Mon, 07 Dec 2026", "2026-12-07T00:00:00Z"},
        {"Thu, 31 Dec 2026 23:59:60 +0000", "2027-01-01T00:00:00Z"},
        {"Mon, 07 Dec 126 10:00:00 +14", "2026-12-06T20:00:00Z"},
        {"Tue, 30 Jun 2026 23:59:59 -0930", "2026-07-01T09:29:59Z"},
        {"Sat, 01 Aug 2026 00:00:00 +1400", "2026-07-31T10:00:00Z"},
        // RFC 3339 and W3C-DTF.
        {"2026-12-07T10:00:00Z", "2026-12-07T10:00:00Z"},
        {"2026-12-07T10:00:00.987654+01:00", "2026-12-07T09:00:00Z"},
        {"2026-12-07t10:00z", "2026-12-07T10:00:00Z"},
        {"2026-12-07 10:00:00-05:30", "2026-12-07T15:30:00Z"},
        {" 2026-12-07 ", "2026-12-07T00:00:00Z"},
        {"2026-12-07T10:00:00", "2026-12-07T10:00:00Z"},
        {"0001-01-01T00:00:00Z", "0001-01-01T00:00:00Z"},
        // Nothing readable.
        {"", ""},
        {"  ", ""},
        {"yesterday", ""},
        {"Mon, 32 Dec 2026 10:00:00 GMT", ""},
        {"Sun, 29 Feb 2026 10:00:00 GMT", ""},
        {"Wed, 31 Jun 2026 10:00:00 +0000", ""},
        {"Wed, 01 Jul 2026 10:00:00 +2400", ""},
        {"Mon, 07 Foo 2026 10:00:00 GMT", ""},
        {"Mon, 07 De 2026 10:00:00 GMT", ""},
        {"Xyz, 07 Dec 2026 10:00:00 GMT", ""},
        {"Mon, 07 Dec 2026 24:00:00 GMT", ""},
        {"Mon, 07 Dec 2026 10:60 GMT", ""},
        {"Mon, 07 Dec 2026 10 GMT", ""},
        {"Mon, 07 Dec 202610:00:00 GMT", ""},
        {"Mon, 07 Dec 2026 10:00:00 CET", ""},
        {"Mon, 07 Dec 2026 10:00:00 +2400", ""},
        {"Mon, 07 Dec 2026 10:00:00 +0160", ""},
        {"Mon, 07 Dec 2026 10:00:00 GMT and more", ""},
        {"Mon, 07 Dec 2026 10:00:00 +01:00:00", ""},
        {"Mon, Dec 2026 10:00:00 GMT", ""},
        {"2026", ""},
        {"2026-12", ""},
        {"2026-13-01", ""},
        {"2026-12-7", ""},
        {"2026-12-07T25:00Z", ""},
        {"2026-12-07T10:00:00.Z", ""},
        {"2026-12-07T10Z", ""},
        {"2026-12-07T10:00:00Q", ""},
        {"20261207T100000Z", ""},
        {"0000-01-01T00:00:00Z", ""},
    };
    for (const auto& [text, expected] : cases) {
        const auto date = parseItemDate(text);
        EXPECT_EQ(date ? formatUtcDate(*date) : "", expected) << text;
    }
}
