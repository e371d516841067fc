#include "workflows/AddressFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "support/TempDir.h"

using lumeward::test::TempDir;
using lumeward::workflows::readAddressFile;
using lumeward::workflows::splitAddressLines;
using Lines = std::vector<std::string>;

namespace {

struct Case {
    std::string content;
    Lines expected;
};

// The text of the runtime_error readAddressFile throws, or "" when it returns.
std::string readFailure(const std::filesystem::path& path) {
    try {
        readAddressFile(path);
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return {};
}

}  // namespace

TEST(AddressLines, EndAtCarriageReturnWithOrWithoutLineFeed) {
    const std::vector<Case> cases = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\r\nb", {"a", "b"}},
        {"a\rb", {"a", "b"}},
        {"a\r", {"a"}},
        {"\r\n", {""}},
        {"\r", {""}},
        {"\r\r", {"", ""}},
        {"\r\n\r\n", {"", ""}},
        {"a\r\n\r\nb", {"a", "", "b"}},
        {"a\r\rb", {"a", "", "b"}},
        // CR then CR LF: the first CR ends a line on its own.
        {"a\r\r\nb", {"a", "", "b"}},
        {"http://x/feed?a=1&b=2\r\nhttps://y/rss\r\n", {"http://x/feed?a=1&b=2", "https://y/rss"}},
    };
    for (const auto& [content, expected] : cases) {
        EXPECT_EQ(splitAddressLines(content), expected)
            << "content: " << testing::PrintToString(content);
    }
}

TEST(AddressLines, SplitAtBareLineFeedKeepingTheLastPiece) {
    const std::vector<Case> cases = {
        {"a\nb\n", {"a", "b", ""}},
        {"a\nb", {"a", "b"}},
        {"\n", {"", ""}},
        {"\n\n", {"", "", ""}},
        {"a\n\r\nb", {"a", "", "b"}},
        {"a\nb\r\nc\nd\r", {"a", "b", "c", "d"}},
        // LF then CR: the LF piece is empty, and the CR ends the line.
        {"a\n\rb", {"a", "", "b"}},
        {"\n\r", {"", ""}},
    };
    for (const auto& [content, expected] : cases) {
        EXPECT_EQ(splitAddressLines(content), expected)
            << "content: " << testing::PrintToString(content);
    }
}

TEST(AddressLines, KeepEveryOtherByteAsWritten) {
    const std::vector<Case> cases = {
        {" a ", {" a "}},
        {"\ta\t\r\n  \r\n", {"\ta\t", "  "}},
        {"http://h/\xc3\xa9t\xc3\xa9\r\nhttp://h/\xe6\x96\xb0",
         {"http://h/\xc3\xa9t\xc3\xa9", "http://h/\xe6\x96\xb0"}},
        {std::string("a\0b\r\n", 5), {std::string("a\0b", 3)}},
        {"\xef\xbb\xbf"
         "a",
         {"\xef\xbb\xbf"
          "a"}},
    };
    for (const auto& [content, expected] : cases) {
        EXPECT_EQ(splitAddressLines(content), expected)
            << "content: " << testing::PrintToString(content);
    }
}

TEST(AddressFile, ReadsTheBytesOfARealFile) {
    const TempDir dir;
    const auto path =
        dir.write("feeds.txt", "http://a/rss\r\nhttp://b/\xc3\xa9\r\n\r\nhttp://c/\nx");
    EXPECT_EQ(readAddressFile(path),
              (Lines{"http://a/rss", "http://b/\xc3\xa9", "", "http://c/", "x"}));
}

TEST(AddressFile, ReadsAFileLargerThanOneBuffer) {
    const TempDir dir;
    std::string content;
    Lines expected;
    for (int i = 0; content.size() < 300'000; ++i) {
        expected.push_back("http://host/feed/" + std::to_string(i));
        content += expected.back() + "\r\n";
    }
    EXPECT_EQ(readAddressFile(dir.write("big.txt", content)), expected);
}

TEST(AddressFile, NamesTheFileAndReasonWhenItCannotBeRead) {
    const TempDir dir;
    const auto missing = dir.path() / "missing.txt";
    EXPECT_EQ(readFailure(missing),
              "Cannot read " + missing.string() + ": No such file or directory");
    EXPECT_EQ(readFailure(dir.path()), "Cannot read " + dir.path().string() + ": Is a directory");
}

TEST(AddressFile, ReportsAFileWithoutReadPermission) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root reads files whatever their permissions";
    }
    const TempDir dir;
    const auto path = dir.write("locked.txt", "http://a/\r\n");
    ASSERT_EQ(::chmod(path.c_str(), 0), 0);
    EXPECT_EQ(readFailure(path), "Cannot read " + path.string() + ": Permission denied");
}
