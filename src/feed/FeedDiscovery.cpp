#include "feed/FeedDiscovery.h"

#include <libxml/HTMLparser.h>
#include <libxml/parserInternals.h>
#include <libxml/uri.h>

#include <algorithm>
#include <array>
#include <climits>
#include <memory>
#include <mutex>

#include "text/AsciiText.h"

namespace lumeward::feed {

namespace {

struct TextDeleter {
    void operator()(xmlChar* text) const { xmlFree(text); }
};
struct UriDeleter {
    void operator()(xmlURI* uri) const { xmlFreeURI(uri); }
};
using Text = std::unique_ptr<xmlChar, TextDeleter>;
using Uri = std::unique_ptr<xmlURI, UriDeleter>;

// "Text/HTML; charset=utf-8" -> "Text/HTML".
std::string_view mimeEssence(std::string_view type) {
    return text::trimmedAscii(type.substr(0, type.find(';')));
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

bool holdsAlternate(std::string_view rel) {
    while (!rel.empty()) {
        const auto start = rel.find_first_not_of(text::kAsciiWhiteSpace);
        if (start == std::string_view::npos) {
            return false;
        }
        rel.remove_prefix(start);
        const auto end = std::min(rel.find_first_of(text::kAsciiWhiteSpace), rel.size());
        if (text::equalsIgnoringAsciiCase(rel.substr(0, end), "alternate")) {
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
        return text::equalsIgnoringAsciiCase(essence, feedType);
    });
}

// An href as the URL parser takes it: without the white space around it or
// the tabs and line breaks within, and with spaces, controls and bytes past
// ASCII percent-encoded, which a URI may not hold as they are.
std::string uriReference(std::string_view href) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string reference;
    for (const char c : text::trimmedAscii(href)) {
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
    return address ? std::string(reinterpret_cast<const char*>(address.get())) : std::string();
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
    return text::equalsIgnoringAsciiCase(scheme, "http") ||
           text::equalsIgnoringAsciiCase(scheme, "https");
}

// The port an address names, or its scheme's when it names none.
int portOf(const xmlURI& uri) {
    if (uri.port > 0) {
        return uri.port;
    }
    return uri.scheme != nullptr && text::equalsIgnoringAsciiCase(uri.scheme, "https") ? 443 : 80;
}

constexpr int kMaxOpenElements = 256;

struct ParserContextDeleter {
    void operator()(htmlParserCtxt* context) const { htmlFreeParserCtxt(context); }
};
using ParserContext = std::unique_ptr<htmlParserCtxt, ParserContextDeleter>;

// What the parser has found so far. A <base href> counts when it comes before
// the body or before the feed's link, as it should in a page.
struct LinkSearch {
    std::size_t lastLinkTag = 0;  // where the page's last "<link" starts
    std::optional<std::string> base;
    std::optional<std::string> feedHref;
    bool inBody = false;
};

// Where the last "<link" (any case) starts: a link element comes only from
// such a tag, so the parser need go no further. npos when there is none.
std::size_t lastLinkTag(std::string_view page) {
    for (auto at = page.rfind('<'); at != std::string_view::npos;
         at = at == 0 ? std::string_view::npos : page.rfind('<', at - 1)) {
        if (text::equalsIgnoringAsciiCase(page.substr(at + 1, 4), "link")) {
            return at;
        }
    }
    return std::string_view::npos;
}

std::string_view text(const xmlChar* value) {
    return value != nullptr ? std::string_view(reinterpret_cast<const char*>(value))
                            : std::string_view();
}

// The value of the attribute named (in lower case, as the parser writes names).
std::optional<std::string_view> attribute(const xmlChar** attributes, std::string_view name) {
    for (; attributes != nullptr && attributes[0] != nullptr; attributes += 2) {
        if (text(attributes[0]) == name) {
            return text(attributes[1]);
        }
    }
    return std::nullopt;
}

void onStartElement(void* parserContext, const xmlChar* elementName, const xmlChar** attributes) {
    auto* const context = static_cast<htmlParserCtxt*>(parserContext);
    // An end tag makes the parser look through the open elements, so their number
    // is bounded as libxml2 bounds it when it builds a tree; a page this deep ends here.
    if (context->nameNr > kMaxOpenElements) {
        xmlStopParser(context);
        return;
    }
    auto& search = *static_cast<LinkSearch*>(context->_private);
    const std::string_view name = text(elementName);
    if (name == "base" && !search.base) {
        if (const auto href = attribute(attributes, "href")) {
            search.base = std::string(*href);
        }
    } else if (name == "link" && !search.feedHref) {
        const auto href = attribute(attributes, "href");
        if (href && !text::trimmedAscii(*href).empty() &&
            holdsAlternate(attribute(attributes, "rel").value_or("")) &&
            namesFeedType(attribute(attributes, "type").value_or(""))) {
            search.feedHref = std::string(*href);
        }
    } else if (name == "body") {
        search.inBody = true;
    }
    // The parser may start html, head and body of itself while it reads a link's tag.
    const bool mayBeImplied = name == "html" || name == "head" || name == "body";
    const bool pastLastLink =
        !mayBeImplied && static_cast<std::size_t>(xmlByteConsumed(context)) > search.lastLinkTag;
    if (pastLastLink || (search.feedHref && (search.inBody || search.base))) {
        xmlStopParser(context);
    }
}

}  // namespace

bool isWebPage(std::string_view contentType, std::string_view text) {
    const auto essence = mimeEssence(contentType);
    if (text::equalsIgnoringAsciiCase(essence, "text/html") ||
        text::equalsIgnoringAsciiCase(essence, "application/xhtml+xml")) {
        return true;
    }
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
    }
    const auto start = text.find_first_not_of(text::kAsciiWhiteSpace);
    if (start == std::string_view::npos) {
        return false;
    }
    text.remove_prefix(start);
    return std::ranges::any_of(kHtmlStarts, [&](std::string_view pattern) {
        return text.size() > pattern.size() &&
               text::equalsIgnoringAsciiCase(text.substr(0, pattern.size()), pattern) &&
               (text[pattern.size()] == ' ' || text[pattern.size()] == '>');
    });
}

std::optional<std::string> findFeedAddress(std::string_view page, std::string_view pageAddress) {
    const std::size_t lastLink = lastLinkTag(page);
    if (lastLink == std::string_view::npos || page.size() > INT_MAX) {
        return std::nullopt;
    }
    initialiseParser();
    const ParserContext context(
        htmlCreateMemoryParserCtxt(page.data(), static_cast<int>(page.size())));
    if (!context) {
        return std::nullopt;
    }
    // The parser reports elements only, and builds no tree: a page's feed link
    // is found in the time it takes to read the page once.
    xmlSAXHandler handler{};
    handler.startElement = onStartElement;
    handler.initialized = 1;
    *context->sax = handler;
    LinkSearch search;
    search.lastLinkTag = lastLink;
    context->_private = &search;
    // The text is UTF-8 already: a <meta charset> must not switch the parser to another.
    xmlSwitchEncoding(context.get(), XML_CHAR_ENCODING_UTF8);
    htmlCtxtUseOptions(context.get(), HTML_PARSE_NONET | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING |
                                          HTML_PARSE_IGNORE_ENC);
    htmlParseDocument(context.get());
    if (!search.feedHref) {
        return std::nullopt;
    }
    const std::string pageBase(pageAddress);
    const std::string address =
        resolved(*search.feedHref, search.base ? resolved(*search.base, pageBase) : pageBase);
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
           text::equalsIgnoringAsciiCase(one->scheme, other->scheme) &&
           text::equalsIgnoringAsciiCase(one->server, other->server) &&
           portOf(*one) == portOf(*other);
}

}  // namespace lumeward::feed
