#include "workflows/AddressFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <stdexcept>
#include <utility>

#include "support/AddressLineCases.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"
#include "workflows/AddressLines.h"

using namespace lumeward::test;
using namespace lumeward::workflows;

// Each way in has its own test over the same table; these two are the text and the file.
TEST(AddressLines, TrimWhiteSpaceAndSkipEmptyLinesAndCommentsInTextAndFiles) {
    const TempDir dir;
    for (const auto& [text, added] : kAddressLineCases) {
        std::string fromText, fromFile;
        for (const auto& address : addressesOfText(text)) {
            fromText += address + ' ';
        }
        for (const auto& address : readAddressFile(dir.write("list", text))) {
            fromFile += address + ' ';
        }
        EXPECT_EQ(fromText, added) << testing::PrintToString(text);
        EXPECT_EQ(fromFile, added) << testing::PrintToString(text);
    }
}

TEST(AddressFile, SkipsAByteOrderMarkAndReadsTextThatIsNotUtf8AsWindows1252) {
    const TempDir dir;
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"\xEF\xBB\xBFhttp://a/\n", {"http://a/"}},
        {"http://a/caf\xC3\xA9\nhttp://b/", {"http://a/caf\xC3\xA9", "http://b/"}},
        {"http://a/caf\xE9 \x93q\x94\r\n", {"http://a/caf\xC3\xA9 \xE2\x80\x9Cq\xE2\x80\x9D"}}};
    for (const auto& [content, expected] : cases) {
        EXPECT_EQ(readAddressFile(dir.write("list", content)), expected)
            << testing::PrintToString(content);
    }
    // A read told to stop returns nothing.
    EXPECT_TRUE(readAddressFile(dir.write("list", "http://a/"), [] { return false; }).empty());
}

TEST(AddressFile, ReadsAHugeFileWholeKeepingEveryByteButTheLineEnds) {
    // Ten megabytes of every ASCII byte but CR and LF, numbered so that a lost or repeated block
    // shows, then more short lines than 16 bits can count.
    std::vector<std::string> expected(1);
    for (int i = 0; expected[0].size() < (10 << 20); ++i) {
        const char byte = static_cast<char>(i % 128);
        expected[0] += std::to_string(i) + (byte == '\r' || byte == '\n' ? ' ' : byte);
    }
    expected[0] += '.';  // not white space, which the line would lose
    std::string content = expected[0] + "\r\n";
    for (int i = 0; i < 100'000; ++i) {
        expected.push_back("http://h/" + std::to_string(i));
        content += expected.back() + (i % 2 == 0 ? "\r\n" : "\r");
    }
    expected.emplace_back("x");
    // Not EXPECT_EQ: a failure would print ten megabytes.
    EXPECT_TRUE(readAddressFile(TempDir().write("huge", content + "x\n")) == expected);
}

TEST(AddressFile, NamesTheFileAndTheReasonWhenItCannotBeRead) {
    const TempDir dir;
    handToUnprivilegedUser(dir.path());
    const auto locked = dir.write("locked", "http://a/\r\n"), missing = dir.path() / "missing";
    std::filesystem::permissions(locked, std::filesystem::perms::none);
    // A pipe with no writer would hang a reader that waits for it; a huge file would fill memory.
    const auto pipe = dir.path() / "pipe", huge = dir.write("huge", "");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
    std::filesystem::resize_file(huge, kMaxAddressFileBytes + 1);
    // As "nobody" when run by root, so that the permission binds.
    const ForkResult child = runForkedUnprivileged([&] {
        std::string reasons;
        for (const auto& path : {missing, dir.path(), locked, pipe, huge}) {
            try {
                readAddressFile(path);
            } catch (const std::runtime_error& error) {
                reasons += error.what() + std::string("\n");
            }
        }
        return reasons;
    });
    const std::string notRegular = ": it is not a regular file\n";
    EXPECT_EQ(child.output, "Cannot read " + missing.string() + ": No such file or directory\n" +
                                "Cannot read " + dir.path().string() + notRegular + "Cannot read " +
                                locked.string() + ": Permission denied\n" + "Cannot read " +
                                pipe.string() + notRegular + "Cannot read " + huge.string() +
                                ": it is larger than 64 MiB\n");
}
