#pragma once

#include <atomic>
#include <string>
#include <thread>

namespace lumeward::test {

// A TCP server on 127.0.0.1 that takes in each request and closes the connection
// without a word, counting the connections.
class SilentServer {
public:
    SilentServer();
    ~SilentServer();
    SilentServer(const SilentServer&) = delete;
    SilentServer& operator=(const SilentServer&) = delete;

    std::string url() const { return "http://127.0.0.1:" + std::to_string(m_port) + "/feed"; }
    int connections() const { return m_connections; }

private:
    int m_listener = -1;
    int m_port = 0;
    std::atomic<int> m_connections = 0;
    std::thread m_thread;
};

}  // namespace lumeward::test
