#include "workflows/AddressFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "support/ChildProcess.h"
#include "support/TempDir.h"

using lumeward::test::ForkResult;
using lumeward::test::handToUnprivilegedUser;
using lumeward::test::runForkedUnprivileged;
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
    const TempDir dir;
    handToUnprivilegedUser(dir.path());
    const auto path = dir.write("locked.txt", "http://a/\r\n");
    ASSERT_EQ(::chmod(path.c_str(), 0), 0);
    const ForkResult child = runForkedUnprivileged([&path] { return readFailure(path); });
    ASSERT_TRUE(child.exitedNormally);
    EXPECT_EQ(child.output, "Cannot read " + path.string() + ": Permission denied");
}

namespace {

// Every byte value except CR and LF, in order.
std::string bytesOtherThanLineEnds() {
    std::string bytes;
    for (int value = 0; value < 256; ++value) {
        if (value != '\r' && value != '\n') {
            bytes += static_cast<char>(value);
        }
    }
    return bytes;
}

std::string joined(const Lines& lines, const std::string& end) {
    std::string content;
    for (const auto& line : lines) {
        content += line + end;
    }
    return content;
}

}  // namespace

TEST(AddressFileContent, AMillionLinesComeBackInOrder) {
    const TempDir dir;
    constexpr int kLines = 1'000'000;
    std::string content;
    content.reserve(static_cast<std::size_t>(kLines) * 18);
    char number[16];
    for (int i = 0; i < kLines; ++i) {
        content += "http://h/";
        content.append(number, std::to_chars(number, number + sizeof number, i).ptr);
        // Both line ends the files use, mixed.
        content += i % 2 == 0 ? "\r\n" : "\r";
    }
    const Lines lines = readAddressFile(dir.write("million.txt", content));

    ASSERT_EQ(lines.size(), static_cast<std::size_t>(kLines));
    int wrong = 0;
    for (int i = 0; i < kLines && wrong < 5; ++i) {
        const std::string_view line = lines[static_cast<std::size_t>(i)];
        const std::string_view digits(number, std::to_chars(number, number + sizeof number, i).ptr);
        if (!line.starts_with("http://h/") || line.substr(9) != digits) {
            ADD_FAILURE() << "line " << i << ": " << line;
            ++wrong;
        }
    }
}

TEST(AddressFileContent, EveryByteValueIsKeptExactly) {
    const TempDir dir;
    const std::string others = bytesOtherThanLineEnds();
    Lines expected = {others, std::string(3, '\0'), ""};
    for (const char byte : others) {
        expected.push_back(std::string("<") + byte + byte + ">");
    }
    // CR and LF appear as the line ends, so the file holds all 256 values.
    const std::string content = joined(expected, "\r\n") + "last\nlf";
    expected.push_back("last");
    expected.push_back("lf");

    EXPECT_EQ(splitAddressLines(content), expected);
    EXPECT_EQ(readAddressFile(dir.write("binary.bin", content)), expected);
}

TEST(AddressFileContent, InvalidUtf8IsKeptByteForByte) {
    const TempDir dir;
    const Lines lines = {
        "http://h/\xff",        "\xfe\xff",         "\xc3(",    "http://h/\xc3", "\xc0\xaf",
        "\xed\xa0\x80",         "\xf4\x90\x80\x80", "\xe2\x82", "\x80\x80\x80",  "\xef\xbb\xbf\xff",
        "\xf8\x88\x80\x80\x80",
    };
    const std::string content = joined(lines, "\r\n");

    EXPECT_EQ(splitAddressLines(content), lines);
    EXPECT_EQ(readAddressFile(dir.write("invalid.txt", content)), lines);
}

TEST(AddressFileContent, OneTenMegabyteLineIsOneAddress) {
    const TempDir dir;
    // Printable bytes that change from block to block, so a lost or moved block shows.
    constexpr std::size_t kSize = 10 * 1024 * 1024;
    std::string line;
    line.reserve(kSize + 4200);
    std::string block;
    for (int i = 0; i < 4099; ++i) {
        block += static_cast<char>('!' + i * 7 % 90);
    }
    for (int i = 0; line.size() < kSize; ++i) {
        line += block;
        line += std::to_string(i);
    }
    const auto path = dir.path() / "long.txt";
    // After a bare LF the empty piece counts as an address of its own.
    for (const std::string end : {"", "\r\n", "\n"}) {
        std::ofstream(path, std::ios::binary) << line << end;
        const Lines lines = readAddressFile(path);
        ASSERT_EQ(lines.size(), end == "\n" ? 2u : 1u) << testing::PrintToString(end);
        EXPECT_TRUE(lines[0] == line) << testing::PrintToString(end);
        if (lines.size() == 2) {
            EXPECT_EQ(lines[1], "");
        }
    }
}
