#include "feed/FeedDiscovery.h"

#include <libxml/HTMLparser.h>
#include <libxml/uri.h>

#include <algorithm>
#include <array>
#include <climits>
#include <memory>
#include <mutex>

namespace lumeward::feed {

namespace {

struct DocumentDeleter {
    void operator()(xmlDoc* document) const { xmlFreeDoc(document); }
};
struct TextDeleter {
    void operator()(xmlChar* text) const { xmlFree(text); }
};
struct UriDeleter {
    void operator()(xmlURI* uri) const { xmlFreeURI(uri); }
};
using Document = std::unique_ptr<xmlDoc, DocumentDeleter>;
using Text = std::unique_ptr<xmlChar, TextDeleter>;
using Uri = std::unique_ptr<xmlURI, UriDeleter>;

constexpr std::string_view kAsciiWhiteSpace = " \t\n\f\r";

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) { return lower(x) == lower(y); });
}

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(kAsciiWhiteSpace);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(kAsciiWhiteSpace) - first + 1);
}

// "Text/HTML; charset=utf-8" -> "Text/HTML".
std::string_view mimeEssence(std::string_view type) {
    return trimmed(type.substr(0, type.find(';')));
}

// The WHATWG MIME Sniffing Standard's patterns for HTML, each to be followed
// by a space or ">".
constexpr std::array<std::string_view, 17> kHtmlStarts = {"<!doctype html",
                                                          "<html",
                                                          "<head",
                                                          "<script",
                                                          "<iframe",
                                                          "<h1",
                                                          "<div",
                                                          "<font",
                                                          "<table",
                                                          "<a",
                                                          "<style",
                                                          "<title",
                                                          "<b",
                                                          "<body",
                                                          "<br",
                                                          "<p",
                                                          "<!--"};

// The libxml2 parser sets itself up on first use; two threads must not both do it.
void initialiseParser() {
    static std::once_flag once;
    std::call_once(once, [] { xmlInitParser(); });
}

std::string_view textOf(const Text& text) {
    return text ? std::string_view(reinterpret_cast<const char*>(text.get())) : std::string_view();
}

Text attribute(const xmlNode* element, const char* name) {
    return Text(xmlGetProp(element, reinterpret_cast<const xmlChar*>(name)));
}

bool isElement(const xmlNode* node, std::string_view name) {
    return node->type == XML_ELEMENT_NODE &&
           reinterpret_cast<const char*>(node->name) == name;  // the parser writes lower case
}

bool holdsAlternate(std::string_view rel) {
    while (!rel.empty()) {
        const auto start = rel.find_first_not_of(kAsciiWhiteSpace);
        if (start == std::string_view::npos) {
            return false;
        }
        rel.remove_prefix(start);
        const auto end = std::min(rel.find_first_of(kAsciiWhiteSpace), rel.size());
        if (equalsIgnoringCase(rel.substr(0, end), "alternate")) {
            return true;
        }
        rel.remove_prefix(end);
    }
    return false;
}

bool namesFeedType(std::string_view type) {
    constexpr std::array<std::string_view, 4> kFeedTypes = {
        "application/rss+xml", "application/atom+xml", "application/rdf+xml",
        "application/feed+json"};
    const auto essence = mimeEssence(type);
    return std::ranges::any_of(kFeedTypes, [&](std::string_view feedType) {
        return equalsIgnoringCase(essence, feedType);
    });
}

// An href as the URL parser takes it: without the white space around it or
// the tabs and line breaks within, and with spaces, controls and bytes past
// ASCII percent-encoded, which a URI may not hold as they are.
std::string uriReference(std::string_view href) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string reference;
    for (const char c : trimmed(href)) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\t' || c == '\n' || c == '\r') {
            continue;
        }
        if (byte <= 0x20 || byte >= 0x7F) {
            reference += '%';
            reference += kHex[byte >> 4];
            reference += kHex[byte & 0xF];
        } else {
            reference += c;
        }
    }
    return reference;
}

// The reference resolved against base by RFC 3986; empty when either is not a URI.
std::string resolved(std::string_view href, const std::string& base) {
    const std::string reference = uriReference(href);
    const Text address(xmlBuildURI(reinterpret_cast<const xmlChar*>(reference.c_str()),
                                   reinterpret_cast<const xmlChar*>(base.c_str())));
    return std::string(textOf(address));
}

Uri parsedUri(std::string_view address) {
    return Uri(xmlParseURI(std::string(address).c_str()));
}

bool isWebAddress(std::string_view address) {
    const Uri uri = parsedUri(address);
    if (!uri || uri->scheme == nullptr || uri->server == nullptr) {
        return false;
    }
    const std::string_view scheme(uri->scheme);
    return equalsIgnoringCase(scheme, "http") || equalsIgnoringCase(scheme, "https");
}

// The port an address names, or its scheme's when it names none.
int portOf(const xmlURI& uri) {
    if (uri.port > 0) {
        return uri.port;
    }
    return uri.scheme != nullptr && equalsIgnoringCase(uri.scheme, "https") ? 443 : 80;
}

// The next node in document order, without recursion: the page may nest deeply.
const xmlNode* nextNode(const xmlNode* node) {
    if (node->type == XML_ELEMENT_NODE && node->children != nullptr) {
        return node->children;
    }
    while (node != nullptr && node->next == nullptr) {
        node = node->parent;
        if (node != nullptr && node->type != XML_ELEMENT_NODE) {
            return nullptr;  // back at the document
        }
    }
    return node != nullptr ? node->next : nullptr;
}

}  // namespace

bool isWebPage(std::string_view contentType, std::string_view text) {
    const auto essence = mimeEssence(contentType);
    if (equalsIgnoringCase(essence, "text/html") ||
        equalsIgnoringCase(essence, "application/xhtml+xml")) {
        return true;
    }
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
    }
    const auto start = text.find_first_not_of(kAsciiWhiteSpace);
    if (start == std::string_view::npos) {
        return false;
    }
    text.remove_prefix(start);
    return std::ranges::any_of(kHtmlStarts, [&](std::string_view pattern) {
        return text.size() > pattern.size() &&
               equalsIgnoringCase(text.substr(0, pattern.size()), pattern) &&
               (text[pattern.size()] == ' ' || text[pattern.size()] == '>');
    });
}

std::optional<std::string> findFeedAddress(std::string_view page, std::string_view pageAddress) {
    if (page.size() > INT_MAX) {
        return std::nullopt;
    }
    initialiseParser();
    // The text is UTF-8 already: a <meta charset> must not switch the parser to another.
    const Document document(htmlReadMemory(
        page.data(), static_cast<int>(page.size()), nullptr, "UTF-8",
        HTML_PARSE_NONET | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_IGNORE_ENC));
    if (!document) {
        return std::nullopt;
    }
    std::optional<std::string> base;
    std::string feedHref;
    bool foundFeed = false;
    for (const xmlNode* node = xmlDocGetRootElement(document.get());
         node != nullptr && (!base || !foundFeed); node = nextNode(node)) {
        if (!base && isElement(node, "base")) {
            if (const Text href = attribute(node, "href")) {
                base = std::string(textOf(href));
            }
        } else if (!foundFeed && isElement(node, "link")) {
            const Text href = attribute(node, "href");
            if (!trimmed(textOf(href)).empty() && holdsAlternate(textOf(attribute(node, "rel"))) &&
                namesFeedType(textOf(attribute(node, "type")))) {
                feedHref = textOf(href);
                foundFeed = true;
            }
        }
    }
    if (!foundFeed) {
        return std::nullopt;
    }
    const std::string pageBase(pageAddress);
    std::string address = resolved(feedHref, base ? resolved(*base, pageBase) : pageBase);
    if (!isWebAddress(address)) {
        return std::nullopt;
    }
    return address;
}

bool sameServer(std::string_view first, std::string_view second) {
    const Uri one = parsedUri(first);
    const Uri other = parsedUri(second);
    return one && other && one->scheme != nullptr && other->scheme != nullptr &&
           one->server != nullptr && other->server != nullptr &&
           equalsIgnoringCase(one->scheme, other->scheme) &&
           equalsIgnoringCase(one->server, other->server) && portOf(*one) == portOf(*other);
}

}  // namespace lumeward::feed
