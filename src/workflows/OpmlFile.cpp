#include "workflows/OpmlFile.h"

#include <algorithm>
#include <sstream>
#include <utility>

#include <pugixml.hpp>

#include "feed/TextCleaning.h"

namespace lumeward::workflows {

namespace {

// The address with only what XML cannot hold left out. That is what the
// feed-text cleaning removes besides document type declarations, so it cleans
// the pieces between the "<"s, where no declaration can start.
std::string xmlTextOf(std::string_view address) {
    std::string text;
    for (std::size_t start = 0;;) {
        const std::size_t open = std::min(address.find('<', start), address.size());
        text += feed::cleanFeedText(std::string(address.substr(start, open - start)));
        if (open == address.size()) {
            return text;
        }
        text += '<';
        start = open + 1;
    }
}

}  // namespace

bool isOpmlDocument(std::string_view text) {
    // What may come before the first element, by its opening and its end; a
    // comment before "<!", which would take it for a declaration.
    constexpr std::pair<std::string_view, std::string_view> kProlog[] = {
        {"<?", "?>"}, {"<!--", "-->"}, {"<!", ">"}};
    std::size_t at = 0;
    for (;;) {
        at = text.find_first_not_of(" \t\r\n", at);
        if (at == std::string_view::npos) {
            return false;
        }
        const std::string_view rest = text.substr(at);
        const auto* part =
            std::find_if(std::begin(kProlog), std::end(kProlog),
                         [&](const auto& kind) { return rest.starts_with(kind.first); });
        if (part == std::end(kProlog)) {
            return rest.starts_with("<opml") &&
                   (rest.size() == 5 ||
                    std::string_view(" \t\r\n/>").find(rest[5]) != std::string_view::npos);
        }
        at = text.find(part->second, at + part->first.size());
        if (at == std::string_view::npos) {
            return false;
        }
        at += part->second.size();
    }
}

OpmlAddresses readOpml(std::string_view text, std::size_t linesTakenOut) {
    OpmlAddresses result;
    pugi::xml_document document;
    const auto parsed =
        document.load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_utf8);
    if (!parsed) {
        const auto before = text.substr(0, static_cast<std::size_t>(parsed.offset));
        result.error = std::string(parsed.description()) + " on line " +
                       std::to_string(std::count(before.begin(), before.end(), '\n') + 1 +
                                      static_cast<std::ptrdiff_t>(linesTakenOut));
        return result;
    }
    for (const auto& found : document.select_nodes("//outline/@xmlUrl")) {
        if (*found.attribute().value() != '\0') {
            result.addresses.emplace_back(found.attribute().value());
        }
    }
    return result;
}

std::string writeOpml(const std::vector<std::string>& addresses) {
    pugi::xml_document document;
    auto declaration = document.append_child(pugi::node_declaration);
    declaration.append_attribute("version") = "1.0";
    declaration.append_attribute("encoding") = "UTF-8";
    auto opml = document.append_child("opml");
    opml.append_attribute("version") = "2.0";
    opml.append_child("head").append_child("title").text() = "Lumeward feeds";
    auto body = opml.append_child("body");
    for (const auto& address : addresses) {
        const std::string text = xmlTextOf(address);
        auto outline = body.append_child("outline");
        outline.append_attribute("type") = "rss";
        outline.append_attribute("text") = text.c_str();
        outline.append_attribute("xmlUrl") = text.c_str();
    }
    std::ostringstream out;
    document.save(out, "  ", pugi::format_default, pugi::encoding_utf8);
    return std::move(out).str();
}

}  // namespace lumeward::workflows
