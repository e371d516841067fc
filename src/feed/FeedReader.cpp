#include "feed/FeedReader.h"

#include "feed/HttpRequest.h"
#include "feed/JsonFeed.h"
#include "feed/TextCleaning.h"
#include "feed/XmlDocument.h"
#include "text/HtmlCharacterReferences.h"

namespace lumeward::feed {

namespace {

// The HTTP components, in the order a read tries them.
constexpr std::string_view kHttpComponentList =
    "WinHttp.WinHttpRequest.5|MSXML2.XMLHTTP|MSXML2.ServerXMLHTTP|Microsoft.XMLHTTP";

std::vector<std::string_view> splitComponentList(std::string_view list) {
    std::vector<std::string_view> names;
    for (std::size_t start = 0;;) {
        const auto bar = list.find('|', start);
        names.push_back(list.substr(start, bar - start));
        if (bar == std::string_view::npos) {
            return names;
        }
        start = bar + 1;
    }
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

// A server that answers "too many requests" is not asked again by the next component.
constexpr std::int32_t kTooManyRequests = 429;

// The WinHttp calling convention sets credentials separately; every other name
// passes them to open.
bool usesWinHttpConvention(std::string_view componentName) {
    return equalsIgnoringCase(componentName, "WinHTTP.WinHTTPRequest.5");
}

std::shared_ptr<const ComponentRegistry> standardRegistry() {
    static const auto registry =
        std::make_shared<const ComponentRegistry>(ComponentRegistry::standard());
    return registry;
}

}  // namespace

std::string_view feedTypeName(std::int32_t code) {
    switch (code) {
        case kRssFeed:
            return "RSS";
        case kRdfFeed:
            return "RDF";
        case kAtomFeed:
            return "Atom";
        case kJsonFeed:
            return "JSON Feed";
        default:
            return "Unknown / None";
    }
}

FeedReader::FeedReader() : FeedReader(standardRegistry()) {}

FeedReader::FeedReader(std::shared_ptr<const ComponentRegistry> registry)
    : m_registry(std::move(registry)), m_items(std::make_shared<FeedItemList>()) {
    Clear();
    m_proxyUser.clear();
    m_proxyPass.clear();
    m_regExp = CreateComponent<TextCleaner>(component_names::kRegExp);
}

FeedReader::~FeedReader() = default;

bool FeedReader::ReadFeed(std::string_view sURL, std::string_view sUserName,
                          std::string_view sPassWord) {
    std::int32_t lType = kUnknownFeed;
    return ReadFeed(sURL, sUserName, sPassWord, lType, false);
}

bool FeedReader::ReadFeed(std::string_view sURL, std::string_view sUserName,
                          std::string_view sPassWord, std::int32_t& lType, bool bAllowHTML) {
    if (!m_regExp) {
        return false;
    }
    try {
        const auto componentNames = splitComponentList(kHttpComponentList);
        Clear();
        m_items = std::make_shared<FeedItemList>();
        auto document = CreateComponent<XmlDocument>(component_names::kDomDocument);
        if (!document) {
            return false;
        }
        std::optional<JsonFeedBody> json;  // the last body, when it was JSON
        const auto loaded = [&] { return !document->isEmpty() || (json && json->parsed()); };
        const auto mayTryAnother = [&] {
            return !loaded() && m_lastHttpStatus != kTooManyRequests &&
                   !m_stopToken.stop_requested();
        };
        for (std::size_t i = 0; i < componentNames.size() && mayTryAnother(); ++i) {
            auto download = DownloadFeedText(sURL, sUserName, sPassWord, componentNames[i]);
            if (download.gotNoAnswer) {
                break;  // the other components take the same way to the same server
            }
            if (!download.text) {
                continue;
            }
            // The body's kind picks its parser: a JSON object is JSON, the rest XML.
            if (isJsonBody(*download.text)) {
                json.emplace(std::move(*download.text));
            } else {
                json.reset();
                document->loadXml(std::move(*download.text));
            }
            if (!loaded()) {
                RecordError(m_lastErrorCode != 0 ? m_lastErrorCode : error_numbers::kNotWellFormed,
                            json ? json->loadError() : document->loadError());
            }
        }
        // Whether the stop came before the first request or cut one short.
        if (!loaded() && m_stopToken.stop_requested()) {
            RecordError(error_numbers::kStopped,
                        "Stopped before " + std::string(sURL) + " was read");
        }
        const bool parsed =
            json && json->parsed()
                ? ParseJsonFeedItems(*json, lType, bAllowHTML)
                : !document->isEmpty() && ParseFeedItems(*document, lType, bAllowHTML);
        return parsed && m_lastHttpStatus == 200;
    } catch (...) {
        RecordCurrentException();
    }
    return false;
}

std::string FeedReader::FeedTypeString() const {
    return std::string(feedTypeName(m_feedType));
}

std::string FeedReader::StripHTML(std::string_view sString) const {
    if (!m_regExp) {
        throw ComponentError(
            error_numbers::kCannotCreateComponent,
            "Error creating object '" + std::string(component_names::kRegExp) + "'");
    }
    return text::decodeCharacterReferences(m_regExp->stripHtml(sString));
}

FeedItem FeedReader::NewItem(std::string url, std::string title, std::string description,
                             std::optional<ItemDate> date, bool bAllowHTML) const {
    FeedItem item;
    item.Date(date);
    item.URL(std::move(url));
    // Titles are often escaped twice ("AT&amp;amp;T"); they hold no mark-up to remove.
    item.Title(bAllowHTML ? std::move(title) : text::decodeCharacterReferences(std::move(title)));
    item.Description(bAllowHTML ? std::move(description) : StripHTML(description));
    return item;
}

void FeedReader::Clear() {
    m_lastHttpStatus = 0;
    m_lastHttpStatusText.clear();
    m_lastRetryAfter.clear();
    m_lastErrorCode = 0;
    m_lastErrorDesc.clear();
    m_feedType = kUnknownFeed;
}

FeedReader::Download FeedReader::DownloadFeedText(std::string_view sURL, std::string_view sUserName,
                                                  std::string_view sPassWord,
                                                  std::string_view componentName) {
    auto request = CreateComponent<HttpRequest>(componentName);
    if (!request) {
        return {};
    }
    request->setStopToken(m_stopToken);
    try {
        if (usesWinHttpConvention(componentName)) {
            request->open("GET", sURL, false);
            if (!m_proxyUser.empty() || !m_proxyPass.empty()) {
                request->setCredentials(m_proxyUser, m_proxyPass, CredentialTarget::Proxy);
            }
            if (!sUserName.empty() || !sPassWord.empty()) {
                request->setCredentials(sUserName, sPassWord, CredentialTarget::Server);
            }
        } else {
            request->open("GET", sURL, false, sUserName, sPassWord);
        }
        request->send();
        m_lastHttpStatusText = request->statusText();
        m_lastHttpStatus = request->status();
        m_lastRetryAfter = request->retryAfter();
        return {CleanFeedText(request->takeResponseText())};
    } catch (const ComponentError& error) {
        RecordError(error.number(), error.what());
        return {std::nullopt, error.gotNoAnswer()};
    } catch (...) {
        RecordCurrentException();
    }
    return {};
}

template <class T>
std::unique_ptr<T> FeedReader::CreateComponent(std::string_view name) {
    auto component = m_registry ? m_registry->create(name) : nullptr;
    if (auto* typed = dynamic_cast<T*>(component.get())) {
        component.release();
        return std::unique_ptr<T>(typed);
    }
    // A name with nothing behind it, or with a component of another kind.
    RecordError(error_numbers::kCannotCreateComponent,
                "Error creating object '" + std::string(name) + "'");
    return nullptr;
}

std::string FeedReader::CleanFeedText(std::string&& text) const {
    return m_regExp->cleanFeedText(std::move(text));
}

void FeedReader::RecordCurrentException() {
    try {
        throw;
    } catch (const ComponentError& error) {
        RecordError(error.number(), error.what());
    } catch (const std::exception& error) {
        RecordError(error_numbers::kInternal, error.what());
    } catch (...) {
        RecordError(error_numbers::kInternal, "Unknown failure");
    }
}

void FeedReader::RecordError(std::int32_t number, std::string text) {
    m_lastErrorCode = number;
    m_lastErrorDesc = std::move(text);
}

}  // namespace lumeward::feed
