#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <httplib.h>

namespace lumeward::test {

// What the server saw of one request.
struct RecordedRequest {
    std::string method;
    std::string path;
    httplib::Headers headers;
};

// A real HTTP server on a loopback address (127.0.0.1 unless another of
// 127.0.0.0/8 is given, which makes another host) with a free port, running on its
// own thread for the lifetime of the object. Unknown paths answer 404 with an HTML page.
class LoopbackServer {
public:
    using Handler = std::function<void(const httplib::Request&, httplib::Response&)>;

    explicit LoopbackServer(std::string host = "127.0.0.1");
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    // Answers GET path with a fixed status, body and content type.
    void serve(const std::string& path, int status, std::string body,
               std::string contentType = "application/xml");
    // Answers GET path with a handler of the test's own.
    void handle(const std::string& path, Handler handler);

    std::string url(std::string_view path) const;
    int port() const { return m_port; }

    // Requests received for a path, and all requests in order of arrival.
    int hits(std::string_view path) const;
    std::vector<RecordedRequest> requests() const;

private:
    httplib::Server m_server;
    std::string m_host;
    int m_port = 0;
    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::map<std::string, Handler, std::less<>> m_handlers;
    std::vector<RecordedRequest> m_requests;
};

// A port on 127.0.0.1 on which nothing listens (bound, then closed again).
int unusedLoopbackPort();

}  // namespace lumeward::test
