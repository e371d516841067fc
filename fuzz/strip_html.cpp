// stripHtml against the plain reference; on valid UTF-8 the result stays valid.
#include "feed/TextCleaning.h"
#include "support/FuzzChecks.h"
#include "support/ReferenceCleaning.h"

void lumeward::fuzz::fuzzOne(std::string_view input) {
    const std::string stripped = feed::stripHtml(input);
    check(stripped == referenceStripHtml(input), "stripHtml differs from the reference");
    check(!isValidUtf8(input) || isValidUtf8(stripped), "stripHtml broke a UTF-8 sequence");
}
