// How a loaded document becomes items: kind recognition and field look-ups.
#include <array>

#include "feed/FeedReader.h"
#include "feed/XmlDocument.h"

namespace lumeward::feed {

// A field's path, and the path asked when the entry has no node at the first.
struct FieldPaths {
    std::string_view path;
    std::string_view fallback;
};

namespace {

// Where an entry keeps its id: a child element's text, or an attribute of its own.
struct IdPlace {
    const char* element;
    const char* attribute;
};

struct KindPaths {
    std::int32_t kind;
    // The document's top, which names the kind also when the feed has no entries.
    std::string_view root;
    std::string_view items;
    FieldPaths url;
    FieldPaths title;
    FieldPaths description;
    DateElements dates;
    IdPlace id;
};

// In recognition order. An Atom link without rel is the alternate link
// (RFC 4287), and many entries carry a summary but no content. RSS feeds
// that use the Dublin Core module date items as RDF ones do.
constexpr std::array<KindPaths, 3> kKinds{{
    {kRssFeed,
     "/rss/channel",
     "/rss/channel/item",
     {"link", {}},
     {"title", {}},
     {"description", {}},
     {"pubDate", "dc:date"},
     {"guid", nullptr}},
    {kRdfFeed,
     "/rdf:RDF",
     "/rdf:RDF/item",
     {"link", {}},
     {"title", {}},
     {"description", {}},
     {"dc:date", nullptr},
     {nullptr, "rdf:about"}},
    {kAtomFeed,
     "/feed",
     "/feed/entry",
     {"link[@rel='alternate']/@href", "link[not(@rel)]/@href"},
     {"title", {}},
     {"content", "summary"},
     {"published", "updated"},
     {"id", nullptr}},
}};

// By the element's or attribute's name as written, as dates are: far cheaper than a path.
std::string entryId(const pugi::xml_node& entry, const IdPlace& place) {
    if (place.attribute != nullptr) {
        return entry.attribute(place.attribute).value();
    }
    const pugi::xml_node element = entry.child(place.element);
    return element ? XmlDocument::nodeText(element) : std::string();
}

const KindPaths* pathsOf(std::int32_t kind) {
    for (const auto& paths : kKinds) {
        if (paths.kind == kind) {
            return &paths;
        }
    }
    return nullptr;
}

}  // namespace

bool FeedReader::ParseFeedItems(const XmlDocument& document, std::int32_t& lType, bool bAllowHTML) {
    try {
        if (lType == kUnknownFeed) {
            lType = RecognisedKind(document);
        }
        m_feedType = lType;
        const KindPaths* paths = pathsOf(lType);
        if (!paths) {
            return false;
        }
        const auto entries = document.selectNodes(document.root(), paths->items);
        m_items->reserve(m_items->size() + entries.size());
        for (const auto& entry : entries) {
            m_items->push_back(NewItem(entryId(entry.node(), paths->id),
                                       GetNodeText(document, entry.node(), paths->url),
                                       GetNodeText(document, entry.node(), paths->title),
                                       GetNodeText(document, entry.node(), paths->description),
                                       GetNodeDate(entry.node(), paths->dates), bAllowHTML));
        }
        return true;
    } catch (...) {
        RecordCurrentException();
    }
    return false;
}

std::int32_t FeedReader::RecognisedKind(const XmlDocument& document) {
    for (const auto& paths : kKinds) {
        if (document.selectSingleNode(document.root(), paths.root)) {
            return paths.kind;
        }
    }
    return kUnknownFeed;
}

std::string FeedReader::GetNodeText(const XmlDocument& document, const pugi::xml_node& context,
                                    const FieldPaths& paths) {
    try {
        auto node = document.selectSingleNode(context, paths.path);
        if (!node && !paths.fallback.empty()) {
            node = document.selectSingleNode(context, paths.fallback);
        }
        return node ? XmlDocument::nodeText(node) : std::string();
    } catch (...) {
        RecordCurrentException();
    }
    return {};
}

std::optional<ItemDate> FeedReader::GetNodeDate(const pugi::xml_node& context,
                                                const DateElements& names) {
    // A feed that spoils one date may still give the other.
    for (const char* name : names) {
        // The first child element of the name as written, prefix included: far cheaper
        // than a path look-up.
        const pugi::xml_node element = name != nullptr ? context.child(name) : pugi::xml_node();
        // Text alone, as nearly always, is kept in the element itself.
        const auto date = !element                ? std::nullopt
                          : element.first_child() ? parseItemDate(XmlDocument::nodeText(element))
                                                  : parseItemDate(element.value());
        if (date) {
            return date;
        }
    }
    return std::nullopt;
}

}  // namespace lumeward::feed
