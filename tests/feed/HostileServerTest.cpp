// Servers that stall, stream without end, send compressed bombs or redirect in
// circles: every exchange ends by a limit, the reader records why and stays usable.
#include <gtest/gtest.h>
#include <httplib.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "feed/ComponentRegistry.h"
#include "feed/CurlHttpRequest.h"
#include "feed/FeedReader.h"
#include "support/CurlErrorCodes.h"
#include "support/LoopbackServer.h"

#if defined(__SANITIZE_ADDRESS__)
#define LUMEWARD_TEST_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define LUMEWARD_TEST_ASAN 1
#endif
#endif

namespace lumeward::feed {
namespace {

using namespace std::chrono_literals;
using test::kFileSizeExceeded;
using test::kOperationTimedOut;
using test::kTooManyRedirects;
using test::LoopbackServer;

// A read tries each of the HTTP component names once.
constexpr int kHttpComponentCount = 4;
constexpr std::size_t kMiB = std::size_t{1} << 20;

const char* const kFeed =
    "<rss><channel><item><title>Fine</title><link>https://a.example/</link></item></channel></rss>";

std::shared_ptr<const ComponentRegistry> standardWith(HttpLimits limits) {
    return std::make_shared<const ComponentRegistry>(ComponentRegistry::standard(limits));
}

// Waits until done() holds, for at most 20 s; false when it never did. The
// server's providers end by themselves once the client has gone.
bool eventually(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

// The peak resident memory of this process since reset(), read from the
// kernel's high-water mark. AddressSanitizer keeps freed memory resident in
// its quarantine, so the peak means something only without it.
class PeakMemory {
public:
    static constexpr bool kMeaningful =
#if defined(LUMEWARD_TEST_ASAN)
        false;
#else
        true;
#endif

    // False when the kernel does not let the process reset its mark.
    bool reset() {
        std::ofstream clear("/proc/self/clear_refs");
        clear << "5";
        clear.flush();
        if (!clear) {
            return false;
        }
        m_start = statusKiB("VmRSS:");
        return statusKiB("VmHWM:") <= m_start + 1024;
    }

    std::size_t growthBytes() const {
        const std::size_t peak = statusKiB("VmHWM:");
        return (peak > m_start ? peak - m_start : 0) * 1024;
    }

private:
    static std::size_t statusKiB(const std::string& field) {
        std::ifstream status("/proc/self/status");
        for (std::string line; std::getline(status, line);) {
            if (line.starts_with(field)) {
                return std::stoul(line.substr(field.size()));
            }
        }
        return 0;
    }

    std::size_t m_start = 0;
};

// Deflate's bits go out least significant first; Huffman codes most significant first.
class BitWriter {
public:
    void bits(std::uint32_t value, int count) {
        for (int i = 0; i < count; ++i) {
            m_pending |= ((value >> i) & 1u) << m_pendingCount;
            if (++m_pendingCount == 8) {
                m_out.push_back(static_cast<char>(m_pending));
                m_pending = 0;
                m_pendingCount = 0;
            }
        }
    }
    void code(std::uint32_t value, int count) {
        for (int i = count - 1; i >= 0; --i) {
            bits(value >> i, 1);
        }
    }
    std::string finish() {
        if (m_pendingCount > 0) {
            m_out.push_back(static_cast<char>(m_pending));
        }
        return std::move(m_out);
    }

private:
    std::string m_out;
    std::uint32_t m_pending = 0;
    int m_pendingCount = 0;
};

// The CRC register's change over zero bytes is linear: a 32x32 bit matrix, one
// column per register bit. Squaring it covers 70 MiB in a few dozen steps.
using CrcStep = std::array<std::uint32_t, 32>;

std::uint32_t applyStep(const CrcStep& step, std::uint32_t value) {
    std::uint32_t result = 0;
    for (int bit = 0; bit < 32; ++bit) {
        if (((value >> bit) & 1u) != 0) {
            result ^= step[bit];
        }
    }
    return result;
}

CrcStep chainSteps(const CrcStep& first, const CrcStep& second) {
    CrcStep chained{};
    for (int bit = 0; bit < 32; ++bit) {
        chained[bit] = applyStep(second, first[bit]);
    }
    return chained;
}

std::uint32_t crc32OfZeros(std::size_t size) {
    CrcStep oneZeroByte{};
    for (int bit = 0; bit < 32; ++bit) {
        std::uint32_t c = 1u << bit;
        for (int k = 0; k < 8; ++k) {
            c = (c & 1u) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        }
        oneZeroByte[bit] = c;
    }
    std::uint32_t crc = 0xFFFFFFFFu;
    for (CrcStep step = oneZeroByte; size != 0; size >>= 1, step = chainSteps(step, step)) {
        if ((size & 1u) != 0) {
            crc = applyStep(step, crc);
        }
    }
    return crc ^ 0xFFFFFFFFu;
}

void appendLittleEndian(std::string& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFFu));
    }
}

// A gzip stream of size (at least 1) zero bytes: one fixed-code deflate block
// holding a literal zero, then copies of 258 bytes from one byte back, then
// the remaining zeros as literals. About 160 times smaller than what it inflates to.
std::string gzipOfZeros(std::size_t size) {
    BitWriter deflate;
    deflate.bits(1, 1);  // last block
    deflate.bits(1, 2);  // fixed codes
    const auto literalZero = [&deflate] { deflate.code(0x30, 8); };
    literalZero();
    for (std::size_t copies = (size - 1) / 258; copies > 0; --copies) {
        deflate.code(0xC5, 8);  // length 258 (symbol 285)
        deflate.code(0, 5);     // distance 1
    }
    for (std::size_t rest = (size - 1) % 258; rest > 0; --rest) {
        literalZero();
    }
    deflate.code(0, 7);  // end of block
    std::string gzip("\x1f\x8b\x08\x00\x00\x00\x00\x00\x00\x03", 10);
    gzip += deflate.finish();
    appendLittleEndian(gzip, crc32OfZeros(size));
    appendLittleEndian(gzip, static_cast<std::uint32_t>(size));
    return gzip;
}

void serveGzip(LoopbackServer& server, const std::string& path, std::string packed) {
    server.handle(
        path, [packed = std::move(packed)](const httplib::Request&, httplib::Response& response) {
            response.set_header("Content-Encoding", "gzip");
            response.set_content(packed, "application/rss+xml");
        });
}

TEST(HostileServer, HeadersThenSilenceEndsEachComponentByTheStallRule) {
    std::atomic<int> ended = 0;
    LoopbackServer server;
    server.handle("/silent", [&ended](const httplib::Request&, httplib::Response& response) {
        response.set_chunked_content_provider(
            "application/rss+xml", [&ended](std::size_t, httplib::DataSink& sink) {
                // The headers are out; nothing follows while the client listens (at
                // most 20 s, so a client that never gives up cannot hold the server).
                const auto deadline = std::chrono::steady_clock::now() + 20s;
                while (sink.is_writable() && std::chrono::steady_clock::now() < deadline) {
                    std::this_thread::sleep_for(10ms);
                }
                ++ended;
                return false;
            });
    });
    server.serve("/feed", 200, kFeed);
    FeedReader reader(standardWith(HttpLimits{.stallTime = 1s}));

    EXPECT_FALSE(reader.ReadFeed(server.url("/silent")));
    EXPECT_EQ(server.hits("/silent"), kHttpComponentCount) << "each component was tried";
    EXPECT_EQ(reader.LastErrorCode(), kOperationTimedOut);
    EXPECT_FALSE(reader.LastErrorDesc().empty());
    EXPECT_EQ(reader.LastHTTPStatus(), 0);
    EXPECT_TRUE(reader.FeedItems()->empty());
    EXPECT_TRUE(eventually([&ended] { return ended == kHttpComponentCount; }))
        << "the client hung up each time, so the server let go of each stalled response";

    // The same reader reads a good feed afterwards, without a trace of the stall.
    EXPECT_TRUE(reader.ReadFeed(server.url("/feed")));
    EXPECT_EQ(reader.LastErrorCode(), 0);
    EXPECT_EQ(reader.LastHTTPStatus(), 200);
    ASSERT_EQ(reader.FeedItems()->size(), 1u);
    EXPECT_EQ(reader.FeedItems()->front().Title(), "Fine");
}

TEST(HostileServer, EndlessBodyEndsAtTheCapWithBoundedMemory) {
    constexpr std::size_t kCap = kMiB;
    // The server gives up by itself here, so a client without a cap still ends.
    constexpr std::size_t kServerGivesUp = 256 * kMiB;
    std::atomic<int> ended = 0;
    std::atomic<std::size_t> mostSent = 0;
    const std::string head = "<rss version=\"2.0\"><channel><title>Endless</title>";
    std::string items;
    while (items.size() < 64 * 1024) {
        items += "<item><title>again</title><description>and again</description></item>\n";
    }
    LoopbackServer server;
    server.handle("/endless", [&](const httplib::Request&, httplib::Response& response) {
        // No length announced: a stream of chunks that never closes the channel.
        response.set_chunked_content_provider(
            "application/rss+xml", [&](std::size_t offset, httplib::DataSink& sink) {
                const std::string& piece = offset == 0 ? head : items;
                if (offset >= kServerGivesUp || !sink.write(piece.data(), piece.size())) {
                    mostSent = std::max(mostSent.load(), offset);
                    ++ended;
                    return false;
                }
                return true;
            });
    });
    FeedReader reader(standardWith(HttpLimits{.maxBodyBytes = kCap}));
    PeakMemory memory;
    const bool measured = PeakMemory::kMeaningful && memory.reset();

    EXPECT_FALSE(reader.ReadFeed(server.url("/endless")));

    EXPECT_EQ(server.hits("/endless"), kHttpComponentCount);
    EXPECT_EQ(reader.LastErrorCode(), kFileSizeExceeded);
    EXPECT_EQ(reader.LastErrorDesc(),
              "Response from " + server.url("/endless") + " is larger than 1 MiB");
    EXPECT_TRUE(reader.FeedItems()->empty());
    ASSERT_TRUE(eventually([&ended] { return ended == kHttpComponentCount; }));
    // What the server got out is the cap plus what the sockets buffer on the way.
    EXPECT_LT(mostSent.load(), kCap + 31 * kMiB);
    if (measured) {
        EXPECT_LT(memory.growthBytes(), 32 * kMiB);
    }
}

TEST(HostileServer, GzipBombEndsAtTheCapOnTheInflatedSize) {
    LoopbackServer server;
    // First the stream maker itself: a small stream inflates to exactly its zeros.
    const std::size_t smallSize = kMiB + 77;
    serveGzip(server, "/small", gzipOfZeros(smallSize));
    {
        CurlHttpRequest request;
        request.open("GET", server.url("/small"), false);
        request.send();
        const std::string text = request.takeResponseText();
        EXPECT_EQ(text.size(), smallSize);
        EXPECT_EQ(text.find_first_not_of('\0'), std::string::npos);
    }

    // 70 MiB of zeros in about 450 KB: past the program's own 64 MiB cap.
    const std::string bomb = gzipOfZeros(70 * kMiB);
    ASSERT_LT(bomb.size(), kMiB);
    serveGzip(server, "/bomb", bomb);
    {
        CurlHttpRequest request;
        request.open("GET", server.url("/bomb"), false);
        try {
            request.send();
            ADD_FAILURE() << "the bomb was taken in whole";
        } catch (const ComponentError& error) {
            EXPECT_EQ(error.number(), kFileSizeExceeded);
            EXPECT_EQ(std::string(error.what()),
                      "Response from " + server.url("/bomb") + " is larger than 64 MiB");
        }
        EXPECT_EQ(request.takeResponseText(), "") << "nothing of the bomb is kept";
    }

    // Under a small cap the reader holds about the cap, not the 70 MiB.
    FeedReader reader(standardWith(HttpLimits{.maxBodyBytes = kMiB}));
    PeakMemory memory;
    const bool measured = PeakMemory::kMeaningful && memory.reset();
    EXPECT_FALSE(reader.ReadFeed(server.url("/bomb")));
    EXPECT_EQ(server.hits("/bomb"), 1 + kHttpComponentCount);
    EXPECT_EQ(reader.LastErrorCode(), kFileSizeExceeded);
    if (measured) {
        EXPECT_LT(memory.growthBytes(), 32 * kMiB);
    }
}

TEST(HostileServer, RedirectLoopEndsAfterTheProgramsTenRedirects) {
    LoopbackServer server;
    server.handle("/ping", [](const httplib::Request&, httplib::Response& response) {
        response.set_redirect("/pong");
    });
    server.handle("/pong", [](const httplib::Request&, httplib::Response& response) {
        response.set_redirect("/ping");
    });
    FeedReader reader;  // the program's own limits

    EXPECT_FALSE(reader.ReadFeed(server.url("/ping")));

    EXPECT_EQ(reader.LastErrorCode(), kTooManyRedirects);
    EXPECT_FALSE(reader.LastErrorDesc().empty());
    EXPECT_EQ(reader.LastHTTPStatus(), 0);
    // Each component asks once and follows ten redirects: ping, pong, ..., ping.
    std::vector<std::string> expected;
    for (int component = 0; component < kHttpComponentCount; ++component) {
        for (int request = 0; request <= 10; ++request) {
            expected.push_back(request % 2 == 0 ? "/ping" : "/pong");
        }
    }
    std::vector<std::string> seen;
    for (const auto& request : server.requests()) {
        seen.push_back(request.path);
    }
    EXPECT_EQ(seen, expected);
}

}  // namespace
}  // namespace lumeward::feed
