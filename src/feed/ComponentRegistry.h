#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "feed/Component.h"
#include "feed/CurlHttpRequest.h"

namespace lumeward::feed {

// The component names the reader asks for.
namespace component_names {
inline constexpr std::string_view kWinHttp = "WinHttp.WinHttpRequest.5";
inline constexpr std::string_view kXmlHttp = "MSXML2.XMLHTTP";
inline constexpr std::string_view kServerXmlHttp = "MSXML2.ServerXMLHTTP";
inline constexpr std::string_view kMicrosoftXmlHttp = "Microsoft.XMLHTTP";
inline constexpr std::string_view kDomDocument = "MSXML.DomDocument";
inline constexpr std::string_view kRegExp = "VBScript.RegExp";
}  // namespace component_names

// Maps component names (compared without regard to case) to factories. A name
// without a factory, or a factory that throws, yields no component.
class ComponentRegistry {
public:
    using Factory = std::function<std::unique_ptr<Component>()>;

    // Every name above, each served by Lumeward's own implementation; the HTTP
    // names make requests with the given limits.
    static ComponentRegistry standard(HttpLimits limits = {});

    // Adds a factory, replacing one already registered under the name.
    void add(std::string_view name, Factory factory);
    void remove(std::string_view name);

    // A new instance, or nullptr when there is none of that name.
    std::unique_ptr<Component> create(std::string_view name) const;

private:
    static std::string key(std::string_view name);

    std::map<std::string, Factory, std::less<>> m_factories;
};

}  // namespace lumeward::feed
