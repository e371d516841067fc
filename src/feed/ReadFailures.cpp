#include "feed/ReadFailures.h"

#include <curl/curl.h>
#include <idn2.h>

#include <algorithm>
#include <memory>

#include "feed/Component.h"

namespace lumeward::feed {

std::string_view failureInFewWords(std::int32_t errorCode) {
    switch (errorCode) {
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY:
            return "Server not found";
        case CURLE_COULDNT_CONNECT:
            return "Could not connect";
        case CURLE_OPERATION_TIMEDOUT:
            return "Timed out";
        case error_numbers::kStopped:
            return "Stopped";
        case CURLE_TOO_MANY_REDIRECTS:
            return "Too many redirects";
        case CURLE_FILESIZE_EXCEEDED:
            return "Too large";
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_PEER_FAILED_VERIFICATION:
            return "Secure connection failed";
        case CURLE_URL_MALFORMAT:
        case CURLE_UNSUPPORTED_PROTOCOL:
            return "Not a web address";
        case CURLE_GOT_NOTHING:
        case CURLE_RECV_ERROR:
        case CURLE_SEND_ERROR:
        case CURLE_PARTIAL_FILE:
            return "Connection broken";
        case error_numbers::kNotWellFormed:
        case error_numbers::kInvalidPath:
            return "Not a feed";
        default:
            return {};
    }
}

std::string hostKeyOf(std::string_view address) {
    const std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> url(curl_url(), &curl_url_cleanup);
    const std::string text(address);
    char* host = nullptr;
    if (!url ||
        curl_url_set(url.get(), CURLUPART_URL, text.c_str(), CURLU_GUESS_SCHEME) != CURLUE_OK ||
        curl_url_get(url.get(), CURLUPART_HOST, &host, 0) != CURLUE_OK) {
        return text;
    }
    std::string key = host;
    curl_free(host);
    // libcurl's own conversion (CURLU_PUNYCODE) reads the name in the locale's
    // character set and fails in the C locale; the name is UTF-8 whatever the locale.
    char* ascii = nullptr;
    if (std::ranges::any_of(key, [](unsigned char c) { return c >= 0x80; }) &&
        idn2_to_ascii_8z(key.c_str(), &ascii, IDN2_NONTRANSITIONAL) == IDN2_OK) {
        key = ascii;
    }
    idn2_free(ascii);
    if (key.ends_with('.')) {
        key.pop_back();
    }
    // ASCII only: a name that is not a valid international name stays as written.
    std::ranges::transform(key, key.begin(),
                           [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; });
    return key;
}

}  // namespace lumeward::feed
