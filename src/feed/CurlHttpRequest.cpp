#include "feed/CurlHttpRequest.h"

#include "text/AsciiText.h"
#include "text/TextDecoding.h"

#include <curl/curl.h>

#include <algorithm>
#include <charconv>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

namespace lumeward::feed {

namespace {

struct EasyHandleDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
using EasyHandle = std::unique_ptr<CURL, EasyHandleDeleter>;

struct HeaderListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using HeaderList = std::unique_ptr<curl_slist, HeaderListDeleter>;

struct UrlDeleter {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};

// Feed types first, so that a server with a choice hands over the feed.
constexpr char kAcceptHeader[] =
    "Accept: application/rss+xml, application/atom+xml, application/rdf+xml, "
    "application/xml;q=0.9, text/xml;q=0.9, */*;q=0.8";

// What the callbacks collect while libcurl runs one exchange.
struct ResponseCollector {
    CURL* handle = nullptr;
    std::size_t maxBodyBytes = 0;
    bool bodyTooLarge = false;
    bool answered = false;  // a status line came in
    const std::stop_token* stop = nullptr;
    int status = 0;
    std::string statusText;
    ResponseHeaders headers;
    std::string body;
    // The redirects on the way: where the last response came from, and where the
    // permanent ones lead while no temporary one came between.
    std::string url;
    bool onlyPermanentSoFar = true;
    std::string movedTo;
};

// "HTTP/1.1 404 Not Found" -> 404; 0 when the line holds no code.
int statusCode(std::string_view statusLine) {
    const auto afterVersion = statusLine.find(' ');
    int code = 0;
    if (afterVersion != std::string_view::npos) {
        std::from_chars(statusLine.data() + afterVersion + 1, statusLine.data() + statusLine.size(),
                        code);
    }
    return code;
}

// "HTTP/1.1 404 Not Found" -> "Not Found"; the phrase may be missing.
std::string_view reasonPhrase(std::string_view statusLine) {
    const auto afterVersion = statusLine.find(' ');
    if (afterVersion == std::string_view::npos) {
        return {};
    }
    const auto afterCode = statusLine.find(' ', afterVersion + 1);
    if (afterCode == std::string_view::npos) {
        return {};
    }
    return text::trimmedAscii(statusLine.substr(afterCode + 1));
}

// location read relative to base, as libcurl follows it; empty when it cannot be.
std::string resolved(const std::string& base, std::string_view location) {
    const std::unique_ptr<CURLU, UrlDeleter> url(curl_url());
    char* text = nullptr;
    if (!url || curl_url_set(url.get(), CURLUPART_URL, base.c_str(), 0) != CURLUE_OK ||
        curl_url_set(url.get(), CURLUPART_URL, std::string(location).c_str(), 0) != CURLUE_OK ||
        curl_url_get(url.get(), CURLUPART_URL, &text, 0) != CURLUE_OK) {
        return {};
    }
    std::string result(text);
    curl_free(text);
    return result;
}

// Follows the address from one response to the next, noting where permanent
// redirects lead until a temporary one breaks the run.
void noteRedirect(ResponseCollector& collector, std::string_view location) {
    const int code = collector.status;
    if (code != 301 && code != 302 && code != 303 && code != 307 && code != 308) {
        return;
    }
    collector.url = resolved(collector.url, location);
    const bool permanent = code == 301 || code == 308;
    collector.onlyPermanentSoFar = collector.onlyPermanentSoFar && permanent;
    if (collector.onlyPermanentSoFar) {
        collector.movedTo = collector.url;
    }
}

// libcurl reports the status line and headers of every response on the way,
// redirects and authentication probes included; only the last one counts.
std::size_t onHeaderLine(char* data, std::size_t size, std::size_t count, void* userData) {
    auto& collector = *static_cast<ResponseCollector*>(userData);
    const std::string_view line(data, size * count);
    if (line.starts_with("HTTP/")) {
        collector.answered = true;
        collector.status = statusCode(line);
        collector.statusText = reasonPhrase(line);
        collector.headers.clear();
        collector.body.clear();
    } else if (const auto colon = line.find(':'); colon != std::string_view::npos) {
        const std::string_view value = text::trimmedAscii(line.substr(colon + 1));
        collector.headers.emplace_back(line.substr(0, colon), value);
        if (text::equalsIgnoringAsciiCase(line.substr(0, colon), "location")) {
            noteRedirect(collector, value);
        }
    }
    return size * count;
}

// Growing a large body step by step copies it and touches fresh pages each
// time; one allocation of the announced size avoids both.
void reserveAnnouncedSize(ResponseCollector& collector) {
    curl_off_t announced = -1;
    if (curl_easy_getinfo(collector.handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced) ==
            CURLE_OK &&
        announced > 0) {
        collector.body.reserve(
            std::min(static_cast<std::size_t>(announced), collector.maxBodyBytes));
    }
}

std::size_t onBodyData(char* data, std::size_t size, std::size_t count, void* userData) {
    auto& collector = *static_cast<ResponseCollector*>(userData);
    const std::size_t length = size * count;
    if (length > collector.maxBodyBytes - collector.body.size()) {
        collector.bodyTooLarge = true;
        return 0;  // anything short of length aborts the transfer
    }
    if (collector.body.empty()) {
        reserveAnnouncedSize(collector);
    }
    collector.body.append(data, length);
    return length;
}

// libcurl calls this at least once a second, also while a server says nothing,
// so a stop ends a transfer within a second.
int onProgress(void* userData, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    const auto& collector = *static_cast<const ResponseCollector*>(userData);
    return collector.stop->stop_requested() ? 1 : 0;
}

// An option libcurl refuses would silently weaken the exchange (protocols,
// limits), so every refusal is a failure.
template <typename Value>
void setOption(CURL* handle, CURLoption option, Value value) {
    if (const CURLcode code = curl_easy_setopt(handle, option, value); code != CURLE_OK) {
        throw ComponentError(
            code, std::string("Cannot configure the HTTP request: ") + curl_easy_strerror(code));
    }
}

void append(HeaderList& list, const std::string& header) {
    curl_slist* const longer = curl_slist_append(list.get(), header.c_str());
    if (longer == nullptr) {
        throw ComponentError(CURLE_OUT_OF_MEMORY, "Cannot add the request header " + header);
    }
    static_cast<void>(list.release());  // the same list, one entry longer
    list.reset(longer);
}

std::string describeSize(std::size_t bytes) {
    constexpr std::size_t kKiB = 1024;
    constexpr std::size_t kMiB = kKiB * 1024;
    if (bytes != 0 && bytes % kMiB == 0) {
        return std::to_string(bytes / kMiB) + " MiB";
    }
    if (bytes != 0 && bytes % kKiB == 0) {
        return std::to_string(bytes / kKiB) + " KiB";
    }
    return std::to_string(bytes) + " bytes";
}

struct CurlTextDeleter {
    void operator()(char* text) const { curl_free(text); }
};

// The address the exchange ended at, after redirects. libcurl writes the user
// name and password set for the request into it, which must go no further.
std::string addressWithoutCredentials(CURL* easy) {
    const char* effective = nullptr;
    curl_easy_getinfo(easy, CURLINFO_EFFECTIVE_URL, &effective);
    const std::unique_ptr<CURLU, UrlDeleter> url(curl_url());
    char* text = nullptr;
    if (effective == nullptr || !url || curl_url_set(url.get(), CURLUPART_URL, effective, 0) ||
        curl_url_set(url.get(), CURLUPART_USER, nullptr, 0) ||
        curl_url_set(url.get(), CURLUPART_PASSWORD, nullptr, 0) ||
        curl_url_get(url.get(), CURLUPART_URL, &text, 0)) {
        return {};
    }
    const std::unique_ptr<char, CurlTextDeleter> owned(text);
    return owned.get();
}

}  // namespace

void initialiseHttp() {
    static std::once_flag once;
    std::call_once(once, [] {
        if (const CURLcode code = curl_global_init(CURL_GLOBAL_DEFAULT); code != CURLE_OK) {
            throw ComponentError(
                code, std::string("Cannot initialise libcurl: ") + curl_easy_strerror(code));
        }
    });
}

CurlHttpRequest::CurlHttpRequest(HttpLimits limits) : m_limits(limits) {}

CurlHttpRequest::~CurlHttpRequest() = default;

void CurlHttpRequest::open(std::string_view method, std::string_view url, bool async) {
    if (!text::equalsIgnoringAsciiCase(method, "GET")) {
        throw ComponentError(CURLE_BAD_FUNCTION_ARGUMENT, "HTTP method '" + std::string(method) +
                                                              "' is not supported; only GET is");
    }
    if (async) {
        throw ComponentError(CURLE_BAD_FUNCTION_ARGUMENT,
                             "Asynchronous HTTP requests are not supported");
    }
    m_url = url;
    m_requestHeaders.clear();
    m_hasServerCredentials = false;
    m_hasProxyCredentials = false;
    m_opened = true;
    clearResponse();
}

void CurlHttpRequest::open(std::string_view method, std::string_view url, bool async,
                           std::string_view user, std::string_view password) {
    open(method, url, async);
    if (!user.empty() || !password.empty()) {
        setCredentials(user, password, CredentialTarget::Server);
    }
}

void CurlHttpRequest::setCredentials(std::string_view user, std::string_view password,
                                     CredentialTarget target) {
    if (!m_opened) {
        throw ComponentError(CURLE_BAD_FUNCTION_ARGUMENT,
                             "Credentials set before the HTTP request was opened");
    }
    if (target == CredentialTarget::Proxy) {
        m_proxyUser = user;
        m_proxyPassword = password;
        m_hasProxyCredentials = true;
    } else {
        m_serverUser = user;
        m_serverPassword = password;
        m_hasServerCredentials = true;
    }
}

void CurlHttpRequest::setRequestHeader(std::string_view name, std::string_view value) {
    if (!m_opened) {
        throw ComponentError(CURLE_BAD_FUNCTION_ARGUMENT,
                             "A request header set before the HTTP request was opened");
    }
    m_requestHeaders.push_back(std::string(name) + ": " + std::string(value));
}

void CurlHttpRequest::send() {
    if (!m_opened) {
        throw ComponentError(CURLE_BAD_FUNCTION_ARGUMENT, "HTTP request sent before it was opened");
    }
    clearResponse();

    // Harmless after the program's own call; lets a request made without it work.
    initialiseHttp();
    const EasyHandle handle(curl_easy_init());
    if (!handle) {
        throw ComponentError(CURLE_FAILED_INIT, "Cannot create a libcurl handle");
    }
    CURL* const easy = handle.get();
    char errorText[CURL_ERROR_SIZE] = {};
    ResponseCollector collector;
    collector.handle = easy;
    collector.maxBodyBytes = m_limits.maxBodyBytes;
    collector.stop = &stopToken();
    collector.url = m_url;
    HeaderList requestHeaders;
    append(requestHeaders, kAcceptHeader);
    for (const auto& header : m_requestHeaders) {
        append(requestHeaders, header);
    }

    setOption(easy, CURLOPT_ERRORBUFFER, errorText);
    setOption(easy, CURLOPT_URL, m_url.c_str());
    setOption(easy, CURLOPT_NOSIGNAL, 1L);
    setOption(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    setOption(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    setOption(easy, CURLOPT_FOLLOWLOCATION, 1L);
    setOption(easy, CURLOPT_MAXREDIRS, m_limits.maxRedirects);
    setOption(easy, CURLOPT_CONNECTTIMEOUT, static_cast<long>(m_limits.connectTimeout.count()));
    setOption(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
    setOption(easy, CURLOPT_LOW_SPEED_TIME, static_cast<long>(m_limits.stallTime.count()));
    setOption(easy, CURLOPT_TIMEOUT, static_cast<long>(m_limits.totalTime.count()));
    setOption(easy, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(m_limits.maxBodyBytes));
    setOption(easy, CURLOPT_USERAGENT, "Lumeward/" LUMEWARD_VERSION);
    setOption(easy, CURLOPT_ACCEPT_ENCODING, "");  // every encoding libcurl can decode
    // No cookies and no Referer: libcurl sends neither unless told to.
    setOption(easy, CURLOPT_HTTPHEADER, requestHeaders.get());
    // HTTP/1.1 keeps the reason phrase that HTTP/2 drops.
    setOption(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    setOption(easy, CURLOPT_HEADERFUNCTION, &onHeaderLine);
    setOption(easy, CURLOPT_HEADERDATA, &collector);
    setOption(easy, CURLOPT_WRITEFUNCTION, &onBodyData);
    setOption(easy, CURLOPT_WRITEDATA, &collector);
    setOption(easy, CURLOPT_XFERINFOFUNCTION, &onProgress);
    setOption(easy, CURLOPT_XFERINFODATA, &collector);
    setOption(easy, CURLOPT_NOPROGRESS, 0L);
    if (m_hasServerCredentials) {
        setOption(easy, CURLOPT_USERNAME, m_serverUser.c_str());
        setOption(easy, CURLOPT_PASSWORD, m_serverPassword.c_str());
        setOption(easy, CURLOPT_HTTPAUTH, CURLAUTH_ANY);
    }
    if (m_hasProxyCredentials) {
        setOption(easy, CURLOPT_PROXYUSERNAME, m_proxyUser.c_str());
        setOption(easy, CURLOPT_PROXYPASSWORD, m_proxyPassword.c_str());
        setOption(easy, CURLOPT_PROXYAUTH, CURLAUTH_ANY);
    }

    const auto start = std::chrono::steady_clock::now();
    const CURLcode result = curl_easy_perform(easy);
    // The stall rule and the connect time-out end an exchange with the same code as
    // the limit on the whole exchange; only the time taken tells them apart (libcurl
    // counts whole milliseconds of a clock of its own, hence the margin).
    const bool ranOutOfTime = std::chrono::steady_clock::now() - start >=
                              m_limits.totalTime - std::chrono::milliseconds(100);
    if (collector.bodyTooLarge || result == CURLE_FILESIZE_EXCEEDED) {
        throw ComponentError(
            CURLE_FILESIZE_EXCEEDED,
            "Response from " + m_url + " is larger than " + describeSize(m_limits.maxBodyBytes));
    }
    // No name, no connection, a silent or vanished server, a time-out or a stop:
    // whatever came before, the exchange brought nothing to go on.
    const auto answer = !collector.answered || result == CURLE_OPERATION_TIMEDOUT ||
                                result == CURLE_ABORTED_BY_CALLBACK
                            ? ComponentError::Answer::None
                            : ComponentError::Answer::Some;
    if (result == CURLE_OPERATION_TIMEDOUT && ranOutOfTime) {
        throw ComponentError(
            result, "Timed out after " + std::to_string(m_limits.totalTime.count()) + " seconds",
            answer);
    }
    if (result != CURLE_OK) {
        throw ComponentError(
            result,
            errorText[0] != '\0' ? std::string(errorText) : std::string(curl_easy_strerror(result)),
            answer);
    }
    long responseCode = 0;
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &responseCode);
    m_status = static_cast<std::int32_t>(responseCode);
    m_statusText = std::move(collector.statusText);
    m_headers = std::move(collector.headers);
    m_movedTo = std::move(collector.movedTo);
    m_responseAddress = addressWithoutCredentials(easy);
    m_body = std::move(collector.body);
}

void CurlHttpRequest::clearResponse() {
    m_status = 0;
    m_statusText.clear();
    m_headers.clear();
    m_movedTo.clear();
    m_responseAddress.clear();
    m_body.clear();
}

std::string CurlHttpRequest::statusText() const {
    return m_statusText;
}

std::int32_t CurlHttpRequest::status() const {
    return m_status;
}

std::string CurlHttpRequest::responseHeader(std::string_view name) const {
    const auto found = std::ranges::find_if(m_headers, [name](const auto& header) {
        return text::equalsIgnoringAsciiCase(header.first, name);
    });
    return found != m_headers.end() ? found->second : std::string();
}

std::string CurlHttpRequest::movedTo() const {
    return m_movedTo;
}

std::string CurlHttpRequest::responseBody() const {
    return m_body;
}

std::string CurlHttpRequest::responseAddress() const {
    return m_responseAddress;
}

std::string CurlHttpRequest::takeResponseText() {
    return text::decodeResponseBody(std::exchange(m_body, {}), responseHeader("Content-Type"));
}

}  // namespace lumeward::feed
