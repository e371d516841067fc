// The HTTP component against a loopback server; every exchange that stalls, streams or
// inflates without end, or redirects in circles, ends by a limit.
#include "feed/CurlHttpRequest.h"

#include "support/CurlErrorCodes.h"
#include "support/LoopbackServer.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

namespace lumeward::feed {
namespace {

using namespace std::chrono_literals;
using test::LoopbackServer;

constexpr std::size_t kMiB = std::size_t{1} << 20;

// How a GET of url fails: the error's number and text.
std::string failure(const std::string& url, HttpLimits limits = {}) {
    try {
        CurlHttpRequest request(limits);
        request.open("GET", url, false);
        request.send();
    } catch (const ComponentError& error) {
        return std::to_string(error.number()) + " " + error.what();
    }
    return "no failure";
}

TEST(CurlHttpRequest, FollowsRedirectsToTheLastResponseButNotInCircles) {
    LoopbackServer server;
    // The redirects have bodies and a charset; the last response must inherit neither.
    for (const auto& [from, to] : {std::pair{"/old", "/older"},
                                   {"/older", "/new"},
                                   {"/ping", "/pong"},
                                   {"/pong", "/ping"}}) {
        server.handle(from, [to](const httplib::Request&, httplib::Response& response) {
            response.set_redirect(to);
            response.set_content("moved", "text/plain; charset=ISO-8859-1");
        });
    }
    server.serve("/new", 203, "caf\xC3\xA9", "text/plain");
    CurlHttpRequest request;
    request.open("GET", server.url("/old"), false);
    request.send();
    EXPECT_EQ(std::to_string(request.status()) + " " + request.statusText(),
              "203 Non-Authoritative Information");
    EXPECT_EQ(request.takeResponseText(), "caf\xC3\xA9");
    EXPECT_EQ(server.hits("/old") + server.hits("/older") + server.hits("/new"), 3);
    EXPECT_EQ(server.requests().back().headers.find("User-Agent")->second,
              "Lumeward/" LUMEWARD_VERSION);

    EXPECT_TRUE(failure(server.url("/ping")).starts_with(std::to_string(test::kTooManyRedirects)));
    EXPECT_EQ(server.hits("/ping") + server.hits("/pong"), 11) << "the first and ten redirects";
}

// Headers then silence end by the stall rule; a byte every 100 ms keeps clear of that rule
// but not of the limit on the whole exchange.
TEST(CurlHttpRequest, SilenceEndsByTheStallRuleAndADripByTheTotalTime) {
    LoopbackServer server;
    for (const auto& [path, drips] : {std::pair{"/silent", false}, {"/drip", true}}) {
        server.handle(path, [drips](const httplib::Request&, httplib::Response& response) {
            response.set_chunked_content_provider(
                "application/rss+xml", [drips](std::size_t, httplib::DataSink& sink) {
                    // While the client listens, for 20 s at most.
                    for (int wait = 0; wait < 2000 && sink.is_writable(); ++wait) {
                        std::this_thread::sleep_for(10ms);
                        if (drips && wait % 10 == 0 && !sink.write("<", 1)) {
                            break;
                        }
                    }
                    return false;
                });
        });
    }
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(failure(server.url("/silent"), {.stallTime = 1s})
                    .starts_with(std::to_string(test::kOperationTimedOut)));
    EXPECT_EQ(failure(server.url("/drip"), {.stallTime = 1s, .totalTime = 2s}),
              std::to_string(test::kOperationTimedOut) + " Timed out after 2 seconds");
    EXPECT_LT(std::chrono::steady_clock::now() - start, 6s);
}

TEST(CurlHttpRequest, BodyEndsAtTheCapWithOrWithoutLengthOrInflated) {
    LoopbackServer server;
    const auto tooLarge = [&server](const std::string& path, const std::string& cap) {
        return std::to_string(test::kFileSizeExceeded) + " Response from " + server.url(path) +
               " is larger than " + cap;
    };
    server.serve("/full", 200, std::string(1024, 'x'));
    server.serve("/over", 200, std::string(1025, 'x'));
    CurlHttpRequest request({.maxBodyBytes = 1024});
    request.open("GET", server.url("/full"), false);
    request.send();
    EXPECT_EQ(request.takeResponseText(), std::string(1024, 'x'));
    EXPECT_EQ(failure(server.url("/over"), {.maxBodyBytes = 1024}), tooLarge("/over", "1 KiB"));

    // No length announced, and chunks without end but for the server's own 256 MiB.
    std::atomic<std::size_t> sent = 0;
    server.handle("/endless", [&sent](const httplib::Request&, httplib::Response& response) {
        response.set_chunked_content_provider(
            "application/rss+xml", [&sent](std::size_t offset, httplib::DataSink& sink) {
                const std::string items(64 * 1024, 'x');
                sent = offset;
                return offset < 256 * kMiB && sink.write(items.data(), items.size());
            });
    });
    EXPECT_EQ(failure(server.url("/endless"), {.maxBodyBytes = kMiB}),
              tooLarge("/endless", "1 MiB"));
    // What the server got out is the cap and what the sockets hold on the way.
    EXPECT_LT(sent.load(), 32 * kMiB);

    // 69 MiB of zeros in 455 KB of gzip that never ends: a fixed-code deflate block of a
    // literal zero, then 258 bytes from one byte back, over and over (eight times in 13 bytes).
    std::string bomb("\x1f\x8b\x08\0\0\0\0\0\0\x03\x63\x18", 12);
    for (int i = 0; i < 35'000; ++i) {
        bomb.append("\x05\xA3\x60\x14\x8C\x82\x51\x30\x0A\x46\xC1\x28\x18", 13);
    }
    server.handle("/bomb", [&bomb](const httplib::Request&, httplib::Response& response) {
        response.set_header("Content-Encoding", "gzip");
        response.set_content(bomb, "application/rss+xml");
    });
    EXPECT_EQ(failure(server.url("/bomb")), tooLarge("/bomb", "64 MiB"));
    EXPECT_EQ(failure(server.url("/bomb"), {.maxBodyBytes = kMiB}), tooLarge("/bomb", "1 MiB"));
}

}  // namespace
}  // namespace lumeward::feed
