#include "workflows/RunMemory.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "feed/FeedReader.h"
#include "memory/ResponseCache.h"
#include "memory/SettableClock.h"
#include "support/LoopbackServer.h"
#include "support/TempDir.h"
#include "workflows/RetrievalRun.h"

using namespace lumeward::workflows;
using namespace std::chrono_literals;
using lumeward::test::LoopbackServer;
using lumeward::test::SettableClock;

namespace {

const std::string kEtag = "W/\"v1 \\\"x\"", kDate = "Mon, 07 Dec 2026 10:00:00 GMT";

std::string feedOf(int items) {
    std::string body = "<rss version=\"2.0\"><channel>";
    for (int i = 1; i <= items; ++i) {
        body += "<item><guid>g" + std::to_string(i) + "</guid><title>" + std::to_string(i) +
                "</title></item>";
    }
    return body + "</channel></rss>";
}

using Answer = std::function<void(const httplib::Request&, httplib::Response&)>;

// A feed of items, with the validators as given; a 304 when both were sent back unchanged.
Answer feed(int items, std::string etag = kEtag, std::string date = kDate) {
    return [=](const httplib::Request& request, httplib::Response& response) {
        if (!etag.empty() && request.get_header_value("If-None-Match") == etag &&
            request.get_header_value("If-Modified-Since") == date) {
            response.status = 304;
            return;
        }
        if (!etag.empty()) {
            response.set_header("ETag", etag);
            response.set_header("Last-Modified", date);
        }
        response.set_content(feedOf(items), "application/rss+xml; charset=windows-1252");
    };
}

Answer waitFor(std::string retryAfter, int status) {
    return [=](const httplib::Request&, httplib::Response& response) {
        response.status = status;
        response.set_header("Retry-After", retryAfter);
    };
}

Answer movedTo(std::string path, int status) {
    return [=](const httplib::Request&, httplib::Response& response) {
        response.status = status;
        response.set_header("Location", path);
    };
}

// One read of a path in a run that remembers, and what it must send and show.
struct Exchange {
    const char* what;
    std::string path;
    Answer answer;  // for path, from this read on
    std::chrono::seconds later = 0s;
    bool readInFull = false;
    bool asked = true;
    std::string ifNoneMatch = {}, ifModifiedSince = {};
    std::string summary = {};  // empty: "HTTP ..." and not ok
};

}  // namespace

TEST(RunMemory, SendsTheKeptValidatorsTakesA304AsTheKeptItemsAndLeavesAWaitingServerAlone) {
    const lumeward::test::TempDir dir;
    SettableClock clock;
    LoopbackServer server;
    server.serve("/new", 200, feedOf(1));
    const auto waitText = [&](std::chrono::seconds after) {
        return askedToWait(SettableClock::kStart + after);
    };
    const std::string heldKept = "3 items, kept copy: the server " + waitText(120s);
    // clang-format off
    const std::vector<Exchange> exchanges = {
        {"a first read sends no validators", "/feed", feed(2), 0s, false, true, "", "", "2 items"},
        {"then the exact validators", "/feed", {}, 0s, false, true, kEtag, kDate,
         "2 items, not changed"},
        {"a changed feed is read in full", "/feed", feed(3, "\"v2\""), 0s, false, true, kEtag,
         kDate, "3 items"},
        {"in full, nothing is sent", "/feed", {}, 0s, true, true, "", "", "3 items"},
        {"nor without a kept copy", "/none", feed(1, "", ""), 0s, false, true, "", "", "1 item"},
        {"429 asks to wait", "/feed", waitFor("120", 429), 0s, false, true, "\"v2\"", kDate, ""},
        {"so the kept copy is read", "/feed", feed(3, "\"v2\""), 60s, false, false, "", "",
         heldKept},
        {"also when reading in full", "/feed", {}, 0s, true, false, "", "", heldKept},
        {"an address with no copy fails", "/other", feed(1), 0s, false, false, "", "",
         "The server " + waitText(120s)},
        {"until the wait is over", "/feed", {}, 61s, false, true, "\"v2\"", kDate,
         "3 items, not changed"},
        {"503 asks to wait too", "/none", waitFor("1", 503), 0s, false, true, "", "", ""},
        {"as long as it says", "/none", feed(1, "", ""), 0s, false, false, "", "",
         "The server " + waitText(122s)},
        {"the wait is over", "/none", feed(1, "", ""), 2s, false, true, "", "", "1 item"},
        {"a move for good is shown", "/feed", movedTo("/new", 301), 0s, false, true, "\"v2\"",
         kDate, "Moved to " + server.url("/new")},
        {"a temporary move is not", "/feed", movedTo("/new", 302), 0s, false, true, "", "",
         "1 item"},
    };
    // clang-format on
    const auto cache =
        std::make_shared<lumeward::memory::ResponseCache>(dir.path() / "cache", clock.options());
    for (const auto& exchange : exchanges) {
        SCOPED_TRACE(exchange.what);
        clock.advance(exchange.later);
        if (exchange.answer) {
            server.handle(exchange.path, exchange.answer);
        }
        const auto before = server.requests().size();
        std::optional<FeedStatus> status;
        readInOrder({server.url(exchange.path)}, {},
                    [&](FeedRead& read) { status = describeRead(read); },
                    {cache, exchange.readInFull});
        const auto requests = server.requests();
        ASSERT_EQ(requests.size() > before, exchange.asked);
        if (exchange.asked) {
            const auto& headers = requests[before].headers;
            const auto header = [&](const char* name) {
                const auto found = headers.find(name);
                return found != headers.end() ? found->second : std::string();
            };
            EXPECT_EQ(header("If-None-Match"), exchange.ifNoneMatch);
            EXPECT_EQ(header("If-Modified-Since"), exchange.ifModifiedSince);
            EXPECT_TRUE(header("Accept").starts_with(
                "application/rss+xml, application/atom+xml, application/rdf+xml, "));
            EXPECT_EQ(header("User-Agent"), "Lumeward/" LUMEWARD_VERSION);
            EXPECT_FALSE(headers.contains("Cookie") || headers.contains("Referer"));
        }
        ASSERT_TRUE(status);
        if (exchange.summary.empty()) {
            EXPECT_TRUE(status->summary.starts_with("HTTP ")) << status->summary;
        } else {
            EXPECT_EQ(status->summary, exchange.summary);
        }
    }
    EXPECT_FALSE(cache->takeWarning());
}
