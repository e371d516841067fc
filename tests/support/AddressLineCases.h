#pragma once

#include <string>
#include <vector>

namespace lumeward::test {

// The address-line rule as every way in applies it (typed, loaded from a file, @FILE, pasted,
// dropped): a text, and the addresses it adds, each followed by one blank. Nothing serves the
// scheme "x", so a read of one of them fails at once, without a network.
struct AddressLineCase {
    std::string text;
    std::string added;
};

// clang-format off
inline const std::vector<AddressLineCase> kAddressLineCases = {
    {"", ""},                                  {"x://a", "x://a "},
    {"x://a\r\nx://b\r\n", "x://a x://b "},    {"x://a\rx://b\r", "x://a x://b "},
    {"x://a\n\rx://b\n", "x://a x://b "},      {"\r\r\n\n", ""},
    {"  x://a  ", "x://a "},                   {"\tx://a\t\v\f", "x://a "},
    {" \t \r\n   ", ""},                       {"# feeds\nx://a", "x://a "},
    {"   # indented\r\n#x://b", ""},           {"x://a#part", "x://a#part "},
    {"x://a b", "x://a b "},                   {"\xC2\xA0#x://a", ""},
    // No-break, ideographic and em spaces, as copied from a web page.
    {"\xC2\xA0x://a\xE3\x80\x80\xE2\x80\x83", "x://a "}};
// clang-format on

}  // namespace lumeward::test
