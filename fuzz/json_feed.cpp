// JsonFeedBody against a reference built on another parser: nlohmann's SAX events,
// taking each field's first occurrence as simdjson's look-up does. Both must agree on
// whether the text is JSON (apart from simdjson's depth and number bounds) and on the
// version, the items and their text fields.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "feed/JsonFeed.h"
#include "support/FuzzChecks.h"
#include "text/TextDecoding.h"

namespace {

using namespace lumeward;
using Fields = std::map<std::string, std::optional<std::string>>;  // none: not a string

// The first value of each key of the top object and of each object in its first
// "items" array.
class Reference final : public nlohmann::json_sax<nlohmann::json> {
public:
    std::map<std::string, std::optional<std::string>> top;
    std::vector<Fields> items;

    bool null() override { return value({}); }
    bool boolean(bool) override { return value({}); }
    bool number_integer(number_integer_t) override { return value({}); }
    bool number_unsigned(number_unsigned_t) override { return value({}); }
    bool number_float(number_float_t, const string_t&) override { return value({}); }
    bool string(string_t& text) override { return value(text); }
    bool binary(binary_t&) override { return value({}); }
    bool start_object(std::size_t) override { return open(true); }
    bool start_array(std::size_t) override { return open(false); }
    bool key(string_t& name) override {
        m_stack.back().key = name;
        return true;
    }
    bool end_object() override { return close(); }
    bool end_array() override { return close(); }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
        return false;
    }

private:
    struct Frame {
        bool object;
        bool itemsArray;
        std::string key;
    };

    // Where the next value lands: a field of the top object or of an item, or nowhere.
    Fields* fields() {
        if (m_stack.size() == 1) {
            return &top;
        }
        if (m_stack.size() == 3 && m_stack[1].itemsArray && m_stack[2].object) {
            return &items.back();
        }
        return nullptr;
    }
    bool value(std::optional<std::string> text) {
        if (Fields* target = fields()) {
            target->try_emplace(m_stack.back().key, std::move(text));
        }
        return true;
    }
    bool open(bool object) {
        const bool isItems =
            m_stack.size() == 1 && !object && m_stack[0].key == "items" && !top.contains("items");
        if (m_stack.size() == 2 && m_stack[1].itemsArray && object) {
            items.emplace_back();
        }
        if (!m_stack.empty()) {
            value({});
        }
        m_stack.push_back({object, isItems, {}});
        return true;
    }
    bool close() {
        m_stack.pop_back();
        return true;
    }

    std::vector<Frame> m_stack;
};

std::string firstString(const Fields& fields, std::initializer_list<const char*> keys) {
    for (const char* key : keys) {
        if (const auto found = fields.find(key); found != fields.end() && found->second) {
            return *found->second;
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
    Reference reference;
    const bool valid = start != std::string_view::npos && input.find('\0') == input.npos &&
                       nlohmann::json::sax_parse(input.substr(start), &reference);
    if (!body.parsed()) {
        check(body.loadError().starts_with("Not valid JSON: "), "a failure without its words");
        check(!valid || body.loadError().find("nested deeper") != std::string::npos ||
                  body.loadError().find("number") != std::string::npos,
              "valid JSON refused for no bound");
        return;
    }
    check(valid, "invalid JSON read");
    std::vector<feed::JsonFeedEntry> entries;
    body.forEachEntry([&entries](const feed::JsonFeedEntry& entry) { entries.push_back(entry); });
    check(entries.size() == reference.items.size(), "items lost or made up");
    const auto version = firstString(reference.top, {"version"});
    check(body.namesJsonFeed() == (version == "https://jsonfeed.org/version/1" ||
                                   version == "https://jsonfeed.org/version/1.1" ||
                                   version == "http://jsonfeed.org/version/1" ||
                                   version == "http://jsonfeed.org/version/1.1"),
          "version misread");
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const auto& entry = entries[i];
        const Fields& fields = reference.items[i];
        check(entry.url == firstString(fields, {"url", "external_url"}), "url misread");
        check(entry.title == firstString(fields, {"title"}), "title misread");
        const bool html = fields.contains("content_html") && fields.at("content_html");
        check(entry.descriptionIsHtml == html, "HTML taken for text or text for HTML");
        check(entry.description == firstString(fields, {"content_html", "content_text", "summary"}),
              "description misread");
        if (fields.contains("id") && fields.at("id")) {
            check(entry.id == *fields.at("id"), "id misread");
        }
    }
}
