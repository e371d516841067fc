#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "feed/ComponentRegistry.h"
#include "feed/FeedItem.h"
#include "feed/ReadMemory.h"

namespace pugi {
class xml_node;
}

namespace lumeward::feed {

class HttpRequest;
class TextCleaner;
class XmlDocument;
struct FieldPaths;
class JsonFeedBody;

// Feed kind codes, as FeedType reports them.
enum FeedKind : std::int32_t {
    kUnknownFeed = 0,
    kRssFeed = 1,
    kRdfFeed = 2,
    kAtomFeed = 3,
    kJsonFeed = 4
};

// The names of the child elements that date an entry, in the order they are asked;
// nullptr for none.
using DateElements = std::array<const char*, 2>;

// The entries of one read, in document order. A later read starts a new list,
// so a list a caller holds never changes.
using FeedItemList = std::vector<FeedItem>;

// Reads one feed address into a list of items. No failure escapes ReadFeed:
// each is recorded in LastErrorCode and LastErrorDesc (the last one wins).
class FeedReader {
public:
    FeedReader();
    explicit FeedReader(std::shared_ptr<const ComponentRegistry> registry);
    ~FeedReader();
    FeedReader(const FeedReader&) = delete;
    FeedReader& operator=(const FeedReader&) = delete;

    // lType 0 recognises the kind and writes it back; any other value forces it.
    // True when a document loaded and parsed and the last HTTP status was 200,
    // or when the kept body of memory() was read instead (a 304, a server not asked).
    // An address that gives a web page naming a feed is read through that feed
    // (FoundAt, FeedDiscovery.h).
    bool ReadFeed(std::string_view sURL, std::string_view sUserName, std::string_view sPassWord,
                  std::int32_t& lType, bool bAllowHTML = false);
    bool ReadFeed(std::string_view sURL, std::string_view sUserName = {},
                  std::string_view sPassWord = {});
    std::int32_t LastHTTPStatus() const { return m_lastHttpStatus; }
    const std::string& LastHTTPStatusText() const { return m_lastHttpStatusText; }
    // The last answer's Retry-After header as sent; empty when it had none.
    const std::string& LastRetryAfter() const { return m_lastRetryAfter; }
    // What the next read takes from earlier ones, and what the last one leaves.
    ReadMemory& memory() { return m_memory; }
    const ReadMemory& memory() const { return m_memory; }
    // Once stop is requested, a transfer in flight ends and no other component is tried.
    void setStopToken(std::stop_token token) { m_stopToken = std::move(token); }
    std::int32_t LastErrorCode() const { return m_lastErrorCode; }
    const std::string& LastErrorDesc() const { return m_lastErrorDesc; }
    const std::string& ProxyUser() const { return m_proxyUser; }
    const std::string& ProxyPass() const { return m_proxyPass; }
    void ProxyUser(std::string value) { m_proxyUser = std::move(value); }
    void ProxyPass(std::string value) { m_proxyPass = std::move(value); }
    // Where the last read found its feed when the address gave a web page that
    // named one; empty when the address gave the feed itself.
    const std::string& FoundAt() const { return m_foundAt; }
    std::int32_t FeedType() const { return m_feedType; }
    std::string FeedTypeString() const;
    std::shared_ptr<const FeedItemList> FeedItems() const { return m_items; }
    // The text of HTML as a browser shows it: the mark-up removed (TextCleaning.h's
    // stripHtml), then the character references decoded. Throws ComponentError when
    // the reader has no text cleaner.
    std::string StripHTML(std::string_view sString) const;
    void Clear();

private:
    struct Download {
        std::optional<std::string> text;  // cleaned; none when the exchange failed
        bool gotNoAnswer = false;         // the server said nothing at all
        std::string contentType;
        std::string address;  // where the answer came from, after redirects
    };
    // One address read as ReadFeed does; with foundFeed, an answer that is a web
    // page naming a feed sets it to that feed's address and ends the read.
    bool ReadAddress(std::string_view sURL, std::string_view sUserName, std::string_view sPassWord,
                     std::int32_t& lType, bool bAllowHTML, std::optional<std::string>* foundFeed);
    Download DownloadFeedText(std::string_view sURL, std::string_view sUserName,
                              std::string_view sPassWord, std::string_view componentName);
    // The kept answer's validators, as If-None-Match and If-Modified-Since.
    void SendValidators(HttpRequest& request) const;
    // The answer's text, or the kept body's after a 304; notes what the next read needs.
    std::string AnswerText(HttpRequest& request);
    // The kept body decoded as its answer's Content-Type says.
    std::string KeptBodyText() const;
    template <class T>
    std::unique_ptr<T> CreateComponent(std::string_view name);
    bool ParseFeedItems(const XmlDocument& document, std::int32_t& lType, bool bAllowHTML);
    // The kind the document's root names; kUnknownFeed for none.
    static std::int32_t RecognisedKind(const XmlDocument& document);
    bool ParseJsonFeedItems(const JsonFeedBody& body, std::int32_t& lType, bool bAllowHTML);
    // The first date, of the child elements named, that names an instant.
    static std::optional<ItemDate> GetNodeDate(const pugi::xml_node& context,
                                               const DateElements& names);
    // An entry's item, whatever the kind of feed: with HTML removed, the description
    // is StripHTML's text and the title has its character references decoded; with
    // HTML allowed, both stay as the feed wrote them.
    FeedItem NewItem(std::string id, std::string url, std::string title, std::string description,
                     std::optional<ItemDate> date, bool bAllowHTML) const;
    std::string GetNodeText(const XmlDocument& document, const pugi::xml_node& context,
                            const FieldPaths& paths);
    std::string CleanFeedText(std::string&& text) const;
    void RecordError(std::int32_t number, std::string text);
    // Records the exception being handled; call only inside a catch block.
    void RecordCurrentException();

    std::shared_ptr<const ComponentRegistry> m_registry;
    std::unique_ptr<TextCleaner> m_regExp;
    std::int32_t m_lastHttpStatus = 0;
    std::string m_lastHttpStatusText;
    std::string m_lastRetryAfter;
    ReadMemory m_memory;
    std::stop_token m_stopToken;
    std::int32_t m_lastErrorCode = 0;
    std::string m_lastErrorDesc;
    std::shared_ptr<FeedItemList> m_items;
    std::int32_t m_feedType = kUnknownFeed;
    std::string m_foundAt;
    std::string m_proxyUser;
    std::string m_proxyPass;
};

// The name FeedTypeString gives a kind code.
std::string_view feedTypeName(std::int32_t code);

}  // namespace lumeward::feed
