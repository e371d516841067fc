#include "feed/ComponentRegistry.h"

#include <algorithm>
#include <cctype>

#include "feed/CurlHttpRequest.h"
#include "feed/TextCleaning.h"
#include "feed/XmlDocument.h"

namespace lumeward::feed {

ComponentRegistry ComponentRegistry::standard(HttpLimits limits) {
    ComponentRegistry registry;
    // One libcurl request serves every HTTP name; the reader decides the calling convention.
    for (auto name : {component_names::kWinHttp, component_names::kXmlHttp,
                      component_names::kServerXmlHttp, component_names::kMicrosoftXmlHttp}) {
        registry.add(name, [limits] { return std::make_unique<CurlHttpRequest>(limits); });
    }
    registry.add(component_names::kDomDocument, [] { return std::make_unique<XmlDocument>(); });
    registry.add(component_names::kRegExp, [] { return std::make_unique<TextCleaner>(); });
    return registry;
}

void ComponentRegistry::add(std::string_view name, Factory factory) {
    m_factories.insert_or_assign(key(name), std::move(factory));
}

void ComponentRegistry::remove(std::string_view name) {
    if (auto found = m_factories.find(key(name)); found != m_factories.end()) {
        m_factories.erase(found);
    }
}

std::unique_ptr<Component> ComponentRegistry::create(std::string_view name) const {
    auto found = m_factories.find(key(name));
    if (found == m_factories.end() || !found->second) {
        return nullptr;
    }
    try {
        return found->second();
    } catch (const std::exception&) {
        // A factory that fails is a name that cannot be created; the caller records that.
        return nullptr;
    }
}

std::string ComponentRegistry::key(std::string_view name) {
    std::string lowered(name);
    std::transform(lowered.begin(), lowered.end(), lowered.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lowered;
}

}  // namespace lumeward::feed
