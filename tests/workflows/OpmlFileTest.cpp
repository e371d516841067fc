// OPML lists through the address file reader and writer, as real files.
#include "workflows/OpmlFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <stdexcept>
#include <tuple>

#include "support/ChildProcess.h"
#include "support/TempDir.h"
#include "workflows/AddressFile.h"

using namespace lumeward::test;
using namespace lumeward::workflows;

TEST(OpmlFile, GivesTheFeedsOfFeedReadersExportsAndReadsOtherFilesAsLines) {
    const TempDir dir;
    // clang-format off
    const std::vector<std::pair<std::string, std::string>> cases = {
        // Nested folders, outlines without xmlUrl, entities, a byte-order mark, a comment.
        {"\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- by a reader -->\n"
         "<opml version=\"1.0\"><head><title>Subs</title></head><body>\n"
         "<outline text=\"Tech\"><outline type=\"rss\" xmlUrl=\"http://a/?x=1&amp;y=2\"/>\n"
         "  <outline text=\"Deeper\"><outline xmlUrl=\"http://b/&#x65B0;&quot;q&quot;\"/></outline>\n"
         "</outline><outline text=\"site\" htmlUrl=\"http://c/\"/><outline xmlUrl=\"\"/>\n"
         "<outline xmlUrl=\"http://d/\"/></body></opml>",
         "[http://a/?x=1&y=2][http://b/\xE6\x96\xB0\"q\"][http://d/]"},
        {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><!DOCTYPE opml>\r\n\t<opml version='2.0'>"
         "<body><outline xmlUrl='http://caf\xE9/'/></body></opml>", "[http://caf\xC3\xA9/]"},
        {"<opml/>", ""},
        // An internal subset, as exporters write them: an entity it defines reads as the engine
        // reads it in a feed, as written. Addresses are trimmed, comments left out.
        {"<?xml version=\"1.0\"?>\n<!DOCTYPE opml [\n  <!ENTITY site \"http://s/\">\n"
         "  <!-- ]> --> <!ENTITY q \"]>\">\n]>\n<opml version=\"2.0\"><body>"
         "<outline xmlUrl=\"&site;a\"/><outline xmlUrl=\" http://t/&#10;\"/>"
         "<outline xmlUrl=\"#x\"/></body></opml>", "[&site;a][http://t/]"},
        // Not OPML: every line an address, as ever.
        {"<opmlx/>\nhttp://e/", "[<opmlx/>][http://e/]"},
        {"<?xml version=\"1.0\"?>\n<rss/>", "[<?xml version=\"1.0\"?>][<rss/>]"},
        {"<!-- <opml> \nhttp://f/", "[<!-- <opml>][http://f/]"}};
    // clang-format on
    for (const auto& [content, expected] : cases) {
        std::string shown;
        for (const auto& address : readAddressFile(dir.write("list", content))) {
            shown += "[" + address + "]";
        }
        EXPECT_EQ(shown, expected) << content;
    }
}

TEST(OpmlFile, AMalformedDocumentIsAReadErrorNamingTheFileAndLine) {
    const TempDir dir;
    // The line counts those of a document type declaration, which is taken out before the read.
    const std::pair<std::string, int> cases[] = {
        {"\n<opml><body>\n<outline xmlUrl=\"a\"></body>\n</opml>", 3},
        {"<!DOCTYPE opml [\n<!ENTITY a \"b\">\n]>\n<opml><body>\n<outline></body></opml>", 5}};
    for (const auto& [content, line] : cases) {
        const auto file = dir.write("subs.opml", content);
        try {
            readAddressFile(file);
            ADD_FAILURE() << "read";
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(error.what(), "Cannot read " + file.string() +
                                        ": it is not well-formed OPML: Start-end tags mismatch "
                                        "on line " +
                                        std::to_string(line));
        }
    }
}

TEST(OpmlFile, SavedListsReadBackAsTheyWereAsOpmlOrText) {
    const TempDir dir;
    // Addresses as odd as an OPML file can give, and what OPML and text keep of them where that
    // differs: XML holds no U+0001 or U+FFFE, a text file no line break inside a line.
    // clang-format off
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"http://a/?x=1&y=2", "", ""}, {"https://b/\"q\"<'>", "", ""}, {"http://\xE6\x96\xB0/\tx", "", ""},
        {"http://c/<!DOCTYPE x>", "", ""}, {"http://d/<!-- c -->]]>&amp;", "", ""},
        {"http://e/\r\n#next\rx", "", "http://e/#nextx"},
        {"http://f/\x01\xEF\xBF\xBE<\x02", "http://f/<", ""}};
    // clang-format on
    const auto opml = dir.path() / "feeds.opml", text = dir.path() / "feeds.TXT";
    for (const auto& [address, inOpml, inText] : cases) {
        saveAddressFile(opml, {address});
        saveAddressFile(text, {address});
        const auto kept = [&](const std::string& changed) {
            return std::vector{changed.empty() ? address : changed};
        };
        EXPECT_EQ(readAddressFile(opml), kept(inOpml)) << address;
        EXPECT_EQ(readAddressFile(text), kept(inText)) << address;
        EXPECT_EQ(readFile(text), kept(inText)[0] + "\r\n");
    }
    EXPECT_EQ(writeOpml({"a&b\x01"}),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<opml version=\"2.0\">\n  <head>\n"
              "    <title>Lumeward feeds</title>\n  </head>\n  <body>\n"
              "    <outline type=\"rss\" text=\"a&amp;b\" xmlUrl=\"a&amp;b\" />\n  </body>\n"
              "</opml>\n");
}
