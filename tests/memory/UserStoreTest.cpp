#include "memory/UserStore.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "memory/ItemKey.h"
#include "memory/SettableClock.h"
#include "memory/StorePaths.h"
#include "support/ScopedEnvironment.h"
#include "support/TempDir.h"

using namespace lumeward::memory;
using namespace lumeward::test;
using namespace std::chrono;
namespace fs = std::filesystem;

namespace {

// "NAME@seconds since the clock's start" for each key, "-" for an item not saved there.
std::string marksOf(UserStore& store, const fs::path& folder,
                    const std::vector<std::string>& keys) {
    std::string seen;
    for (const auto& mark : store.savedInto(folder, keys)) {
        seen += (mark ? mark->fileName + "@" +
                            std::to_string((mark->savedAt - SettableClock::kStart).count())
                      : "-") +
                " ";
    }
    return seen;
}

std::string listOf(UserStore& store) {
    std::string seen;
    for (const auto& kept : store.keptAddresses()) {
        seen += kept.address + "|" + kept.status + "|" + kept.detail + "\n";
    }
    return seen;
}

}  // namespace

TEST(SavedItems, CountAsSavedIntoTheFolderHoweverItIsSpelledAcrossReopening) {
    const TempDir home;
    SettableClock clock;
    const auto file = home.path() / "memory.sqlite";
    const fs::path out = home.path() / "out";
    const std::vector<std::string> keys = {"a", "b", "c", "a", "\xc3\xa9\n x"};
    {
        UserStore store(file, clock.options());
        store.recordSaved(out, "a", "A1.html");
        clock.advance(seconds(5));
        const std::vector<SavedFile> files = {{"b", "B.html"}, {keys[4], "\xc3\xa9.html"}};
        store.recordSaved(home.path() / "x" / ".." / "out" / "", files);
        store.recordSaved(home.path() / "other", "c", "C.html");
    }
    UserStore store(file, clock.options());
    EXPECT_EQ(marksOf(store, out, keys), "A1.html@0 B.html@5 - A1.html@0 \xc3\xa9.html@5 ");
    EXPECT_EQ(marksOf(store, out.string() + "/.", keys), marksOf(store, out, keys));
    EXPECT_EQ(marksOf(store, "/", keys), "- - - - - ");
    // Saved again, as a save of every item does: the latest file is what is shown.
    clock.advance(seconds(5));
    store.recordSaved(out, "a", "A2.html");
    EXPECT_EQ(marksOf(store, out, {"a"}), "A2.html@10 ");
    EXPECT_EQ(store.takeWarning(), std::nullopt);
}

TEST(KeptAddresses, ComeBackInTheirOrderWithTheirLastStatus) {
    const TempDir home;
    SettableClock clock;
    const auto file = home.path() / "memory.sqlite";
    {
        UserStore store(file, clock.options());
        EXPECT_EQ(listOf(store), "");
        store.keepAddresses(std::vector<KeptAddress>{{"z", "", ""}, {"old", "", ""}});
        const std::vector<KeptAddress> list = {{"http://b.example/", "", ""},
                                               {"http://a.example/", "", ""},
                                               {"http://b.example/", "", ""}};
        store.keepAddresses(list);
        store.keepStatus(2, "http://b.example/", "20 items", "");
        store.keepStatus(1, "http://a.example/", "HTTP 404 Not Found", "404 Not Found\nat /feed");
        // The list changed under it: the Status is for an address no longer there.
        store.keepStatus(0, "http://a.example/", "Timed out", "");
        store.keepStatus(3, "http://b.example/", "Timed out", "");
    }
    UserStore store(file, clock.options());
    EXPECT_EQ(listOf(store),
              "http://b.example/||\n"
              "http://a.example/|HTTP 404 Not Found|404 Not Found\nat /feed\n"
              "http://b.example/|20 items|\n");
    store.keepAddresses({});
    EXPECT_EQ(listOf(store), "");
}

TEST(ItemKey, IsTheFeedWithTheIdElseTheLinkElseAStableHashOfTheTexts) {
    const std::string feed = "http://a.example/feed";
    struct Case {
        std::vector<std::string> item;  // id, link, title, description
        std::string key;                // after the feed's address and a line feed
    };
    const std::vector<Case> cases = {
        {{" urn:1\n", "http://a.example/1", "T", "D"}, "id urn:1"},
        {{" \t", "http://a.example/1 ", "T", "D"}, "link http://a.example/1"},
        {{"", "", "", ""}, "text af63bd4c8601b7df"},
        {{"", " ", "T", "D"}, "text 6b9dda19e0ef3e07"},
        {{"", "", "TD", ""}, "text 6c84ae19e1b3215f"},
        {{"", "", "", "TD"}, "text d82fde186b1d19cf"},
        {{"", "", "\xe6\x97\xa5", "<p>x</p>"}, "text f3e4885adaee3be6"},
    };
    for (const auto& [item, key] : cases) {
        SCOPED_TRACE(key);
        EXPECT_EQ(itemKey(feed, item[0], item[1], item[2], item[3]), feed + "\n" + key);
    }
}

TEST(StorePaths, FollowTheXdgFoldersElseTheHomeFolder) {
    using Value = std::optional<std::string>;
    struct Case {
        Value home, xdg;
        std::string folder;  // of both files; ~ is the user's home in the password database
        std::string cache, user;
    };
    const std::string cacheTail = "/lumeward/cache.sqlite", userTail = "/lumeward/memory.sqlite";
    const std::vector<Case> cases = {
        {"/home/u", "/x", "/x", "", ""},
        {"/home/u", std::nullopt, "/home/u", "/.cache", "/.local/share"},
        {"/home/u", "", "/home/u", "/.cache", "/.local/share"},
        {"/home/u", "relative", "/home/u", "/.cache", "/.local/share"},
        {std::nullopt, std::nullopt, "~", "/.cache", "/.local/share"},
        {"", "/x", "/x", "", ""},
        {"", std::nullopt, "~", "/.cache", "/.local/share"},
    };
    ScopedEnvironment environment;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.home.value_or("unset") + ", " + c.xdg.value_or("unset"));
        environment.set("HOME", c.home);
        environment.set("XDG_CACHE_HOME", c.xdg);
        environment.set("XDG_DATA_HOME", c.xdg);
        const std::string folder = c.folder == "~" ? ::getpwuid(::getuid())->pw_dir : c.folder;
        EXPECT_EQ(defaultCacheFile(), folder + c.cache + cacheTail);
        EXPECT_EQ(defaultUserFile(), folder + c.user + userTail);
    }
}
