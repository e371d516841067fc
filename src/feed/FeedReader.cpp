#include "feed/FeedReader.h"

#include <utility>

#include "feed/FeedDiscovery.h"
#include "feed/HttpRequest.h"
#include "feed/JsonFeed.h"
#include "feed/TextCleaning.h"
#include "feed/XmlDocument.h"
#include "text/AsciiText.h"
#include "text/HtmlCharacterReferences.h"
#include "text/TextDecoding.h"

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

// A server that answers "too many requests" is not asked again by the next component.
constexpr std::int32_t kTooManyRequests = 429;
constexpr std::int32_t kNotModified = 304;

// The WinHttp calling convention sets credentials separately; every other name
// passes them to open.
bool usesWinHttpConvention(std::string_view componentName) {
    return text::equalsIgnoringAsciiCase(componentName, "WinHTTP.WinHTTPRequest.5");
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
    std::optional<std::string> found;
    const bool read = ReadAddress(sURL, sUserName, sPassWord, lType, bAllowHTML, &found);
    if (!found) {
        return read;
    }
    // The feed a page named is read once, and a page it names in turn is not
    // followed; credentials go only to the server they were given for.
    // The memory given is the page's: the found feed is read in full, and
    // what is kept for the next run is the page's answer.
    const bool mayShare = sameServer(sURL, *found);
    ReadMemory pageMemory = std::exchange(m_memory, ReadMemory{});
    const bool foundRead =
        ReadAddress(*found, mayShare ? sUserName : std::string_view(),
                    mayShare ? sPassWord : std::string_view(), lType, bAllowHTML, nullptr);
    m_memory = std::move(pageMemory);
    m_foundAt = std::move(*found);
    return foundRead;
}

bool FeedReader::ReadAddress(std::string_view sURL, std::string_view sUserName,
                             std::string_view sPassWord, std::int32_t& lType, bool bAllowHTML,
                             std::optional<std::string>* foundFeed) {
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
        // Loads an answer's text by its kind: a JSON object is JSON, the rest
        // XML. True when it is a web page naming a feed, whose address then is
        // in foundFeed.
        const auto take = [&](std::string&& text, std::string_view contentType,
                              std::string_view address) {
            if (isJsonBody(text)) {
                json.emplace(std::move(text));
            } else {
                json.reset();
                // The page is kept aside for the feed it may name, as the XML loader parses in
                // place.
                std::optional<std::string> page;
                if (foundFeed && (m_lastHttpStatus == 200 || m_memory.fromKeptBody) &&
                    isWebPage(contentType, text)) {
                    page = text;
                }
                document->loadXml(std::move(text));
                if (page && RecognisedKind(*document) == kUnknownFeed) {
                    *foundFeed = findFeedAddress(*page, address);
                    if (*foundFeed) {
                        return true;
                    }
                }
            }
            if (!loaded()) {
                RecordError(m_lastErrorCode != 0 ? m_lastErrorCode : error_numbers::kNotWellFormed,
                            json ? json->loadError() : document->loadError());
            }
            return false;
        };
        const auto mayTryAnother = [&] {
            return !loaded() && m_lastHttpStatus != kTooManyRequests &&
                   !m_stopToken.stop_requested();
        };
        const bool mayAsk = m_memory.notAskedBecause.empty();
        if (!mayAsk && m_memory.kept) {
            m_memory.fromKeptBody = true;
            if (take(CleanFeedText(KeptBodyText()), m_memory.kept->contentType, sURL)) {
                return false;
            }
        } else if (!mayAsk) {
            RecordError(error_numbers::kNotAsked, m_memory.notAskedBecause);
        }
        for (std::size_t i = 0; mayAsk && i < componentNames.size() && mayTryAnother(); ++i) {
            auto download = DownloadFeedText(sURL, sUserName, sPassWord, componentNames[i]);
            if (download.gotNoAnswer) {
                break;  // the other components take the same way to the same server
            }
            if (download.text) {
                if (take(std::move(*download.text), download.contentType, download.address)) {
                    return false;
                }
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
        return parsed && (m_lastHttpStatus == 200 || m_memory.fromKeptBody);
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

FeedItem FeedReader::NewItem(std::string id, std::string url, std::string title,
                             std::string description, std::optional<ItemDate> date,
                             bool bAllowHTML) const {
    FeedItem item;
    item.Id(std::move(id));
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
    m_memory.answer = {};
    m_memory.fromKeptBody = false;
    m_memory.movedTo.clear();
    m_lastErrorCode = 0;
    m_lastErrorDesc.clear();
    m_feedType = kUnknownFeed;
    m_foundAt.clear();
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
        SendValidators(*request);
        request->send();
        m_lastHttpStatusText = request->statusText();
        m_lastHttpStatus = request->status();
        m_lastRetryAfter = request->responseHeader("Retry-After");
        std::string text = CleanFeedText(AnswerText(*request));
        return {std::move(text), false,
                m_memory.fromKeptBody ? m_memory.kept->contentType
                                      : request->responseHeader("Content-Type"),
                request->responseAddress()};
    } catch (const ComponentError& error) {
        RecordError(error.number(), error.what());
        return {std::nullopt, error.gotNoAnswer(), {}, {}};
    } catch (...) {
        RecordCurrentException();
    }
    return {};
}

void FeedReader::SendValidators(HttpRequest& request) const {
    // Never without a kept body: a 304 would leave nothing to read.
    if (!m_memory.kept) {
        return;
    }
    const Validators& validators = m_memory.kept->validators;
    if (!validators.etag.empty()) {
        request.setRequestHeader("If-None-Match", validators.etag);
    }
    if (!validators.lastModified.empty()) {
        request.setRequestHeader("If-Modified-Since", validators.lastModified);
    }
}

std::string FeedReader::AnswerText(HttpRequest& request) {
    KeptAnswer& answer = m_memory.answer;
    answer = {{request.responseHeader("ETag"), request.responseHeader("Last-Modified")}, {}, {}};
    m_memory.movedTo = request.movedTo();
    m_memory.fromKeptBody = m_lastHttpStatus == kNotModified && m_memory.kept;
    if (m_memory.fromKeptBody) {
        return KeptBodyText();
    }
    if (m_memory.keepsAnswers && m_lastHttpStatus == 200 && !answer.validators.empty()) {
        answer.contentType = request.responseHeader("Content-Type");
        answer.body = request.responseBody();
    }
    return request.takeResponseText();
}

std::string FeedReader::KeptBodyText() const {
    std::string body = m_memory.kept->body;
    return text::decodeResponseBody(std::move(body), m_memory.kept->contentType);
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
