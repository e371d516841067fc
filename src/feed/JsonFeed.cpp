#include "feed/JsonFeed.h"

#include <simdjson.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>

#include "text/TextDecoding.h"

namespace lumeward::feed {

namespace {

constexpr std::array<std::string_view, 4> kJsonFeedVersions = {
    "https://jsonfeed.org/version/1", "https://jsonfeed.org/version/1.1",
    "http://jsonfeed.org/version/1", "http://jsonfeed.org/version/1.1"};

// The field's text when it is a string; none when it is missing or not a string.
std::optional<std::string_view> stringField(const simdjson::dom::object& object,
                                            std::string_view key) {
    std::string_view value;
    if (object[key].get_string().get(value) != simdjson::SUCCESS) {
        return std::nullopt;
    }
    return value;
}

// The first of the fields that is a string; empty when none is.
std::string_view firstString(const simdjson::dom::object& object,
                             std::initializer_list<std::string_view> keys) {
    for (const auto key : keys) {
        if (const auto value = stringField(object, key)) {
            return *value;
        }
    }
    return {};
}

// Ids are strings by the format, but feeds write numbers too.
std::string idText(const simdjson::dom::object& item) {
    simdjson::dom::element id;
    if (item["id"].get(id) != simdjson::SUCCESS) {
        return {};
    }
    if (id.is_string()) {
        return std::string(id.get_string().value_unsafe());
    }
    return id.is_number() ? simdjson::to_string(id) : std::string();
}

std::optional<ItemDate> itemDate(const simdjson::dom::object& item) {
    // A feed that spoils one date may still give the other.
    for (const auto key : {"date_published", "date_modified"}) {
        if (const auto text = stringField(item, key)) {
            if (const auto date = parseItemDate(*text)) {
                return date;
            }
        }
    }
    return std::nullopt;
}

JsonFeedEntry entryOf(const simdjson::dom::object& item) {
    JsonFeedEntry entry;
    entry.id = idText(item);
    entry.url = firstString(item, {"url", "external_url"});
    entry.title = firstString(item, {"title"});
    if (const auto html = stringField(item, "content_html")) {
        entry.description = *html;
        entry.descriptionIsHtml = true;
    } else {
        entry.description = firstString(item, {"content_text", "summary"});
    }
    entry.date = itemDate(item);
    return entry;
}

// simdjson says what is wrong but not where. nlohmann's parser, asked only once a
// text has failed, names the byte; it is iterative, so depth cannot exhaust the stack.
class SyntaxErrorFinder final : public nlohmann::json_sax<nlohmann::json> {
public:
    bool null() override { return true; }
    bool boolean(bool) override { return true; }
    bool number_integer(number_integer_t) override { return true; }
    bool number_unsigned(number_unsigned_t) override { return true; }
    bool number_float(number_float_t, const string_t&) override { return true; }
    bool string(string_t&) override { return true; }
    bool binary(binary_t&) override { return true; }
    bool start_object(std::size_t) override { return true; }
    bool key(string_t&) override { return true; }
    bool end_object() override { return true; }
    bool start_array(std::size_t) override { return true; }
    bool end_array() override { return true; }
    bool parse_error(std::size_t position, const std::string&,
                     const nlohmann::detail::exception& error) override {
        m_position = position;
        m_what = error.what();
        return false;
    }

    // "syntax error while parsing ... at byte N", without the library's prefixes; empty
    // when the parser found nothing wrong.
    std::string description(std::size_t offset) const {
        if (m_what.empty()) {
            return {};
        }
        std::string_view what = m_what;
        what.remove_prefix(std::min(what.size(), what.find("] ") + 2));  // "[json.exception..] "
        if (what.starts_with("parse error")) {  // "parse error at line 1, column 6: "
            what.remove_prefix(std::min(what.size(), what.find(": ") + 2));
        }
        // The position counts from 1 and may lie one past the end.
        return std::string(what) + " at byte " + std::to_string(offset + m_position - 1);
    }

private:
    std::size_t m_position = 0;
    std::string m_what;
};

std::string invalidJson(std::string_view text, std::size_t offset, simdjson::error_code error) {
    std::string why;
    if (error == simdjson::DEPTH_ERROR) {
        why = "nested deeper than " + std::to_string(kMaxJsonDepth) + " levels";
    } else {
        SyntaxErrorFinder finder;
        nlohmann::json::sax_parse(text, &finder);
        why = finder.description(offset);
        if (why.empty()) {  // valid to nlohmann, not to simdjson: a number past its range
            why = simdjson::error_message(error);
        }
    }
    return "Not valid JSON: " + why;
}

}  // namespace

// The text and the parser hold the memory the parsed document points into.
struct JsonFeedBody::Document {
    std::string text;
    simdjson::dom::parser parser;
    simdjson::dom::object top;
};

bool isJsonBody(std::string_view text) {
    return text::jsonObjectStart(text) != std::string_view::npos;
}

JsonFeedBody::JsonFeedBody(std::string&& text) : m_document(std::make_unique<Document>()) {
    // Byte-order marks and white space before the object are not JSON.
    const std::size_t start = text::jsonObjectStart(text);
    if (start != std::string_view::npos) {
        text.erase(0, start);
    }
    text.reserve(text.size() + simdjson::SIMDJSON_PADDING);  // read in place, not copied
    Document& document = *m_document;
    document.text = std::move(text);
    auto error = document.parser.allocate(document.text.size(), kMaxJsonDepth);
    if (error == simdjson::SUCCESS) {
        error = document.parser.parse(document.text.data(), document.text.size(), false)
                    .get_object()
                    .get(document.top);
    }
    if (error != simdjson::SUCCESS) {
        m_loadError =
            invalidJson(document.text, start == std::string_view::npos ? 0 : start, error);
        m_document.reset();
    }
}

JsonFeedBody::~JsonFeedBody() = default;
JsonFeedBody::JsonFeedBody(JsonFeedBody&&) noexcept = default;
JsonFeedBody& JsonFeedBody::operator=(JsonFeedBody&&) noexcept = default;

bool JsonFeedBody::namesJsonFeed() const {
    std::string_view version;
    return m_document &&
           m_document->top["version"].get_string().get(version) == simdjson::SUCCESS &&
           std::ranges::find(kJsonFeedVersions, version) != kJsonFeedVersions.end();
}

void JsonFeedBody::forEachEntry(const std::function<void(const JsonFeedEntry&)>& visit) const {
    simdjson::dom::array items;
    if (!m_document || m_document->top["items"].get_array().get(items) != simdjson::SUCCESS) {
        return;
    }
    for (const simdjson::dom::element item : items) {
        simdjson::dom::object fields;
        if (item.get_object().get(fields) == simdjson::SUCCESS) {
            visit(entryOf(fields));
        }
    }
}

}  // namespace lumeward::feed
