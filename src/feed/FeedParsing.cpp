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
    // The document's top, which names the kind also when the feed has no entries.
    std::string_view root;
    std::string_view items;
    FieldPaths url;
    FieldPaths title;
    FieldPaths description;
};

// In recognition order. An Atom link without rel is the alternate link
// (RFC 4287), and many entries carry a summary but no content.
constexpr std::array<KindPaths, 3> kKinds{{
    {kRssFeed,
     "/rss/channel",
     "/rss/channel/item",
     {"link", {}},
     {"title", {}},
     {"description", {}}},
    {kRdfFeed, "/rdf:RDF", "/rdf:RDF/item", {"link", {}}, {"title", {}}, {"description", {}}},
    {kAtomFeed,
     "/feed",
     "/feed/entry",
     {"link[@rel='alternate']/@href", "link[not(@rel)]/@href"},
     {"title", {}},
     {"content", "summary"}},
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
                if (document.selectSingleNode(root, paths.root)) {
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
            FeedItem item;
            item.URL(GetNodeText(document, entry.node(), paths->url));
            item.Title(GetNodeText(document, entry.node(), paths->title));
            auto text = GetNodeText(document, entry.node(), paths->description);
            item.Description(bAllowHTML ? std::move(text) : StripHTML(text));
            m_items->push_back(std::move(item));
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

}  // namespace lumeward::feed
