// OPML lists through the address file reader and writer, as real files.
#include "workflows/OpmlFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <stdexcept>

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
        // Not OPML: every line an address, as ever.
        {"<opmlx/>\nhttp://e/", "[<opmlx/>][http://e/]"},
        {"<?xml version=\"1.0\"?>\n<rss/>", "[<?xml version=\"1.0\"?>][<rss/>]"},
        {"<!-- <opml> \nhttp://f/", "[<!-- <opml> ][http://f/]"}};
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
    const auto file = dir.write("subs.opml",
                                "\n<opml><body>\n<outline xmlUrl=\"a\">"
                                "</body>\n</opml>");
    try {
        readAddressFile(file);
        ADD_FAILURE() << "read";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(error.what(), "Cannot read " + file.string() +
                                    ": it is not well-formed OPML: Start-end tags mismatch on "
                                    "line 3");
    }
}

TEST(OpmlFile, SavedListsReadBackTheSameAsOpmlOrTextAndReplaceTheOldFileWhole) {
    const TempDir dir;
    const std::vector<std::string> addresses = {
        "http://a/?x=1&y=2", " spaced ", "https://b/\"q\"<'>", "http://\xE6\x96\xB0/", "tab\there"};
    const auto opml = dir.write("feeds.opml", "old"), text = dir.path() / "feeds.TXT";
    ::chmod(opml.c_str(), 0600);
    saveAddressFile(opml, addresses);
    saveAddressFile(text, addresses);
    EXPECT_EQ(readAddressFile(opml), addresses);
    EXPECT_EQ(readAddressFile(text), addresses);
    EXPECT_EQ(std::filesystem::status(opml).permissions(), std::filesystem::perms(0600));
    EXPECT_EQ(readFile(text),
              "http://a/?x=1&y=2\r\n spaced \r\nhttps://b/\"q\"<'>\r\nhttp://"
              "\xE6\x96\xB0/\r\ntab\there\r\n");
    // Text to OPML and back; a character XML cannot hold is left out.
    saveAddressFile(opml, readAddressFile(text));
    EXPECT_EQ(readAddressFile(opml), addresses);
    EXPECT_EQ(writeOpml({"a&b\x01"}),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<opml version=\"2.0\">\n  <head>\n"
              "    <title>Lumeward feeds</title>\n  </head>\n  <body>\n"
              "    <outline type=\"rss\" text=\"a&amp;b\" xmlUrl=\"a&amp;b\" />\n  </body>\n"
              "</opml>\n");
    EXPECT_THROW(saveAddressFile(dir.path() / "missing" / "feeds.opml", addresses),
                 std::runtime_error);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2)
        << "no file left behind";
}
