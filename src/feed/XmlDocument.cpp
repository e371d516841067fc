#include "feed/XmlDocument.h"

#include <cstring>

#include "feed/CharacterReferences.h"

namespace lumeward::feed {

namespace {

// pugixml checks tag nesting but accepts several roots and stray text beside
// the root; a feed document is well-formed only with neither. Says what is
// wrong, or nothing.
std::string_view rootProblem(const pugi::xml_document& document) {
    int elements = 0;
    for (const auto& child : document.children()) {
        switch (child.type()) {
            case pugi::node_element:
                ++elements;
                break;
            case pugi::node_pcdata: {
                const char* text = child.value();
                if (text[std::strspn(text, " \t\r\n")] != '\0') {
                    return "text outside the root element";
                }
                break;
            }
            case pugi::node_cdata:
                return "text outside the root element";
            default:
                break;
        }
    }
    if (elements == 0) {
        return "no root element";
    }
    return elements == 1 ? std::string_view() : "more than one root element";
}

// Calls visit with each piece of text under top, in document order: text kept
// in an element's own value (the parser embeds a first text child there),
// text and CDATA nodes. Iterative, so deep nesting cannot exhaust the stack.
template <class Visit>
void forEachText(const pugi::xml_node& top, Visit visit) {
    visit(top.value());
    pugi::xml_node node = top.first_child();
    while (node) {
        const auto type = node.type();
        if (type == pugi::node_pcdata || type == pugi::node_cdata || type == pugi::node_element) {
            visit(node.value());
        }
        if (type == pugi::node_element && node.first_child()) {
            node = node.first_child();
            continue;
        }
        while (!node.next_sibling() && node.parent() != top) {
            node = node.parent();
        }
        node = node.next_sibling();
    }
}

}  // namespace

void XmlDocument::loadXml(std::string&& text) {
    m_document.reset();
    m_loadError.clear();
    m_buffer = std::move(text);
    // Embedding a first text child in its element saves a node per text field,
    // a good part of the document's memory.
    constexpr unsigned kFlags = pugi::parse_default | pugi::parse_ws_pcdata |
                                pugi::parse_embed_pcdata | pugi::parse_fragment;
    // The parser would decode "&#0;" and its kind without complaint, cutting or
    // corrupting the text, so such documents are refused before it sees them.
    if (hasForbiddenCharacterReference(m_buffer)) {
        fail("a character reference names a character XML does not allow");
        return;
    }
    const auto result = m_document.load_buffer_inplace(m_buffer.data(), m_buffer.size(), kFlags,
                                                       pugi::encoding_utf8);
    if (!result) {
        fail(std::string(result.description()) + " at byte " + std::to_string(result.offset));
    } else if (const auto problem = rootProblem(m_document); !problem.empty()) {
        fail(problem);
    }
}

void XmlDocument::fail(std::string_view why) {
    m_document.reset();
    m_buffer.clear();
    m_loadError = "Not well-formed XML: ";
    m_loadError += why;
}

bool XmlDocument::isEmpty() const {
    return !m_document.document_element();
}

pugi::xpath_node XmlDocument::selectSingleNode(const pugi::xml_node& context,
                                               std::string_view path) const {
    return compiled(path).evaluate_node(context);
}

pugi::xpath_node_set XmlDocument::selectNodes(const pugi::xml_node& context,
                                              std::string_view path) const {
    return compiled(path).evaluate_node_set(context);
}

std::string XmlDocument::nodeText(const pugi::xpath_node& node) {
    if (node.attribute()) {
        return node.attribute().value();
    }
    // Measured first, so that items built from many fields hold no spare capacity.
    std::size_t length = 0;
    forEachText(node.node(), [&length](const char* text) { length += std::strlen(text); });
    std::string text;
    text.reserve(length);
    forEachText(node.node(), [&text](const char* piece) { text += piece; });
    return text;
}

const pugi::xpath_query& XmlDocument::compiled(std::string_view path) const {
    if (auto found = m_queries.find(path); found != m_queries.end()) {
        return found->second;
    }
    try {
        return m_queries.emplace(std::string(path), pugi::xpath_query(std::string(path).c_str()))
            .first->second;
    } catch (const pugi::xpath_exception& error) {
        throw ComponentError(error_numbers::kInvalidPath,
                             "Invalid XPath '" + std::string(path) + "': " + error.what());
    }
}

}  // namespace lumeward::feed
