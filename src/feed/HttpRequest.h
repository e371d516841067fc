#pragma once

#include <cstdint>
#include <stop_token>
#include <string>
#include <string_view>

#include "feed/Component.h"

namespace lumeward::feed {

// Where SetCredentials puts a user name and password.
enum class CredentialTarget : std::int32_t { Server = 0, Proxy = 1 };

// One synchronous HTTP exchange, called the way the reader calls its HTTP
// components. Every call may throw ComponentError.
class HttpRequest : public Component {
public:
    virtual void open(std::string_view method, std::string_view url, bool async) = 0;
    // The XMLHTTP form: empty user name and password mean no credentials.
    virtual void open(std::string_view method, std::string_view url, bool async,
                      std::string_view user, std::string_view password) = 0;
    virtual void setCredentials(std::string_view user, std::string_view password,
                                CredentialTarget target) = 0;
    // Adds a header to the request, after open and before send.
    virtual void setRequestHeader(std::string_view name, std::string_view value) = 0;
    // Returns once the whole response is in.
    virtual void send() = 0;

    virtual std::string statusText() const = 0;
    virtual std::int32_t status() const = 0;
    // The body as it came in, undecoded; call before takeResponseText.
    virtual std::string responseBody() const = 0;
    // The body decoded to UTF-8; hands the text over, so a second call yields "".
    virtual std::string takeResponseText() = 0;
    // The last response's header of that name (any case) as sent; empty when it sent none.
    virtual std::string responseHeader(std::string_view name) const = 0;
    // Where the permanent redirects (301, 308) the request followed from its
    // address, before any temporary one, lead; empty when none did.
    virtual std::string movedTo() const = 0;
    // The address that gave the last response, after the redirects followed,
    // without user name and password.
    virtual std::string responseAddress() const = 0;

    // A stop request ends a send in flight, which then throws.
    void setStopToken(std::stop_token token) { m_stopToken = std::move(token); }

protected:
    const std::stop_token& stopToken() const { return m_stopToken; }

private:
    std::stop_token m_stopToken;
};

}  // namespace lumeward::feed
