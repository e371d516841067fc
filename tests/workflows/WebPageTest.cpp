// Pages read back by a real HTML parser (libxml2's): what a browser would show.
#include "workflows/WebPage.h"

#include <gtest/gtest.h>
#include <libxml/HTMLparser.h>
#include <libxml/xpath.h>

#include <memory>
#include <string>

#include "workflows/Export.h"

namespace lumeward::workflows {
namespace {

using namespace std::chrono;

// The parts of a page: title, heading, the time's instant, each paragraph's text after
// "/", the link's target and text after "->"; missing parts are left out.
std::string readBack(const std::string& page) {
    const std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)> document(
        htmlReadMemory(page.data(), static_cast<int>(page.size()), nullptr, "UTF-8",
                       HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET),
        xmlFreeDoc);
    const std::unique_ptr<xmlXPathContext, decltype(&xmlXPathFreeContext)> context(
        xmlXPathNewContext(document.get()), xmlXPathFreeContext);
    const auto texts = [&](const char* path, const char* before) {
        std::string joined;
        const std::unique_ptr<xmlXPathObject, decltype(&xmlXPathFreeObject)> found(
            xmlXPathEvalExpression(reinterpret_cast<const xmlChar*>(path), context.get()),
            xmlXPathFreeObject);
        for (int i = 0; found->nodesetval && i < found->nodesetval->nodeNr; ++i) {
            xmlChar* text = xmlNodeGetContent(found->nodesetval->nodeTab[i]);
            joined += before + std::string(reinterpret_cast<const char*>(text));
            xmlFree(text);
        }
        return joined;
    };
    return texts("/html/head/title", "") + texts("/html/body/h1", "|") +
           texts("/html/body/p/time/@datetime", "|") + texts("/html/body/p", "/") +
           texts("/html/body/p/a/@href", "->") + texts("/html/body/p/a", "->");
}

TEST(WebPage, ShowsEachTextAsWrittenAndNeverAsMarkup) {
    const auto date = sys_days(2026y / December / 7) + 10h;
    const struct {
        ResultRow row;
        std::string expected;
    } cases[] = {
        {{true, "http://f/", "Release 1.0 & <notes>",
          "\n  First line \nsecond <b>line</b>\n\n \n\nLast\r\n",
          "https://e.org/a b?x=1&y=\"2\"#f#g", date},
         "Release 1.0 & <notes>|Release 1.0 & <notes>|2026-12-07T10:00:00Z/2026-12-07 10:00 UTC"
         "/First line\nsecond <b>line</b>/Last/https://e.org/a b?x=1&y=\"2\"#f#g"
         "->https://e.org/a%20b?x=1&y=%222%22#f%23g->https://e.org/a b?x=1&y=\"2\"#f#g"},
        // A missing title is the link's or the feed's; a link that is not on the web is text.
        {{true, "http://f/", " \t", "", "javascript:alert(1)"},
         "javascript:alert(1)|javascript:alert(1)/javascript:alert(1)"},
        {{true, "http://f/", "", "x", ""}, "http://f/|http://f//x"},
        // Characters no page may hold, and broken UTF-8, show as U+FFFD.
        {{true, "",
          "a\x01"
          "b\xC2\x85"
          "c\xEF\xB7\x90"
          "d\xF4\x8F\xBF\xBF"
          "e\xFF",
          "<script>alert(1)</script>", "HTTPS://u:pw@H.example:8080/%41%zz|"},
         "a\uFFFDb\uFFFDc\uFFFDd\uFFFDe\uFFFD|a\uFFFDb\uFFFDc\uFFFDd\uFFFDe\uFFFD"
         "/<script>alert(1)</script>/HTTPS://H.example:8080/%41%zz|"
         "->HTTPS://H.example:8080/%41%25zz%7C->HTTPS://H.example:8080/%41%zz|"},
    };
    for (const auto& [row, expected] : cases) {
        EXPECT_EQ(readBack(webPageOf(row)), expected) << row.title;
    }
    EXPECT_TRUE(webPageOf(cases[0].row)
                    .starts_with("<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n"));
}

// Only an http or https address with a host is a link.
TEST(WebPage, LinksOnlyToWebAddresses) {
    const std::pair<std::string, std::string> cases[] = {
        {"http://h/", "http://h/"},
        {" https://h ", "https://h"},
        {"https://h/\u00e9?q=\u65b0", "https://h/\u00e9?q=\u65b0"},
        {"http://[::1]:8080/p q", "http://[::1]:8080/p%20q"},
        {"http://h_1.example-2:80/", "http://h_1.example-2:80/"},
        {"http:///x", ""},
        {"http://exa mple/", ""},
        {"http://[zz]/", ""},
        {"http://h:80x/", ""},
        {"http://@/", ""},
        {"ftp://h/", ""},
        {"https:h", ""},
    };
    for (const auto& [url, target] : cases) {
        const std::string parts = readBack(webPageOf({true, "", "T", "", url}));
        const std::size_t arrow = parts.find("->");
        EXPECT_EQ(arrow == std::string::npos
                      ? ""
                      : parts.substr(arrow + 2, parts.rfind("->") - arrow - 2),
                  target)
            << url;
    }
}

}  // namespace
}  // namespace lumeward::workflows
