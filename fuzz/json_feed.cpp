// JsonFeedBody against nlohmann's parser, keeping each key's first occurrence as
// simdjson's look-up does: both must agree on whether the text is JSON (apart from
// simdjson's depth and number bounds), on the version, the items and their fields.
#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "feed/JsonFeed.h"
#include "support/FuzzChecks.h"
#include "text/TextDecoding.h"

namespace {

using namespace lumeward;
using nlohmann::json;

// The first of the fields that is a string; empty when none is.
std::string firstString(const json& object, std::initializer_list<const char*> keys) {
    for (const char* key : keys) {
        if (object.contains(key) && object[key].is_string()) {
            return object[key].get<std::string>();
        }
    }
    return {};
}

}  // namespace

void lumeward::fuzz::fuzzOne(std::string_view input) {
    const feed::JsonFeedBody body{std::string(input)};
    // The reader skips white space and byte-order marks before the object; nlohmann's
    // parser takes a NUL, never valid in JSON, for the end of the text.
    const std::size_t start = text::jsonObjectStart(input);
    // The keys seen in the object open at each depth, to drop repeats. A key's depth is
    // one more than its object's start.
    std::vector<std::set<std::string>> keys;
    const json::parser_callback_t firstKeys = [&keys](int depth, json::parse_event_t event,
                                                      json& parsed) {
        const auto level = static_cast<std::size_t>(depth);
        if (event == json::parse_event_t::object_start) {
            keys.resize(std::max(keys.size(), level + 2));
            keys[level + 1].clear();
        } else if (event == json::parse_event_t::key) {
            return keys[level].insert(parsed.get<std::string>()).second;
        }
        return true;
    };
    json top;
    if (start != std::string_view::npos && input.find('\0') == input.npos) {
        top = json::parse(input.substr(start), firstKeys, false);
    }
    if (!body.parsed()) {
        check(body.loadError().starts_with("Not valid JSON: "), "a failure without its words");
        check(!top.is_object() || body.loadError().find("nested deeper") != std::string::npos ||
                  body.loadError().find("number") != std::string::npos,
              "valid JSON refused for no bound");
        return;
    }
    check(top.is_object(), "invalid JSON read");
    const std::set<std::string> versions = {
        "https://jsonfeed.org/version/1", "https://jsonfeed.org/version/1.1",
        "http://jsonfeed.org/version/1", "http://jsonfeed.org/version/1.1"};
    check(body.namesJsonFeed() == versions.contains(firstString(top, {"version"})),
          "version misread");
    std::vector<json> items;
    if (top.contains("items") && top["items"].is_array()) {
        std::ranges::copy_if(top["items"], std::back_inserter(items),
                             [](const json& item) { return item.is_object(); });
    }
    std::size_t i = 0;
    body.forEachEntry([&](const feed::JsonFeedEntry& entry) {
        check(i < items.size(), "items made up");
        const json& item = items[i++];
        check(entry.url == firstString(item, {"url", "external_url"}), "url misread");
        check(entry.title == firstString(item, {"title"}), "title misread");
        check(entry.descriptionIsHtml ==
                  (item.contains("content_html") && item["content_html"].is_string()),
              "HTML taken for text or text for HTML");
        check(entry.description == firstString(item, {"content_html", "content_text", "summary"}),
              "description misread");
        check(!item.contains("id") || !item["id"].is_string() ||
                  entry.id == item["id"].get<std::string>(),
              "id misread");
    });
    check(i == items.size(), "items lost");
}
