#pragma once

#include <atomic>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace lumeward::test {

// A TCP server on 127.0.0.1 that accepts connections and never says a word: it
// takes in the request and closes, or holds the connection open until the server
// goes. Counts the connections.
class SilentServer {
public:
    enum class Manner { Close, HoldOpen };

    explicit SilentServer(Manner manner);
    ~SilentServer();
    SilentServer(const SilentServer&) = delete;
    SilentServer& operator=(const SilentServer&) = delete;

    std::string url(std::string_view path) const;
    int connections() const { return m_connections; }

private:
    void acceptAll();

    Manner m_manner;
    int m_listener = -1;
    int m_port = 0;
    std::atomic<int> m_connections = 0;
    std::vector<int> m_held;
    std::thread m_thread;
};

}  // namespace lumeward::test
