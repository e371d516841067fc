#pragma once

#include <string_view>

namespace lumeward::feed {

// True when the document refers by number ("&#0;", "&#xD800;", "&#x110000;") to a
// character XML does not allow, in text or an attribute value, where the parser
// would decode it. Such a document is not well-formed. References inside
// comments, CDATA sections and processing instructions are plain text and do
// not count. Linear; the common case, a document without any forbidden
// reference, costs one scan for "&#".
bool hasForbiddenCharacterReference(std::string_view xml);

}  // namespace lumeward::feed
