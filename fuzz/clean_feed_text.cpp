// cleanFeedText against the plain reference; on valid UTF-8 the result must
// also be valid and hold no character XML forbids.
#include "feed/TextCleaning.h"
#include "support/FuzzChecks.h"
#include "support/ReferenceCleaning.h"

void lumeward::fuzz::fuzzOne(std::string_view input) {
    const std::string cleaned = feed::cleanFeedText(std::string(input));
    check(cleaned == referenceCleanFeedText(input), "cleanFeedText differs from the reference");
    check(!isValidUtf8(input) || isCleanText(cleaned),
          "cleanFeedText left a forbidden or broken character");
}
