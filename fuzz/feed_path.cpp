// Everything after the download, as the reader does it: decode, clean, load,
// recognise, build the items and strip them. The body arrives through an HTTP
// component that serves the fuzzer's bytes, so the reader's own path is taken.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "feed/ComponentRegistry.h"
#include "feed/FeedReader.h"
#include "feed/HttpRequest.h"
#include "feed/TextDecoding.h"
#include "support/FuzzChecks.h"

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
    void send() override {}
    std::string statusText() const override { return "OK"; }
    std::int32_t status() const override { return 200; }
    std::string takeResponseText() override {
        return feed::decodeResponseBody(std::exchange(m_body, {}), m_contentType);
    }

private:
    std::string m_body;
    std::string m_contentType;
};

// The first byte chooses how the reader is called: bits 0-1 the feed kind (0
// recognises it), bit 2 whether HTML is kept, bit 3 whether the header names UTF-8.
struct Call {
    std::int32_t kind;
    bool allowHtml;
    std::string contentType;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using fuzz::check;
    if (size == 0) {
        return 0;
    }
    const Call call{data[0] & 3, (data[0] & 4) != 0,
                    (data[0] & 8) != 0 ? "application/rss+xml; charset=utf-8" : "text/xml"};
    std::string body(reinterpret_cast<const char*>(data) + 1, size - 1);

    // Only the first HTTP name is served; the others cannot be created, so an
    // unreadable body is tried once and nothing goes to the network.
    auto registry = feed::ComponentRegistry::standard();
    for (const auto name : {feed::component_names::kXmlHttp, feed::component_names::kServerXmlHttp,
                            feed::component_names::kMicrosoftXmlHttp}) {
        registry.remove(name);
    }
    registry.add(feed::component_names::kWinHttp,
                 [&body, &call] { return std::make_unique<BodyRequest>(body, call.contentType); });
    feed::FeedReader reader(std::make_shared<const feed::ComponentRegistry>(std::move(registry)));

    std::int32_t kind = call.kind;
    const bool read = reader.ReadFeed("http://fuzz.invalid/feed", "", "", kind, call.allowHtml);
    if (call.kind != feed::kUnknownFeed) {
        check(kind == call.kind, "a forced feed kind was changed");
    }
    if (read) {
        check(reader.FeedType() >= feed::kRssFeed && reader.FeedType() <= feed::kAtomFeed,
              "a successful read has no feed kind");
    }
    for (const auto& item : *reader.FeedItems()) {
        check(fuzz::isCleanText(item.URL()), "item address is not clean UTF-8");
        check(fuzz::isCleanText(item.Title()), "item title is not clean UTF-8");
        check(fuzz::isCleanText(item.Description()), "item description is not clean UTF-8");
        check(fuzz::isCleanText(reader.StripHTML(item.Title())),
              "stripped title is not clean UTF-8");
    }
    return 0;
}
