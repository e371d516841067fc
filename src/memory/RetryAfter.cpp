#include "memory/RetryAfter.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>
#include <vector>

namespace lumeward::memory {

namespace {

using namespace std::chrono;

bool allDigits(std::string_view text) {
    return !text.empty() &&
           std::ranges::all_of(text, [](unsigned char c) { return std::isdigit(c) != 0; });
}

// A run of at most maxDigits digits as a number; none otherwise.
std::optional<int> numberOf(std::string_view text, std::size_t maxDigits) {
    if (!allDigits(text) || text.size() > maxDigits) {
        return std::nullopt;
    }
    int value = 0;
    for (const char digit : text) {
        value = value * 10 + (digit - '0');
    }
    return value;
}

std::optional<month> monthOf(std::string_view name) {
    static constexpr std::array<std::string_view, 12> kNames = {
        "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const auto found = std::ranges::find(kNames, name);
    if (found == kNames.end()) {
        return std::nullopt;
    }
    return month(static_cast<unsigned>(found - kNames.begin()) + 1);
}

// "08:49:37" as the time of day.
std::optional<seconds> timeOfDay(std::string_view text) {
    if (text.size() != 8 || text[2] != ':' || text[5] != ':') {
        return std::nullopt;
    }
    const auto h = numberOf(text.substr(0, 2), 2), m = numberOf(text.substr(3, 2), 2),
               s = numberOf(text.substr(6, 2), 2);
    if (!h || !m || !s || *h > 23 || *m > 59 || *s > 60) {
        return std::nullopt;
    }
    return hours(*h) + minutes(*m) + seconds(*s);
}

// A two-digit year is the latest such year not more than 50 years after now.
std::optional<year> yearOf(std::string_view text, TimePoint now) {
    const auto number = numberOf(text, 4);
    if (!number || (text.size() != 2 && text.size() != 4)) {
        return std::nullopt;
    }
    if (text.size() == 4) {
        return year(*number);
    }
    const int thisYear = static_cast<int>(year_month_day(floor<days>(now)).year());
    int full = thisYear - thisYear % 100 + *number;
    if (full > thisYear + 50) {
        full -= 100;
    }
    return year(full);
}

// The words of a date, with the commas and dashes that join some of them taken out.
std::vector<std::string_view> wordsOf(std::string_view text, std::string& spaced) {
    spaced.assign(text);
    std::ranges::replace_if(
        spaced, [](char c) { return c == ',' || c == '-'; }, ' ');
    std::vector<std::string_view> words;
    const std::string_view all = spaced;
    for (std::size_t at = 0; at < all.size();) {
        const auto start = all.find_first_not_of(' ', at);
        if (start == std::string_view::npos) {
            break;
        }
        const auto end = std::min(all.find(' ', start), all.size());
        words.push_back(all.substr(start, end - start));
        at = end;
    }
    return words;
}

std::optional<TimePoint> httpDate(std::string_view text, TimePoint now) {
    std::string spaced;
    const auto words = wordsOf(text, spaced);
    // "Sun 06 Nov 1994 08:49:37 GMT", "Sunday 06 Nov 94 08:49:37 GMT", "Sun Nov 6 08:49:37 1994"
    const bool zoned = words.size() == 6 && words[5] == "GMT";
    if (!zoned && words.size() != 5) {
        return std::nullopt;
    }
    const auto dayWord = zoned ? words[1] : words[2];
    const auto monthWord = zoned ? words[2] : words[1];
    const auto yearWord = zoned ? words[3] : words[4];
    const auto day = numberOf(dayWord, 2);
    const auto theMonth = monthOf(monthWord);
    const auto theYear = yearOf(yearWord, now);
    const auto time = timeOfDay(words[zoned ? 4 : 3]);
    if (!day || !theMonth || !theYear || !time) {
        return std::nullopt;
    }
    const year_month_day date{*theYear, *theMonth, std::chrono::day(static_cast<unsigned>(*day))};
    if (!date.ok()) {
        return std::nullopt;
    }
    return TimePoint(sys_days(date)) + *time;
}

}  // namespace

std::optional<TimePoint> retryAfterInstant(std::string_view value, TimePoint now) {
    const auto blanks = " \t";
    const auto first = value.find_first_not_of(blanks);
    value = first == std::string_view::npos
                ? std::string_view()
                : value.substr(first, value.find_last_not_of(blanks) - first + 1);
    const TimePoint latest = now + kLongestWait;
    std::optional<TimePoint> instant;
    if (allDigits(value)) {
        // Counted no further than just past the longest wait, so no count overflows.
        constexpr auto kBeyond = duration_cast<seconds>(kLongestWait).count() + 1;
        seconds::rep delay = 0;
        for (const char digit : value) {
            delay = std::min<seconds::rep>(delay * 10 + (digit - '0'), kBeyond);
        }
        instant = now + seconds(delay);
    } else {
        instant = httpDate(value, now);
    }
    if (!instant || *instant <= now) {
        return std::nullopt;
    }
    return std::min(*instant, latest);
}

}  // namespace lumeward::memory
