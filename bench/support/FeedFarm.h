#pragma once

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace lumeward::bench {

struct FarmShape {
    int feeds = 200;
    int itemsPerFeed = 50;
    int hosts = 1;  // servers on 127.0.0.1, 127.0.0.2, ...: a host name each
    std::chrono::milliseconds delay{0};
    int stalledFeed = -1;  // this feed answers only when the farm goes
    int slowFeed = -1;     // this feed answers slowFeedDelay late, on top of delay
    std::chrono::milliseconds slowFeedDelay{0};
};

// Feeds served over loopback by several in-process servers, with the answers
// held back as the shape says, counting how many requests each host has in progress
// and the body bytes sent. Each feed carries an ETag, and a request that sends it
// back gets a 304, as the feed never changes.
class FeedFarm {
public:
    explicit FeedFarm(FarmShape shape);
    ~FeedFarm();
    FeedFarm(const FeedFarm&) = delete;
    FeedFarm& operator=(const FeedFarm&) = delete;

    std::vector<std::string> addresses() const;
    std::size_t totalBytes() const;
    // The most requests one host had in progress at once since the last reset.
    int mostAtOnceOnOneHost() const;
    // The body bytes sent since the last reset (none for a 304).
    std::size_t bodyBytesSent() const { return m_bodyBytes; }
    void resetCounts();

private:
    struct Host {
        httplib::Server server;
        std::string address;  // the host's part of a feed address, "127.0.0.2:41003"
        std::thread thread;
        int inProgress = 0;
    };

    FarmShape m_shape;
    std::vector<std::string> m_feeds;
    std::vector<std::unique_ptr<Host>> m_hosts;
    mutable std::mutex m_mutex;
    int m_most = 0;
    std::atomic<std::size_t> m_bodyBytes = 0;
    std::atomic<bool> m_closing = false;
};

// An RSS 2.0 feed whose items look like a news site's.
std::string makeFeed(int feed, int items);

}  // namespace lumeward::bench
