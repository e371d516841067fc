#include "feed/ReadFailures.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
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

std::string serverOf(std::string_view address) {
    const std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> url(curl_url(), &curl_url_cleanup);
    const std::string text(address);
    if (!url ||
        curl_url_set(url.get(), CURLUPART_URL, text.c_str(), CURLU_GUESS_SCHEME) != CURLUE_OK) {
        return text;
    }
    const auto part = [&](CURLUPart which, unsigned flags) {
        char* value = nullptr;
        std::string copy;
        if (curl_url_get(url.get(), which, &value, flags) == CURLUE_OK && value != nullptr) {
            copy = value;
        }
        curl_free(value);
        return copy;
    };
    // Host names are case-insensitive; so is the key.
    std::string key = part(CURLUPART_SCHEME, 0) + "://" + part(CURLUPART_HOST, 0) + ':' +
                      part(CURLUPART_PORT, CURLU_DEFAULT_PORT);
    std::ranges::transform(key, key.begin(), [](unsigned char c) { return std::tolower(c); });
    return key;
}

}  // namespace lumeward::feed
