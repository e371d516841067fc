#include "support/SilentServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace lumeward::test {

SilentServer::SilentServer() : m_listener(::socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    auto* named = reinterpret_cast<sockaddr*>(&address);
    if (::bind(m_listener, named, length) != 0 || ::listen(m_listener, 16) != 0 ||
        ::getsockname(m_listener, named, &length) != 0) {
        ::close(m_listener);
        throw std::runtime_error("silent server: cannot listen on 127.0.0.1");
    }
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] {
        for (int connection; (connection = ::accept(m_listener, nullptr, nullptr)) >= 0;) {
            ++m_connections;
            // Unread bytes would make the close a reset; the request fits one read.
            char request[4096];
            ::recv(connection, request, sizeof request, 0);
            ::close(connection);
        }
    });
}

SilentServer::~SilentServer() {
    ::shutdown(m_listener, SHUT_RDWR);  // ends the accept under way
    m_thread.join();
    ::close(m_listener);
}

}  // namespace lumeward::test
