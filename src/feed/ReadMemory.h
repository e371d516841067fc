#pragma once

#include <optional>
#include <string>

namespace lumeward::feed {

// A response's validators exactly as the server sent them, quotes and all;
// never parsed, never made up.
struct Validators {
    std::string etag;          // the ETag header's value; empty when it had none
    std::string lastModified;  // the Last-Modified header's value; empty when it had none

    bool empty() const { return etag.empty() && lastModified.empty(); }
};

// A full answer as it came in, before any decoding.
struct KeptAnswer {
    Validators validators;
    std::string contentType;
    std::string body;
};

// What a read takes from earlier reads of its address and what it leaves for
// the next: the caller fills the first part before ReadFeed and reads the
// second after. The reader keeps nothing itself.
struct ReadMemory {
    // The answer kept from an earlier read. Only with it are validators sent
    // (If-None-Match, If-Modified-Since), and a 304 then reads its body as if
    // it had just come in.
    std::optional<KeptAnswer> kept;
    // Why the server is not to be asked at all; empty to ask it. The read then
    // takes the kept body, LastHTTPStatus 0, or fails with this reason.
    std::string notAskedBecause;
    // The caller keeps full answers: a 200 that carries validators then hands
    // out its Content-Type and undecoded body in answer.
    bool keepsAnswers = false;

    // The validators of the last answer; see keepsAnswers for the rest.
    KeptAnswer answer;
    // The items came from the kept body: a 304, or the server not asked.
    bool fromKeptBody = false;
    // Where the feed moved: the target of the permanent redirects (301, 308)
    // that led from the address, before any temporary one; empty when none did.
    std::string movedTo;
};

}  // namespace lumeward::feed
