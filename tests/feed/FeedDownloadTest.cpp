#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "feed/CurlHttpRequest.h"
#include "feed/FeedReader.h"
#include "feed/XmlDocument.h"
#include "support/LoopbackServer.h"

namespace lumeward::feed {
namespace {

using test::LoopbackServer;

const char* const kFeed =
    "<rss><channel><item><title>T</title><link>https://a.example/</link></item></channel></rss>";

// A real libcurl request that writes down every call the reader makes, in order.
class RecordingRequest : public HttpRequest {
public:
    RecordingRequest(std::string name, std::shared_ptr<std::vector<std::string>> log,
                     HttpLimits limits = {})
        : m_name(std::move(name)), m_log(std::move(log)), m_request(limits) {}

    void open(std::string_view method, std::string_view url, bool async) override {
        note("open " + std::string(method) + " " + std::string(url) + " " + flag(async));
        m_request.open(method, url, async);
    }
    void open(std::string_view method, std::string_view url, bool async, std::string_view user,
              std::string_view password) override {
        note("open " + std::string(method) + " " + std::string(url) + " " + flag(async) + " [" +
             std::string(user) + "] [" + std::string(password) + "]");
        m_request.open(method, url, async, user, password);
    }
    void setCredentials(std::string_view user, std::string_view password,
                        CredentialTarget target) override {
        note("setCredentials [" + std::string(user) + "] [" + std::string(password) + "] " +
             std::to_string(static_cast<int>(target)));
        m_request.setCredentials(user, password, target);
    }
    void send() override {
        note("send");
        m_request.send();
    }
    std::string statusText() const override {
        note("statusText");
        return m_request.statusText();
    }
    std::int32_t status() const override {
        note("status");
        return m_request.status();
    }
    std::string takeResponseText() override {
        note("responseText");
        return m_request.takeResponseText();
    }

private:
    static std::string flag(bool value) { return value ? "true" : "false"; }
    void note(const std::string& call) const { m_log->push_back(m_name + ": " + call); }

    std::string m_name;
    std::shared_ptr<std::vector<std::string>> m_log;
    CurlHttpRequest m_request;
};

const std::vector<std::string> kHttpNames = {"WinHttp.WinHttpRequest.5", "MSXML2.XMLHTTP",
                                             "MSXML2.ServerXMLHTTP", "Microsoft.XMLHTTP"};

// The standard components, with every HTTP name recording into one log.
class FeedDownload : public testing::Test {
protected:
    FeedDownload() : m_registry(ComponentRegistry::standard()) {
        for (const auto& name : kHttpNames) {
            record(name);
        }
    }

    void record(const std::string& name, HttpLimits limits = {}) {
        m_registry.add(name, [name, limits, log = m_log] {
            return std::make_unique<RecordingRequest>(name, log, limits);
        });
    }

    FeedReader& reader() {
        if (!m_reader) {
            m_reader =
                std::make_unique<FeedReader>(std::make_shared<const ComponentRegistry>(m_registry));
        }
        return *m_reader;
    }

    std::vector<std::string> sends() const {
        std::vector<std::string> names;
        for (const auto& entry : *m_log) {
            if (entry.ends_with(": send")) {
                names.push_back(entry.substr(0, entry.size() - 6));
            }
        }
        return names;
    }

    LoopbackServer m_server;
    ComponentRegistry m_registry;
    std::shared_ptr<std::vector<std::string>> m_log = std::make_shared<std::vector<std::string>>();
    std::unique_ptr<FeedReader> m_reader;
};

TEST_F(FeedDownload, GoodFeedTakesOneExchange) {
    m_server.serve("/feed", 200, kFeed);
    EXPECT_TRUE(reader().ReadFeed(m_server.url("/feed")));
    EXPECT_EQ(m_server.hits("/feed"), 1);
    EXPECT_EQ(reader().LastHTTPStatus(), 200);
    EXPECT_EQ(reader().LastHTTPStatusText(), "OK");
    EXPECT_EQ(reader().LastErrorCode(), 0);
    EXPECT_EQ(reader().FeedItems()->size(), 1u);
}

TEST_F(FeedDownload, HtmlErrorPageTriesEveryComponentInOrder) {
    EXPECT_FALSE(reader().ReadFeed(m_server.url("/missing")));
    EXPECT_EQ(m_server.hits("/missing"), 4);
    EXPECT_EQ(sends(), kHttpNames);
    EXPECT_EQ(reader().LastHTTPStatus(), 404);
    EXPECT_EQ(reader().LastHTTPStatusText(), "Not Found");
    EXPECT_EQ(reader().FeedType(), kUnknownFeed);
    EXPECT_TRUE(reader().FeedItems()->empty());
}

TEST_F(FeedDownload, ServerErrorWithGoodFeedKeepsItemsButFails) {
    m_server.serve("/feed", 500, kFeed);
    EXPECT_FALSE(reader().ReadFeed(m_server.url("/feed")));
    EXPECT_EQ(m_server.hits("/feed"), 1);
    EXPECT_EQ(reader().FeedType(), kRssFeed);
    EXPECT_EQ(reader().FeedItems()->size(), 1u);
    EXPECT_EQ(reader().LastHTTPStatus(), 500);
}

TEST_F(FeedDownload, RefusedConnectionRecordsTheFourthFailure) {
    const auto url = "http://127.0.0.1:" + std::to_string(test::unusedLoopbackPort()) + "/feed";
    EXPECT_FALSE(reader().ReadFeed(url));
    EXPECT_EQ(sends(), kHttpNames);
    EXPECT_NE(reader().LastErrorCode(), 0);
    EXPECT_NE(reader().LastErrorDesc().find("127.0.0.1"), std::string::npos)
        << reader().LastErrorDesc();
    EXPECT_EQ(reader().LastHTTPStatus(), 0);
    EXPECT_EQ(reader().LastHTTPStatusText(), "");
}

TEST_F(FeedDownload, FailedFirstComponentLeavesItsErrorWhenTheSecondSucceeds) {
    record(kHttpNames[0], HttpLimits{.maxBodyBytes = 10});  // fails during send
    m_server.serve("/feed", 200, kFeed);
    EXPECT_TRUE(reader().ReadFeed(m_server.url("/feed")));
    EXPECT_EQ(sends(), (std::vector<std::string>{kHttpNames[0], kHttpNames[1]}));
    EXPECT_EQ(reader().FeedItems()->size(), 1u);
    EXPECT_EQ(reader().LastHTTPStatus(), 200);
    EXPECT_NE(reader().LastErrorCode(), 0) << "the first component's failure stays recorded";
}

TEST_F(FeedDownload, NonXmlBodyWithOkStatusIsFetchedAgainByTheNextComponent) {
    int calls = 0;
    m_server.handle("/flaky", [&calls](const httplib::Request&, httplib::Response& response) {
        response.set_content(++calls == 1 ? "<html><p>busy</html>" : kFeed, "text/xml");
    });
    EXPECT_TRUE(reader().ReadFeed(m_server.url("/flaky")));
    EXPECT_EQ(m_server.hits("/flaky"), 2);
    EXPECT_EQ(reader().FeedItems()->size(), 1u);
}

TEST_F(FeedDownload, EmptyBodyTriesTheNextComponent) {
    m_server.serve("/empty", 200, "");
    EXPECT_FALSE(reader().ReadFeed(m_server.url("/empty")));
    EXPECT_EQ(m_server.hits("/empty"), 4);
    EXPECT_EQ(reader().LastHTTPStatus(), 200);
}

TEST_F(FeedDownload, WinHttpConventionSetsOnlyTheCredentialsGiven) {
    m_server.serve("/feed", 200, kFeed);
    const auto url = m_server.url("/feed");
    ASSERT_TRUE(reader().ReadFeed(url));
    EXPECT_EQ(*m_log, (std::vector<std::string>{
                          kHttpNames[0] + ": open GET " + url + " false",
                          kHttpNames[0] + ": send",
                          kHttpNames[0] + ": statusText",
                          kHttpNames[0] + ": status",
                          kHttpNames[0] + ": responseText",
                      }));

    m_log->clear();
    reader().ProxyUser("proxy");
    ASSERT_TRUE(reader().ReadFeed(url, "user", ""));
    EXPECT_EQ(*m_log, (std::vector<std::string>{
                          kHttpNames[0] + ": open GET " + url + " false",
                          kHttpNames[0] + ": setCredentials [proxy] [] 1",
                          kHttpNames[0] + ": setCredentials [user] [] 0",
                          kHttpNames[0] + ": send",
                          kHttpNames[0] + ": statusText",
                          kHttpNames[0] + ": status",
                          kHttpNames[0] + ": responseText",
                      }));
}

TEST_F(FeedDownload, XmlHttpConventionPassesCredentialsToOpen) {
    m_registry.remove(kHttpNames[0]);
    std::string authorization;
    m_server.handle("/private",
                    [&authorization](const httplib::Request& request, httplib::Response& response) {
                        authorization = request.get_header_value("Authorization");
                        if (authorization.empty()) {
                            response.status = 401;
                            response.set_header("WWW-Authenticate", "Basic realm=\"feeds\"");
                            return;
                        }
                        response.set_content(kFeed, "application/rss+xml");
                    });
    const auto url = m_server.url("/private");
    reader().ProxyUser("ignored");
    EXPECT_TRUE(reader().ReadFeed(url, "ann", "secret"));
    EXPECT_EQ(reader().LastErrorCode(), 429) << "the missing WinHttp name was recorded";
    EXPECT_EQ(reader().LastErrorDesc(), "Error creating object 'WinHttp.WinHttpRequest.5'");
    EXPECT_EQ(m_log->front(), kHttpNames[1] + ": open GET " + url + " false [ann] [secret]");
    EXPECT_EQ(authorization, "Basic YW5uOnNlY3JldA==");
}

TEST_F(FeedDownload, MissingDocumentComponentStopsBeforeAnyDownload) {
    m_registry.remove("MSXML.DomDocument");
    m_server.serve("/feed", 200, kFeed);
    EXPECT_FALSE(reader().ReadFeed(m_server.url("/feed")));
    EXPECT_EQ(m_server.hits("/feed"), 0);
    EXPECT_EQ(reader().LastErrorCode(), 429);
    EXPECT_EQ(reader().LastErrorDesc(), "Error creating object 'MSXML.DomDocument'");
}

TEST_F(FeedDownload, NameServedByAComponentOfAnotherKindCannotBeCreated) {
    m_registry.add(kHttpNames[0], [] { return std::make_unique<XmlDocument>(); });
    m_server.serve("/feed", 200, kFeed);
    EXPECT_TRUE(reader().ReadFeed(m_server.url("/feed")));
    EXPECT_EQ(reader().LastErrorDesc(), "Error creating object 'WinHttp.WinHttpRequest.5'");
    EXPECT_EQ(m_server.hits("/feed"), 1);
}

TEST_F(FeedDownload, CharsetOfTheResponseDecidesHowTheBodyIsRead) {
    m_server.serve(
        "/latin1", 200,
        "<rss><channel><item><title>caf\xE9 \x93quoted\x94</title></item></channel></rss>",
        "text/xml; charset=windows-1252");
    ASSERT_TRUE(reader().ReadFeed(m_server.url("/latin1")));
    EXPECT_EQ(reader().FeedItems()->front().Title(), "caf\u00e9 \u201cquoted\u201d");
}

}  // namespace
}  // namespace lumeward::feed
