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

struct KindPaths {
    std::int32_t kind;
    std::string_view items;
    FieldPaths url;
    FieldPaths title;
    FieldPaths description;
    // The child elements that date an entry, in the order they are asked.
    std::array<std::string_view, 2> dates;
};

// In recognition order. An Atom link without rel is the alternate link
// (RFC 4287), and many entries carry a summary but no content. RSS feeds
// that use the Dublin Core module date items as RDF ones do.
constexpr std::array<KindPaths, 3> kKinds{{
    {kRssFeed,
     "/rss/channel/item",
     {"link", {}},
     {"title", {}},
     {"description", {}},
     {"pubDate", "dc:date"}},
    {kRdfFeed, "/rdf:RDF/item", {"link", {}}, {"title", {}}, {"description", {}}, {"dc:date", {}}},
    {kAtomFeed,
     "/feed/entry",
     {"link[@rel='alternate']/@href", "link[not(@rel)]/@href"},
     {"title", {}},
     {"content", "summary"},
     {"published", "updated"}},
}};

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
        const auto root = document.root();
        if (lType == kUnknownFeed) {
            for (const auto& paths : kKinds) {
                if (document.selectSingleNode(root, paths.items)) {
                    lType = paths.kind;
                    break;
                }
            }
        }
        m_feedType = lType;
        const KindPaths* paths = pathsOf(lType);
        if (!paths) {
            return false;
        }
        const auto entries = document.selectNodes(root, paths->items);
        m_items->reserve(m_items->size() + entries.size());
        for (const auto& entry : entries) {
            m_items->push_back(NewItem(GetNodeText(document, entry.node(), paths->url),
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
                                                const std::array<std::string_view, 2>& names) {
    // The first child element of each name, as written, prefix included: one walk over
    // the children, far cheaper than a path look-up per name.
    const auto isNamed = [](const char* written, std::string_view name) {
        std::size_t i = 0;
        while (i < name.size() && written[i] == name[i]) {
            ++i;
        }
        return !name.empty() && i == name.size() && written[i] == '\0';
    };
    std::array<pugi::xml_node, 2> elements{};
    std::array<bool, 2> found{};
    for (pugi::xml_node child = context.first_child(); child; child = child.next_sibling()) {
        const char* written = child.name();
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (!found[i] && isNamed(written, names[i]) && child.type() == pugi::node_element) {
                elements[i] = child;
                found[i] = true;
            }
        }
    }
    // A feed that spoils one date may still give the other.
    for (const pugi::xml_node& element : elements) {
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
