#include "feed/ItemDates.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace lumeward::feed {

namespace {

using namespace std::chrono;

// Reads a date text from left to right; every read either takes what it wants or
// leaves the position where it was. The text is followed by a NUL, which no read
// takes, so no read needs to look for the end.
class DateReader {
public:
    explicit DateReader(std::string_view terminated)
        : m_at(terminated.data()), m_end(terminated.data() + terminated.size()) {}

    bool atEnd() const { return m_at == m_end; }
    char peek() const { return *m_at; }

    bool take(char c) {
        if (*m_at != c || atEnd()) {
            return false;
        }
        ++m_at;
        return true;
    }

    // Returns whether there was any.
    bool skipSpaces() {
        const char* start = m_at;
        while (*m_at == ' ' || *m_at == '\t' || *m_at == '\r' || *m_at == '\n') {
            ++m_at;
        }
        return m_at > start;
    }

    // From `fewest` to `most` digits, as a number; none when fewer stand here.
    std::optional<int> number(std::size_t fewest, std::size_t most) {
        const char* start = m_at;
        int value = 0;
        while (static_cast<std::size_t>(m_at - start) < most &&
               static_cast<unsigned char>(*m_at - '0') < 10) {
            value = value * 10 + (*m_at++ - '0');
        }
        if (static_cast<std::size_t>(m_at - start) < fewest) {
            m_at = start;
            return std::nullopt;
        }
        return value;
    }

    // A run of ASCII letters.
    std::string_view word() {
        const char* start = m_at;
        while (static_cast<unsigned char>((*m_at | 0x20) - 'a') < 26) {
            ++m_at;
        }
        return {start, static_cast<std::size_t>(m_at - start)};
    }

    const char* position() const { return m_at; }

private:
    const char* m_at;
    const char* m_end;
};

constexpr std::array<std::string_view, 12> kMonths = {
    "january", "february", "march",     "april",   "may",      "june",
    "july",    "august",   "september", "october", "november", "december"};
constexpr std::array<std::string_view, 7> kDays = {"monday", "tuesday",  "wednesday", "thursday",
                                                   "friday", "saturday", "sunday"};

// Whether a word is `name` (lower case) in any letter case, or its beginning.
bool beginsName(std::string_view word, std::string_view name) {
    if (word.size() > name.size()) {
        return false;
    }
    for (std::size_t i = 0; i < word.size(); ++i) {
        if ((word[i] | 0x20) != name[i]) {
            return false;
        }
    }
    return true;
}

// A name written out, or shortened to three letters or more: "dec", "Sept", "December".
template <std::size_t N>
std::optional<std::size_t> nameIndex(const std::array<std::string_view, N>& names,
                                     std::string_view word) {
    for (std::size_t i = 0; word.size() >= 3 && i < names.size(); ++i) {
        if (beginsName(word, names[i])) {
            return i;
        }
    }
    return std::nullopt;
}

// Zones by name, in minutes east of UTC.
std::optional<int> namedZone(std::string_view name) {
    constexpr std::pair<std::string_view, int> kZones[] = {
        {"ut", 0},        {"utc", 0},       {"gmt", 0},       {"z", 0},
        {"est", -5 * 60}, {"edt", -4 * 60}, {"cst", -6 * 60}, {"cdt", -5 * 60},
        {"mst", -7 * 60}, {"mdt", -6 * 60}, {"pst", -8 * 60}, {"pdt", -7 * 60}};
    for (const auto& [zone, minutes] : kZones) {
        if (name.size() == zone.size() && beginsName(name, zone)) {
            return minutes;
        }
    }
    return std::nullopt;
}

// "+hhmm", "+hh:mm" or "+hh" (or "-"), in minutes east of UTC.
std::optional<int> numericZone(DateReader& reader) {
    const int sign = reader.take('+') ? 1 : reader.take('-') ? -1 : 0;
    if (sign == 0) {
        return std::nullopt;
    }
    const auto hours = reader.number(2, 2);
    reader.take(':');
    const auto minutes = reader.number(2, 2).value_or(0);
    if (!hours || *hours > 23 || minutes > 59) {
        return std::nullopt;
    }
    return sign * (*hours * 60 + minutes);
}

// A zone where one may stand: none written is UTC, one not understood is no zone.
std::optional<int> zone(DateReader& reader) {
    reader.skipSpaces();
    if (reader.atEnd()) {
        return 0;
    }
    if (reader.peek() == '+' || reader.peek() == '-') {
        return numericZone(reader);
    }
    return namedZone(reader.word());
}

struct TimeOfDay {
    int hours = 0;
    int minutes = 0;
    int seconds = 0;
};

// "hh:mm" with optional ":ss" and, when fractions may follow, ".fff" (dropped).
std::optional<TimeOfDay> timeOfDay(DateReader& reader, std::size_t fewestHourDigits,
                                   bool fractions) {
    const auto hours = reader.number(fewestHourDigits, 2);
    if (!hours || !reader.take(':')) {
        return std::nullopt;
    }
    const auto minutes = reader.number(2, 2);
    std::optional<int> seconds = 0;
    if (reader.take(':')) {
        seconds = reader.number(2, 2);
        if (fractions && reader.take('.') && !reader.number(1, 1)) {
            return std::nullopt;
        }
        while (fractions && reader.number(1, 1)) {
        }
    }
    // A leap second ends its minute, as the next minute's start.
    if (!minutes || !seconds || *hours > 23 || *minutes > 59 || *seconds > 60) {
        return std::nullopt;
    }
    return TimeOfDay{*hours, *minutes, *seconds};
}

std::optional<ItemDate> instant(int year, int month, int day, TimeOfDay time, int zoneMinutes) {
    const year_month_day date{std::chrono::year(year),
                              std::chrono::month(static_cast<unsigned>(month)),
                              std::chrono::day(static_cast<unsigned>(day))};
    if (!date.ok() || year < 1 || year > 9999) {
        return std::nullopt;
    }
    return sys_days(date) + hours(time.hours) + minutes(time.minutes) + seconds(time.seconds) -
           minutes(zoneMinutes);
}

// [day name [","]] day month year time [zone]
std::optional<ItemDate> parseRfc822(std::string_view text) {
    DateReader reader(text);
    reader.skipSpaces();
    if (const std::string_view dayName = reader.word(); !dayName.empty()) {
        if (!nameIndex(kDays, dayName)) {
            return std::nullopt;
        }
        reader.take(',');
        reader.skipSpaces();
    }
    const auto day = reader.number(1, 2);
    reader.skipSpaces();
    const auto month = nameIndex(kMonths, reader.word());
    reader.skipSpaces();
    const char* yearStart = reader.position();
    auto year = reader.number(2, 4);
    if (!day || !month || !year) {
        return std::nullopt;
    }
    // RFC 2822's reading of years written short.
    const auto yearDigits = static_cast<std::size_t>(reader.position() - yearStart);
    *year += yearDigits == 2 ? (*year < 50 ? 2000 : 1900) : yearDigits == 3 ? 1900 : 0;
    // A day alone stands for its start, as in RFC 3339.
    const bool spaced = reader.skipSpaces();
    const auto time = reader.atEnd() ? std::optional<TimeOfDay>(TimeOfDay{})
                      : spaced       ? timeOfDay(reader, 1, false)
                                     : std::nullopt;
    const auto offset = time ? zone(reader) : std::nullopt;
    reader.skipSpaces();
    if (!offset || !reader.atEnd()) {
        return std::nullopt;
    }
    return instant(*year, static_cast<int>(*month) + 1, *day, *time, *offset);
}

// yyyy-mm-dd [("T" | "t" | " ") time [zone]]
std::optional<ItemDate> parseRfc3339(std::string_view text) {
    DateReader reader(text);
    reader.skipSpaces();
    const auto year = reader.number(4, 4);
    const bool dash1 = reader.take('-');
    const auto month = reader.number(2, 2);
    const bool dash2 = reader.take('-');
    const auto day = reader.number(2, 2);
    if (!year || !dash1 || !month || !dash2 || !day) {
        return std::nullopt;
    }
    TimeOfDay time;
    int offset = 0;
    if (reader.take('T') || reader.take('t') || (reader.take(' ') && !reader.atEnd())) {
        const auto clock = timeOfDay(reader, 2, true);
        const auto zoneMinutes =
            clock ? (reader.take('Z') || reader.take('z') ? std::optional(0) : zone(reader))
                  : std::nullopt;
        if (!zoneMinutes) {
            return std::nullopt;
        }
        time = *clock;
        offset = *zoneMinutes;
    }
    reader.skipSpaces();
    if (!reader.atEnd()) {
        return std::nullopt;
    }
    return instant(*year, *month, *day, time, offset);
}

}  // namespace

std::optional<ItemDate> parseItemDate(std::string_view text) {
    // Copied with a NUL after it, which lets the readers skip every end-of-text test.
    // No date is half as long; a longer text is none.
    constexpr std::size_t kLongest = 96;
    std::array<char, kLongest + 1> terminated;
    if (text.size() > kLongest) {
        return std::nullopt;
    }
    std::copy(text.begin(), text.end(), terminated.begin());
    terminated[text.size()] = '\0';
    const std::string_view copy(terminated.data(), text.size());
    if (auto date = parseRfc3339(copy)) {
        return date;
    }
    return parseRfc822(copy);
}

std::string formatUtcDate(ItemDate date) {
    const auto day = floor<days>(date);
    const year_month_day ymd{day};
    const hh_mm_ss time{date - day};
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), "%04d-%02u-%02uT%02d:%02d:%02dZ",
                  static_cast<int>(ymd.year()), static_cast<unsigned>(ymd.month()),
                  static_cast<unsigned>(ymd.day()), static_cast<int>(time.hours().count()),
                  static_cast<int>(time.minutes().count()),
                  static_cast<int>(time.seconds().count()));
    return text.data();
}

}  // namespace lumeward::feed
