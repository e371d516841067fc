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

// The fields of an item that the reader takes, in the order of kItemFieldNames.
enum ItemField : std::size_t {
    kId,
    kUrl,
    kExternalUrl,
    kTitle,
    kContentHtml,
    kContentText,
    kSummary,
    kDatePublished,
    kDateModified,
    kItemFieldCount
};
constexpr std::array<std::string_view, kItemFieldCount> kItemFieldNames = {
    "id",           "url",     "external_url",   "title",        "content_html",
    "content_text", "summary", "date_published", "date_modified"};

// The first value of each field the reader takes, as a look-up by name would find it,
// gathered in one pass over the item rather than one per name.
class ItemFields {
public:
    explicit ItemFields(const simdjson::dom::object& item) {
        for (const auto field : item) {
            const auto* name = std::ranges::find(kItemFieldNames, field.key);
            if (name != kItemFieldNames.end()) {
                auto& value = m_values[static_cast<std::size_t>(name - kItemFieldNames.begin())];
                if (!value) {
                    value = field.value;
                }
            }
        }
    }

    // The field's text when it is a string; none when it is missing or not a string.
    std::optional<std::string_view> string(ItemField field) const {
        const auto& value = m_values[field];
        if (!value || !value->is_string()) {
            return std::nullopt;
        }
        return value->get_string().value_unsafe();
    }
    // The first of the fields that is a string; empty when none is.
    std::string_view firstString(std::initializer_list<ItemField> fields) const {
        for (const auto field : fields) {
            if (const auto text = string(field)) {
                return *text;
            }
        }
        return {};
    }
    // Ids are strings by the format, but feeds write numbers too.
    std::string id() const {
        const auto& value = m_values[kId];
        if (value && value->is_number()) {
            return simdjson::to_string(*value);
        }
        return std::string(string(kId).value_or(std::string_view()));
    }
    // A feed that spoils one date may still give the other.
    std::optional<ItemDate> date() const {
        for (const auto field : {kDatePublished, kDateModified}) {
            if (const auto text = string(field)) {
                if (const auto date = parseItemDate(*text)) {
                    return date;
                }
            }
        }
        return std::nullopt;
    }

private:
    std::array<std::optional<simdjson::dom::element>, kItemFieldCount> m_values;
};

JsonFeedEntry entryOf(const simdjson::dom::object& item) {
    const ItemFields fields(item);
    JsonFeedEntry entry;
    entry.id = fields.id();
    entry.url = fields.firstString({kUrl, kExternalUrl});
    entry.title = fields.firstString({kTitle});
    if (const auto html = fields.string(kContentHtml)) {
        entry.description = *html;
        entry.descriptionIsHtml = true;
    } else {
        entry.description = fields.firstString({kContentText, kSummary});
    }
    entry.date = fields.date();
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
