#include "feed/ItemDates.h"

#include <algorithm>
#include <array>
#include <cstdint>
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

// The first three letters of a name in lower case, as one number.
constexpr std::uint32_t nameKey(std::string_view name) {
    return static_cast<std::uint32_t>(name[0] | 0x20) << 16 |
           static_cast<std::uint32_t>(name[1] | 0x20) << 8 |
           static_cast<std::uint32_t>(name[2] | 0x20);
}

template <std::size_t N>
constexpr std::array<std::uint32_t, N> nameKeys(const std::array<std::string_view, N>& names) {
    std::array<std::uint32_t, N> keys{};
    for (std::size_t i = 0; i < N; ++i) {
        keys[i] = nameKey(names[i]);
    }
    return keys;
}

constexpr auto kMonthKeys = nameKeys(kMonths);
constexpr auto kDayKeys = nameKeys(kDays);

// A name written out, or shortened to three letters or more: "dec", "Sept", "December".
template <std::size_t N>
std::optional<std::size_t> nameIndex(const std::array<std::string_view, N>& names,
                                     const std::array<std::uint32_t, N>& keys,
                                     std::string_view word) {
    if (word.size() < 3) {
        return std::nullopt;
    }
    const std::uint32_t key = nameKey(word);
    for (std::size_t i = 0; i < N; ++i) {
        if (keys[i] == key) {
            return beginsName(word, names[i]) ? std::optional(i) : std::nullopt;
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

// A zone's offset from its sign, hours and minutes, in minutes east of UTC.
std::optional<int> offset(int sign, int hours, int minutes) {
    if (hours > 23 || minutes > 59) {
        return std::nullopt;
    }
    return sign * (hours * 60 + minutes);
}

// "+hhmm", "+hh:mm" or "+hh" (or "-"), in minutes east of UTC.
std::optional<int> numericZone(DateReader& reader) {
    // The caller has seen the sign.
    const int sign = reader.peek() == '-' ? -1 : 1;
    reader.take(reader.peek());
    const auto hours = reader.number(2, 2);
    reader.take(':');
    return hours ? offset(sign, *hours, reader.number(2, 2).value_or(0)) : std::nullopt;
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
    if (!minutes || !seconds) {
        return std::nullopt;
    }
    return TimeOfDay{*hours, *minutes, *seconds};
}

// The instant, when every part is in range. A leap second ends its minute, as the
// next minute's start.
std::optional<ItemDate> instant(int year, int month, int day, TimeOfDay time, int zoneMinutes) {
    const year_month_day date{std::chrono::year(year),
                              std::chrono::month(static_cast<unsigned>(month)),
                              std::chrono::day(static_cast<unsigned>(day))};
    if (!date.ok() || year < 1 || year > 9999 || time.hours > 23 || time.minutes > 59 ||
        time.seconds > 60) {
        return std::nullopt;
    }
    return sys_days(date) + hours(time.hours) + minutes(time.minutes) + seconds(time.seconds) -
           minutes(zoneMinutes);
}

// "Mon, 07 Dec 2026 10:00:00 +0100", the layout nearly every RSS feed writes, read at
// its fixed places; none for any other text, which parseRfc822 then reads.
std::optional<ItemDate> parseUsualRfc822(std::string_view text) {
    if (text.size() != 31 || text[3] != ',' || text[4] != ' ' || text[7] != ' ' ||
        text[11] != ' ' || text[16] != ' ' || text[19] != ':' || text[22] != ':' ||
        text[25] != ' ' || (text[26] != '+' && text[26] != '-')) {
        return std::nullopt;
    }
    bool digits = true;
    const auto number = [&](std::size_t at, std::size_t count) {
        int value = 0;
        for (std::size_t i = at; i < at + count; ++i) {
            const auto digit = static_cast<unsigned char>(text[i] - '0');
            digits &= digit < 10;
            value = value * 10 + digit;
        }
        return value;
    };
    const int day = number(5, 2), year = number(12, 4);
    const TimeOfDay time{number(17, 2), number(20, 2), number(23, 2)};
    const auto zone = offset(text[26] == '-' ? -1 : 1, number(27, 2), number(29, 2));
    const auto month = nameIndex(kMonths, kMonthKeys, text.substr(8, 3));
    if (!digits || !zone || !month || !nameIndex(kDays, kDayKeys, text.substr(0, 3))) {
        return std::nullopt;
    }
    return instant(year, static_cast<int>(*month) + 1, day, time, *zone);
}

// [day name [","]] day month year time [zone]
std::optional<ItemDate> parseRfc822(std::string_view text) {
    DateReader reader(text);
    reader.skipSpaces();
    if (const std::string_view dayName = reader.word(); !dayName.empty()) {
        if (!nameIndex(kDays, kDayKeys, dayName)) {
            return std::nullopt;
        }
        reader.take(',');
        reader.skipSpaces();
    }
    const auto day = reader.number(1, 2);
    reader.skipSpaces();
    const auto month = nameIndex(kMonths, kMonthKeys, reader.word());
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
    if (auto date = parseUsualRfc822(text)) {
        return date;
    }
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
