#pragma once

#include <cstddef>
#include <span>
#include <string_view>

// The HTML Standard's named character references (data/html/entities.json), compiled at
// build time by generator/MakeEntityTable.cpp.
namespace lumeward::text::tables {

struct NamedReference {
    std::string_view name;        // without the "&": "amp;", or "amp" where it may end so
    std::string_view characters;  // what it stands for, UTF-8
};

extern const std::span<const NamedReference> kNamedReferences;  // sorted by name
// The longest name that does not end in ";".
inline constexpr std::size_t kLongestNameWithoutSemicolon = 7;

}  // namespace lumeward::text::tables
