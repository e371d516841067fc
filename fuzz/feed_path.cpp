// Everything after the download, as the reader does it: decode, clean, load,
// recognise, build the items and strip them. The body arrives through an HTTP
// component that serves the fuzzer's bytes, so the reader's own path is taken.
#include <memory>
#include <utility>

#include "feed/ComponentRegistry.h"
#include "feed/FeedReader.h"
#include "feed/HttpRequest.h"
#include "support/FuzzChecks.h"
#include "text/TextDecoding.h"

namespace {

using namespace lumeward;

// An HTTP exchange that always answers 200 with the given body.
class BodyRequest : public feed::HttpRequest {
public:
    BodyRequest(std::string body, std::string contentType)
        : m_body(std::move(body)), m_contentType(std::move(contentType)) {}

    void open(std::string_view, std::string_view, bool) override {}
    void open(std::string_view, std::string_view, bool, std::string_view,
              std::string_view) override {}
    void setCredentials(std::string_view, std::string_view, feed::CredentialTarget) override {}
    void setRequestHeader(std::string_view, std::string_view) override {}
    void send() override {}
    std::string statusText() const override { return "OK"; }
    std::int32_t status() const override { return 200; }
    std::string responseBody() const override { return m_body; }
    std::string takeResponseText() override {
        return text::decodeResponseBody(std::exchange(m_body, {}), m_contentType);
    }
    std::string responseHeader(std::string_view name) const override {
        if (name != "Content-Type") {
            return {};
        }
        return m_contentType;
    }
    std::string movedTo() const override { return {}; }
    std::string responseAddress() const override { return "http://fuzz.invalid/feed"; }

private:
    std::string m_body;
    std::string m_contentType;
};

}  // namespace

void lumeward::fuzz::fuzzOne(std::string_view input) {
    if (input.empty()) {
        return;
    }
    // The first byte chooses how the reader is called: bits 0-1 the feed kind (0
    // recognises it), bit 2 whether HTML is kept, bit 3 whether the header names UTF-8.
    const auto flags = static_cast<unsigned char>(input[0]);
    const std::int32_t forced = flags & 3;
    const std::string contentType =
        (flags & 8) != 0 ? "application/rss+xml; charset=utf-8" : "text/xml";
    const std::string body(input.substr(1));

    // Only the first HTTP name is served; the others cannot be created, so an
    // unreadable body is tried once and nothing goes to the network.
    auto registry = feed::ComponentRegistry::standard();
    for (const auto name : {feed::component_names::kXmlHttp, feed::component_names::kServerXmlHttp,
                            feed::component_names::kMicrosoftXmlHttp}) {
        registry.remove(name);
    }
    registry.add(feed::component_names::kWinHttp,
                 [&] { return std::make_unique<BodyRequest>(body, contentType); });
    feed::FeedReader reader(std::make_shared<const feed::ComponentRegistry>(std::move(registry)));

    std::int32_t kind = forced;
    if (reader.ReadFeed("http://fuzz.invalid/feed", "", "", kind, (flags & 4) != 0)) {
        check(reader.FeedType() >= feed::kRssFeed && reader.FeedType() <= feed::kJsonFeed,
              "a successful read has no feed kind");
    }
    check(forced == feed::kUnknownFeed || kind == forced, "a forced feed kind was changed");
    for (const auto& item : *reader.FeedItems()) {
        for (const std::string& text :
             {item.URL(), item.Title(), reader.StripHTML(item.Title()), item.Description()}) {
            check(isCleanText(text), "an item's text is not clean UTF-8");
        }
    }
}
