#include "support/FeedFarm.h"

#include <algorithm>
#include <stdexcept>

namespace lumeward::bench {

std::string makeFeed(int feed, int items) {
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\"><channel>"
        "<title>Feed " +
        std::to_string(feed) + "</title><link>http://news.example.com/</link>\n";
    for (int item = 0; item < items; ++item) {
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

FeedFarm::FeedFarm(FarmShape shape) : m_shape(shape) {
    for (int feed = 0; feed < m_shape.feeds; ++feed) {
        m_feeds.push_back(makeFeed(feed, m_shape.itemsPerFeed));
    }
    for (int h = 0; h < m_shape.hosts; ++h) {
        auto host = std::make_unique<Host>();
        Host& self = *host;
        // Room for every request a run may have in progress on one host, and more.
        self.server.new_task_queue = [] { return new httplib::ThreadPool(16); };
        self.server.Get(R"(/feed/(\d+)\.xml)", [this, &self](const httplib::Request& request,
                                                             httplib::Response& response) {
            const int index = std::stoi(request.matches[1].str());
            {
                std::lock_guard lock(m_mutex);
                m_most = std::max(m_most, ++self.inProgress);
            }
            std::this_thread::sleep_for(m_shape.delay);
            if (index == m_shape.slowFeed) {
                std::this_thread::sleep_for(m_shape.slowFeedDelay);
            }
            while (index == m_shape.stalledFeed && !m_closing) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            const std::string etag = "\"feed-" + std::to_string(index) + "\"";
            if (request.get_header_value("If-None-Match") == etag) {
                response.status = 304;
            } else {
                const std::string& feed = m_feeds.at(static_cast<std::size_t>(index));
                m_bodyBytes += feed.size();
                response.set_header("ETag", etag);
                response.set_content(feed, "application/rss+xml");
            }
            std::lock_guard lock(m_mutex);
            --self.inProgress;
        });
        // One loopback address per host, as the per-host limit goes by host name.
        const std::string ip = "127.0.0." + std::to_string(h + 1);
        const int port = self.server.bind_to_any_port(ip);
        if (port <= 0) {
            throw std::runtime_error("no free port on " + ip);
        }
        self.address = ip + ':' + std::to_string(port);
        self.thread = std::thread([&self] { self.server.listen_after_bind(); });
        while (!self.server.is_running()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        m_hosts.push_back(std::move(host));
    }
}

FeedFarm::~FeedFarm() {
    m_closing = true;
    for (auto& host : m_hosts) {
        host->server.stop();
        host->thread.join();
    }
}

std::vector<std::string> FeedFarm::addresses() const {
    std::vector<std::string> result;
    for (int feed = 0; feed < m_shape.feeds; ++feed) {
        const auto& host = *m_hosts[static_cast<std::size_t>(feed % m_shape.hosts)];
        result.push_back("http://" + host.address + "/feed/" + std::to_string(feed) + ".xml");
    }
    return result;
}

std::size_t FeedFarm::totalBytes() const {
    std::size_t total = 0;
    for (const auto& feed : m_feeds) {
        total += feed.size();
    }
    return total;
}

int FeedFarm::mostAtOnceOnOneHost() const {
    std::lock_guard lock(m_mutex);
    return m_most;
}

void FeedFarm::resetCounts() {
    std::lock_guard lock(m_mutex);
    m_most = 0;
    m_bodyBytes = 0;
}

}  // namespace lumeward::bench
