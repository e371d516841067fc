// A whole retrieval run through runRetrieval: 200 feeds of 50 items each, read
// over HTTP from an in-process server on 127.0.0.1, every item collected as a row.
#include <benchmark/benchmark.h>
#include <httplib.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "workflows/RetrievalRun.h"

namespace {

constexpr int kFeeds = 200;
constexpr int kItemsPerFeed = 50;

// An RSS 2.0 feed whose items look like a news site's: a title, a link, a
// description of a few hundred bytes with some mark-up, a date and a guid.
std::string makeFeed(int feed) {
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\"><channel>"
        "<title>Feed " +
        std::to_string(feed) + "</title><link>http://news.example.com/</link>\n";
    for (int item = 0; item < kItemsPerFeed; ++item) {
        const auto id = std::to_string(feed) + "-" + std::to_string(item);
        xml += "<item><title>Council approves budget for the new library, item " + id +
               "</title><link>http://news.example.com/2024/05/story-" + id +
               ".html</link><description>&lt;p&gt;The town council voted on Tuesday to fund "
               "the new library building &amp;amp; its reading garden. &lt;b&gt;Work starts "
               "in autumn&lt;/b&gt;, with the opening planned for the following spring. "
               "Residents can comment on the plans until the end of the month at the town "
               "hall or online.&lt;/p&gt;</description><pubDate>Tue, 14 May 2024 10:00:00 "
               "GMT</pubDate><guid>http://news.example.com/2024/05/story-" +
               id + ".html</guid></item>\n";
    }
    return xml + "</channel></rss>\n";
}

// Serves /feed/N.xml from feeds built once, on its own thread.
class FeedServer {
public:
    FeedServer() {
        for (int feed = 0; feed < kFeeds; ++feed) {
            m_feeds.push_back(makeFeed(feed));
        }
        m_server.Get(R"(/feed/(\d+)\.xml)",
                     [this](const httplib::Request& request, httplib::Response& response) {
                         const auto index = std::stoul(request.matches[1].str());
                         response.set_content(m_feeds.at(index), "application/rss+xml");
                     });
        m_port = m_server.bind_to_any_port("127.0.0.1");
        if (m_port <= 0) {
            throw std::runtime_error("no free port on 127.0.0.1");
        }
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
        while (!m_server.is_running()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    ~FeedServer() {
        m_server.stop();
        m_thread.join();
    }
    FeedServer(const FeedServer&) = delete;
    FeedServer& operator=(const FeedServer&) = delete;

    std::vector<std::string> addresses() const {
        std::vector<std::string> result;
        for (int feed = 0; feed < kFeeds; ++feed) {
            result.push_back("http://127.0.0.1:" + std::to_string(m_port) + "/feed/" +
                             std::to_string(feed) + ".xml");
        }
        return result;
    }
    std::size_t totalBytes() const {
        std::size_t total = 0;
        for (const auto& feed : m_feeds) {
            total += feed.size();
        }
        return total;
    }

private:
    std::vector<std::string> m_feeds;
    httplib::Server m_server;
    int m_port = 0;
    std::thread m_thread;
};

class CollectingTarget : public lumeward::workflows::RetrievalTarget {
public:
    explicit CollectingTarget(std::vector<std::string> addresses)
        : m_addresses(std::move(addresses)) {}

    std::size_t addressCount() const override { return m_addresses.size(); }
    std::string address(std::size_t index) const override { return m_addresses[index - 1]; }
    void clearRows() override { rows.clear(); }
    void addRow(const lumeward::workflows::RetrievedRow& row) override { rows.push_back(row); }
    void setProgress(double percent) override { progress = percent; }
    bool yieldToEvents() override { return true; }

    std::vector<lumeward::workflows::RetrievedRow> rows;
    double progress = 0;

private:
    std::vector<std::string> m_addresses;
};

void BM_RetrievalRun(benchmark::State& state) {
    const FeedServer server;
    CollectingTarget target(server.addresses());
    for (auto _ : state) {
        lumeward::workflows::runRetrieval(target);
        benchmark::DoNotOptimize(target.rows.data());
    }
    if (target.rows.size() != std::size_t{kFeeds} * kItemsPerFeed || target.progress != 100.0) {
        state.SkipWithError("the run did not collect every item");
    }
    state.counters["feeds"] = kFeeds;
    state.counters["rows"] = static_cast<double>(target.rows.size());
    state.counters["feed_bytes"] = static_cast<double>(server.totalBytes());
    state.SetItemsProcessed(state.iterations() * kFeeds * kItemsPerFeed);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(server.totalBytes()));
}
BENCHMARK(BM_RetrievalRun)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace
