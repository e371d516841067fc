#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "feed/HttpRequest.h"

namespace lumeward::feed {

// Limits of one exchange. The defaults are the program's; tests shorten them.
struct HttpLimits {
    std::chrono::seconds connectTimeout{60};
    // A transfer below one byte per second for this long has stalled.
    std::chrono::seconds stallTime{30};
    // The whole exchange (connect, redirects, body): a server that drips bytes
    // keeps clear of the stall rule but not of this.
    std::chrono::seconds totalTime{120};
    std::size_t maxBodyBytes = std::size_t{64} << 20;
    long maxRedirects = 10;
};

// A response's headers, name and value, in the order they came.
using ResponseHeaders = std::vector<std::pair<std::string, std::string>>;

// Sets up libcurl for the whole program, the first time only; call it before
// starting threads that make requests. Throws ComponentError when libcurl cannot start.
void initialiseHttp();

// The libcurl request behind all four HTTP component names: HTTP and HTTPS
// with certificate checks, redirects, compressed bodies and the environment's
// proxy settings, an Accept header that names the feed types first, and
// neither cookies nor Referer. Failures throw ComponentError with libcurl's
// code and text.
class CurlHttpRequest : public HttpRequest {
public:
    explicit CurlHttpRequest(HttpLimits limits = {});
    ~CurlHttpRequest() override;

    void open(std::string_view method, std::string_view url, bool async) override;
    void open(std::string_view method, std::string_view url, bool async, std::string_view user,
              std::string_view password) override;
    void setCredentials(std::string_view user, std::string_view password,
                        CredentialTarget target) override;
    void setRequestHeader(std::string_view name, std::string_view value) override;
    void send() override;

    std::string statusText() const override;
    std::int32_t status() const override;
    std::string responseBody() const override;
    std::string takeResponseText() override;
    std::string responseHeader(std::string_view name) const override;
    std::string movedTo() const override;
    std::string responseAddress() const override;

private:
    void clearResponse();

    HttpLimits m_limits;
    std::string m_url;
    std::vector<std::string> m_requestHeaders;  // "Name: value"
    std::string m_serverUser, m_serverPassword;
    std::string m_proxyUser, m_proxyPassword;
    bool m_hasServerCredentials = false;
    bool m_hasProxyCredentials = false;
    bool m_opened = false;
    std::int32_t m_status = 0;
    std::string m_statusText;
    ResponseHeaders m_headers;
    std::string m_movedTo;
    std::string m_responseAddress;
    std::string m_body;
};

}  // namespace lumeward::feed
