#include "support/LoopbackServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <stdexcept>
#include <utility>

namespace lumeward::test {

LoopbackServer::LoopbackServer(std::string host) : m_host(std::move(host)) {
    m_server.Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
        Handler handler;
        {
            std::lock_guard lock(m_mutex);
            m_requests.push_back({request.method, request.path, request.headers});
            if (auto found = m_handlers.find(request.path); found != m_handlers.end()) {
                handler = found->second;
            }
        }
        if (handler) {
            handler(request, response);
        } else {
            response.status = 404;
            response.set_content("<html><body><p>Not found<br></body></html>", "text/html");
        }
    });
    m_port = m_server.bind_to_any_port(m_host);
    if (m_port <= 0) {
        throw std::runtime_error("loopback server: no free port on " + m_host);
    }
    m_thread = std::thread([this] { m_server.listen_after_bind(); });
    // stop() does nothing before the loop runs, so a server stopped at once would never end.
    while (!m_server.is_running()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

LoopbackServer::~LoopbackServer() {
    m_server.stop();
    m_thread.join();
}

void LoopbackServer::serve(const std::string& path, int status, std::string body,
                           std::string contentType) {
    // Shared, so that each request copies a large body once, into the response, and no more.
    handle(path, [status, body = std::make_shared<const std::string>(std::move(body)),
                  contentType = std::move(contentType)](const httplib::Request&,
                                                        httplib::Response& response) {
        response.status = status;
        response.set_content(*body, contentType);
    });
}

void LoopbackServer::handle(const std::string& path, Handler handler) {
    std::lock_guard lock(m_mutex);
    m_handlers[path] = std::move(handler);
}

std::string LoopbackServer::url(std::string_view path) const {
    return "http://" + m_host + ':' + std::to_string(m_port) + std::string(path);
}

int LoopbackServer::hits(std::string_view path) const {
    std::lock_guard lock(m_mutex);
    return static_cast<int>(std::ranges::count(m_requests, path, &RecordedRequest::path));
}

std::vector<RecordedRequest> LoopbackServer::requests() const {
    std::lock_guard lock(m_mutex);
    return m_requests;
}

int unusedLoopbackPort() {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) {
        throw std::runtime_error("unusedLoopbackPort: socket() failed");
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(fd);
        throw std::runtime_error("unusedLoopbackPort: bind() failed");
    }
    ::close(fd);
    return ntohs(address.sin_port);
}

}  // namespace lumeward::test
