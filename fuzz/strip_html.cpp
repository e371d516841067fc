// stripHtml against the plain reference; then the character references of what it left
// decoded, as an item's description is. On valid UTF-8 both results stay valid, and the
// decoding adds no character XML forbids.
#include "feed/TextCleaning.h"
#include "support/FuzzChecks.h"
#include "support/ReferenceCleaning.h"
#include "text/HtmlCharacterReferences.h"

void lumeward::fuzz::fuzzOne(std::string_view input) {
    const std::string stripped = feed::stripHtml(input);
    check(stripped == referenceStripHtml(input), "stripHtml differs from the reference");
    check(!isValidUtf8(input) || isValidUtf8(stripped), "stripHtml broke a UTF-8 sequence");
    const bool clean = isCleanText(stripped);
    const std::string decoded = text::decodeCharacterReferences(std::string(stripped));
    check(!clean || isCleanText(decoded), "decoding made clean text unclean");
    check(decoded.size() <= stripped.size() + stripped.size() / 5,
          "decoding grew the text more than its longest reference can");
}
