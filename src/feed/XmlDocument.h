#pragma once

#include <map>
#include <string>
#include <string_view>

#include <pugixml.hpp>

#include "feed/Component.h"

namespace lumeward::feed {

// The XML document component: loads one well-formed document and answers
// path look-ups. Element names match as written, prefix included; no namespace
// processing takes place.
class XmlDocument : public Component {
public:
    // Parses the text as a complete document in place. A text that is not a
    // well-formed document (one root element, every tag closed and matched,
    // nothing but comments, processing instructions and white space around the
    // root) leaves the document empty.
    void loadXml(std::string&& text);

    // True when no document is loaded.
    bool isEmpty() const;
    // Why the last text did not load, with the byte where the parser stopped;
    // empty after a successful load.
    const std::string& loadError() const { return m_loadError; }

    // The first node at the path under the context, or a null node; and all
    // of them, in document order. A path that is not valid XPath throws
    // ComponentError.
    pugi::xpath_node selectSingleNode(const pugi::xml_node& context, std::string_view path) const;
    pugi::xpath_node_set selectNodes(const pugi::xml_node& context, std::string_view path) const;

    // An element's text is that of all its descendants, CDATA included; an
    // attribute's text is its value.
    static std::string nodeText(const pugi::xpath_node& node);

    pugi::xml_node root() const { return m_document; }

private:
    const pugi::xpath_query& compiled(std::string_view path) const;
    void fail(std::string_view why);

    mutable std::map<std::string, pugi::xpath_query, std::less<>> m_queries;
    std::string m_buffer;  // pugixml parses in place: the text lives as long as the document
    pugi::xml_document m_document;
    std::string m_loadError;
};

}  // namespace lumeward::feed
