#include "workflows/AddressFile.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <utility>

#include "support/ChildProcess.h"
#include "support/TempDir.h"

using namespace lumeward::test;
using namespace lumeward::workflows;

TEST(AddressLines, EndAtCrOrCrLfAndSplitAtBareLf) {
    // Each line in brackets. After the last bare LF the empty piece counts, after a CR not.
    // clang-format off
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", ""},       {"a", "[a]"},          {"a\r\nb\r\n", "[a][b]"},  {"a\rb\r", "[a][b]"},
        {"\r\n", "[]"}, {"\r\r", "[][]"},      {"a\r\n\r\nb", "[a][][b]"}, {"a\r\r\nb", "[a][][b]"},
        {"\n", "[][]"}, {"a\nb\n", "[a][b][]"}, {"a\n\r\nb", "[a][][b]"},  {"a\n\rb", "[a][][b]"},
        {"a\nb\r\nc\nd\r", "[a][b][c][d]"},    {" \ta \r\n  ", "[ \ta ][  ]"}};
    // clang-format on
    for (const auto& [content, expected] : cases) {
        std::string shown;
        for (const auto& line : splitAddressLines(content)) {
            shown += "[" + line + "]";
        }
        EXPECT_EQ(shown, expected) << testing::PrintToString(content);
    }
}

TEST(AddressFile, ReadsAHugeFileWholeKeepingEveryByteButTheLineEnds) {
    // Ten megabytes of every byte but CR and LF, numbered so that a lost or repeated block shows,
    // then more short lines than 16 bits can count.
    std::vector<std::string> expected(1);
    for (int i = 0; expected[0].size() < (10 << 20); ++i) {
        const char byte = static_cast<char>(i % 256);
        expected[0] += std::to_string(i) + (byte == '\r' || byte == '\n' ? ' ' : byte);
    }
    std::string content = expected[0] + "\r\n";
    for (int i = 0; i < 100'000; ++i) {
        expected.push_back("http://h/" + std::to_string(i));
        content += expected.back() + (i % 2 == 0 ? "\r\n" : "\r");
    }
    expected.insert(expected.end(), {"x", ""});
    // Not EXPECT_EQ: a failure would print ten megabytes.
    EXPECT_TRUE(readAddressFile(TempDir().write("huge", content + "x\n")) == expected);
}

TEST(AddressFile, NamesTheFileAndTheReasonWhenItCannotBeRead) {
    const TempDir dir;
    handToUnprivilegedUser(dir.path());
    const auto locked = dir.write("locked", "http://a/\r\n"), missing = dir.path() / "missing";
    std::filesystem::permissions(locked, std::filesystem::perms::none);
    // As "nobody" when run by root, so that the permission binds.
    const ForkResult child = runForkedUnprivileged([&] {
        std::string reasons;
        for (const auto& path : {missing, dir.path(), locked}) {
            try {
                readAddressFile(path);
            } catch (const std::runtime_error& error) {
                reasons += error.what() + std::string("\n");
            }
        }
        return reasons;
    });
    EXPECT_EQ(child.output, "Cannot read " + missing.string() + ": No such file or directory\n" +
                                "Cannot read " + dir.path().string() + ": Is a directory\n" +
                                "Cannot read " + locked.string() + ": Permission denied\n");
}
