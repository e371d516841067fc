#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "memory/ResponseCache.h"
#include "memory/UserStore.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"

using namespace lumeward::memory;
using namespace lumeward::test;
namespace fs = std::filesystem;

namespace {

// The stores are used with their usual options: the system clock and the time-out
// the programs wait for one another, which processes writing at once never reach.
const std::string kBody(30'000, 'f');

// Records items name0, name1, ... into folder one by one, keeping a response for
// each as well, and sends each name once both are done; then its warnings.
void recordItems(const fs::path& home, const std::string& name, int count,
                 const ForkedChild::Send& send) {
    UserStore store(home / "memory.sqlite");
    ResponseCache cache(home / "cache.sqlite");
    for (int index = 0; index < count; ++index) {
        const std::string key = name + std::to_string(index);
        cache.keep(key, {"\"" + key + "\"", ""}, "text/xml", kBody);
        store.recordSaved(home / "out", key, key + ".html");
        send(key);
    }
    send(store.takeWarning().value_or("") + cache.takeWarning().value_or(""));
}

// The names of those sent that the files do not hold, and any warning on the way.
std::string missing(const fs::path& home, const std::vector<std::string>& sent) {
    UserStore store(home / "memory.sqlite");
    ResponseCache cache(home / "cache.sqlite");
    std::string lost;
    const auto marks = store.savedInto(home / "out", sent);
    for (std::size_t index = 0; index < sent.size(); ++index) {
        const auto kept = cache.kept(sent[index]);
        if (!marks[index] || marks[index]->fileName != sent[index] + ".html" || !kept ||
            kept->body != kBody) {
            lost += sent[index] + " ";
        }
    }
    return lost + store.takeWarning().value_or("") + cache.takeWarning().value_or("");
}

}  // namespace

TEST(StoreSharing, ThreadsOfOneProcessLoseNothing) {
    const TempDir home;
    UserStore store(home.path() / "memory.sqlite");
    ResponseCache cache(home.path() / "cache.sqlite");
    std::vector<std::string> names;
    for (int index = 0; index < 400; ++index) {
        names.push_back("t" + std::to_string(index));
    }
    {
        std::vector<std::jthread> threads;
        for (std::size_t thread = 0; thread < 8; ++thread) {
            threads.emplace_back([&, thread] {
                for (auto index = thread; index < names.size(); index += 8) {
                    const std::string& key = names[index];
                    cache.keep(key, {"\"" + key + "\"", ""}, "text/xml", kBody);
                    store.recordSaved(home.path() / "out", key, key + ".html");
                    cache.hold(key, systemNow() + std::chrono::hours(1));
                    EXPECT_TRUE(cache.kept(key) && cache.heldUntil(key));
                    store.keepAddresses(std::vector<KeptAddress>(3, {key, "", ""}));
                    store.keepStatus(1, {key, "1 item", key});
                }
            });
        }
    }
    const auto list = store.keptAddresses();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[1].status + list[1].detail, "1 item" + list[1].address);
    EXPECT_EQ(list[0].address + list[2].address, list[1].address + list[1].address);
    EXPECT_EQ(missing(home.path(), names), "");
}

TEST(StoreSharing, ProcessesStartingTheFilesAtOnceLoseNoRecord) {
    const TempDir home;
    ForkedChild first([&](const auto& send) { recordItems(home.path(), "shared", 200, send); });
    ForkedChild second([&](const auto& send) { recordItems(home.path(), "shared", 200, send); });
    ForkedChild third([&](const auto& send) { recordItems(home.path(), "own", 200, send); });
    std::vector<std::string> sent;
    for (auto* child : {&first, &second, &third}) {
        for (auto line = child->nextLine(); line; line = child->nextLine()) {
            sent.push_back(*line);
        }
        // The last line is the warnings: none.
        EXPECT_EQ(sent.back(), "");
        sent.pop_back();
        EXPECT_TRUE(child->wait());
    }
    EXPECT_EQ(sent.size(), 600u);
    EXPECT_EQ(missing(home.path(), sent), "");
}

TEST(StoreSharing, AProcessKilledWhileWritingLeavesFilesThatOpenWithEveryRecordItFinished) {
    const TempDir home;
    std::vector<std::string> sent;
    {
        ForkedChild child(
            [&](const auto& send) { recordItems(home.path(), "k", 1'000'000, send); });
        while (sent.size() < 300) {
            sent.push_back(child.nextLine().value());
        }
        child.kill();
        for (auto line = child.nextLine(); line; line = child.nextLine()) {
            sent.push_back(*line);
        }
    }
    EXPECT_TRUE(fs::exists(home.path() / "memory.sqlite-wal"));
    EXPECT_EQ(missing(home.path(), sent), "");
}
