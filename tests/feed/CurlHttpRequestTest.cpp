// The HTTP component against a real loopback server, hostile servers included: every
// exchange that stalls, streams without end, inflates without end or redirects in
// circles ends by a limit.
#include "feed/CurlHttpRequest.h"

#include "feed/FeedReader.h"
#include "support/CurlErrorCodes.h"
#include "support/LoopbackServer.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>

namespace lumeward::feed {
namespace {

using namespace std::chrono_literals;
using test::LoopbackServer;

constexpr std::size_t kMiB = std::size_t{1} << 20;

// The error a GET of url ends with; fails the test when there is none.
ComponentError fetchError(const std::string& url, HttpLimits limits = {}) {
    try {
        CurlHttpRequest request(limits);
        request.open("GET", url, false);
        request.send();
    } catch (const ComponentError& error) {
        return error;
    }
    ADD_FAILURE() << "GET " << url << " succeeded";
    return ComponentError(0, "");
}

// A gzip stream of zeros without its closing check values, which no cap lets a reader
// reach: in a fixed-code deflate block, one literal zero, then `copies` copies of 258
// bytes from one byte back, each 13 bits.
std::string gzipBomb(std::size_t copies) {
    std::string gzip("\x1f\x8b\x08\0\0\0\0\0\0\x03", 10);
    std::uint32_t pending = 0;
    int count = 0;
    const auto code = [&](std::uint32_t value, int bits) {  // most significant bit first
        while (bits-- > 0) {
            pending |= ((value >> bits) & 1u) << count;
            if (++count == 8) {
                gzip += static_cast<char>(pending);
                pending = 0;
                count = 0;
            }
        }
    };
    code(0b110, 3);  // last block, fixed codes (type 1, least significant bit first)
    code(0x30, 8);   // literal 0
    while (copies-- > 0) {
        code(0xC5, 8);  // length 258
        code(0, 5);     // distance 1
    }
    code(0, 7);  // end of block
    code(0, 7);  // flushes the last byte
    return gzip;
}

TEST(CurlHttpRequest, FollowsRedirectsToTheLastResponseAndIdentifiesItself) {
    LoopbackServer server;
    // The redirects name a charset; the last response names none and must not inherit it.
    const auto redirect = [](std::string target, int status) {
        return [target, status](const httplib::Request&, httplib::Response& response) {
            response.status = status;
            response.set_header("Location", target);
            response.set_content("moved", "text/plain; charset=ISO-8859-1");
        };
    };
    server.handle("/old", redirect("/older", 301));
    server.handle("/older", redirect("/new", 302));
    server.serve("/new", 203, "caf\xC3\xA9", "text/plain");
    CurlHttpRequest request;
    request.open("GET", server.url("/old"), false);
    request.send();

    EXPECT_EQ(request.status(), 203);
    EXPECT_EQ(request.statusText(), "Non-Authoritative Information");
    EXPECT_EQ(request.takeResponseText(), "caf\xC3\xA9");
    EXPECT_EQ(request.takeResponseText(), "");
    EXPECT_EQ(server.hits("/old") + server.hits("/older") + server.hits("/new"), 3);
    const httplib::Headers headers = server.requests().back().headers;
    EXPECT_EQ(headers.find("User-Agent")->second, "Lumeward/" LUMEWARD_VERSION);
    EXPECT_NE(headers.find("Accept-Encoding")->second.find("gzip"), std::string::npos);
}

TEST(CurlHttpRequest, RedirectLoopEndsAfterTenRedirects) {
    LoopbackServer server;
    server.handle("/ping", [](const httplib::Request&, httplib::Response& response) {
        response.set_redirect("/pong");
    });
    server.handle("/pong", [](const httplib::Request&, httplib::Response& response) {
        response.set_redirect("/ping");
    });
    EXPECT_EQ(fetchError(server.url("/ping")).number(), test::kTooManyRedirects);
    EXPECT_EQ(server.hits("/ping"), 6);
    EXPECT_EQ(server.hits("/pong"), 5);
}

TEST(CurlHttpRequest, HeadersThenSilenceEndByTheStallRule) {
    LoopbackServer server;
    server.handle("/silent", [](const httplib::Request&, httplib::Response& response) {
        response.set_chunked_content_provider(
            "application/rss+xml", [](std::size_t, httplib::DataSink& sink) {
                // Nothing follows the headers while the client listens (20 s at most).
                const auto deadline = std::chrono::steady_clock::now() + 20s;
                while (sink.is_writable() && std::chrono::steady_clock::now() < deadline) {
                    std::this_thread::sleep_for(10ms);
                }
                return false;
            });
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(fetchError(server.url("/silent"), {.stallTime = 1s}).number(),
              test::kOperationTimedOut);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 4s);
}

TEST(CurlHttpRequest, BodyEndsAtTheCapWithOrWithoutLength) {
    LoopbackServer server;
    server.serve("/full", 200, std::string(1024, 'x'));
    server.serve("/over", 200, std::string(1025, 'x'));
    CurlHttpRequest request({.maxBodyBytes = 1024});
    request.open("GET", server.url("/full"), false);
    request.send();
    EXPECT_EQ(request.takeResponseText(), std::string(1024, 'x'));
    const ComponentError over = fetchError(server.url("/over"), {.maxBodyBytes = 1024});
    EXPECT_EQ(over.number(), test::kFileSizeExceeded);
    EXPECT_EQ(over.what(), "Response from " + server.url("/over") + " is larger than 1 KiB");

    // No length announced, and chunks that never end but for the server's own 256 MiB.
    std::atomic<std::size_t> sent = 0;
    server.handle("/endless", [&sent](const httplib::Request&, httplib::Response& response) {
        response.set_chunked_content_provider(
            "application/rss+xml", [&sent](std::size_t offset, httplib::DataSink& sink) {
                const std::string items(64 * 1024, 'x');
                sent = offset;
                return offset < 256 * kMiB && sink.write(items.data(), items.size());
            });
    });
    const ComponentError endless = fetchError(server.url("/endless"), {.maxBodyBytes = kMiB});
    EXPECT_EQ(endless.number(), test::kFileSizeExceeded);
    EXPECT_EQ(endless.what(), "Response from " + server.url("/endless") + " is larger than 1 MiB");
    // What the server got out is the cap and what the sockets hold on the way.
    EXPECT_LT(sent.load(), 32 * kMiB);
}

TEST(CurlHttpRequest, GzipBombEndsAtTheCapOnTheInflatedSize) {
    LoopbackServer server;
    // 70 MiB of zeros in about 450 KB: past the program's own 64 MiB cap.
    const std::string bomb = gzipBomb(70 * kMiB / 258);
    ASSERT_LT(bomb.size(), kMiB);
    server.handle("/bomb", [&bomb](const httplib::Request&, httplib::Response& response) {
        response.set_header("Content-Encoding", "gzip");
        response.set_content(bomb, "application/rss+xml");
    });
    const ComponentError error = fetchError(server.url("/bomb"));
    EXPECT_EQ(error.number(), test::kFileSizeExceeded);
    EXPECT_EQ(error.what(), "Response from " + server.url("/bomb") + " is larger than 64 MiB");

    // The reader records it; under a small cap each component ends as early.
    FeedReader reader(std::make_shared<const ComponentRegistry>(
        ComponentRegistry::standard({.maxBodyBytes = kMiB})));
    EXPECT_FALSE(reader.ReadFeed(server.url("/bomb")));
    EXPECT_EQ(reader.LastErrorCode(), test::kFileSizeExceeded);
    EXPECT_EQ(reader.LastErrorDesc(),
              "Response from " + server.url("/bomb") + " is larger than 1 MiB");
    EXPECT_TRUE(reader.FeedItems()->empty());
}

}  // namespace
}  // namespace lumeward::feed
