#include "memory/UserStore.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "memory/ItemKey.h"
#include "memory/SettableClock.h"
#include "memory/Sqlite.h"
#include "memory/StorePaths.h"
#include "support/ScopedEnvironment.h"
#include "support/TempDir.h"

using namespace lumeward::memory;
using namespace lumeward::test;
using namespace std::chrono;
namespace fs = std::filesystem;

namespace {

// "NAME@seconds since the clock's start " for each key, "- " for an item not saved there.
std::string marksOf(UserStore& store, const fs::path& folder,
                    const std::vector<std::string>& keys) {
    std::string seen;
    for (const auto& mark : store.savedInto(folder, keys)) {
        const auto at = mark ? (mark->savedAt - SettableClock::kStart).count() : 0;
        seen += mark ? mark->fileName + "@" + std::to_string(at) + " " : "- ";
    }
    return seen;
}

std::string listOf(UserStore& store) {
    std::string seen;
    for (const auto& kept : store.keptAddresses()) {
        seen += kept.address + "|" + kept.status + "|" + kept.detail;
        if (kept.suggested) {
            seen += "|" + std::to_string(static_cast<int>(kept.suggested->reason)) + " " +
                    kept.suggested->address;
        }
        seen += "\n";
    }
    return seen;
}

}  // namespace

// Items count as saved into a folder however it is spelt; the address list comes
// back in its order with each address's last Status.
TEST(UserStore, KeepsSavedItemsAndTheAddressListAcrossReopening) {
    const TempDir home;
    SettableClock clock;
    const auto file = home.path() / "made" / "memory.sqlite";
    const fs::path out = home.path() / "out";
    const std::vector<std::string> keys = {"a", "b", "c", "a", "\xc3\xa9\n x"};
    const std::string a = "http://a.example/", b = "http://b.example/";
    {
        UserStore store(file, clock.options());
        EXPECT_EQ(listOf(store), "");
        // Addresses may carry passwords: only the user may read the files or list the folder.
        const auto mode = [](const fs::path& path) { return fs::status(path).permissions(); };
        EXPECT_EQ(mode(file.parent_path()), fs::perms::owner_all);
        EXPECT_EQ(mode(file), fs::perms::owner_read | fs::perms::owner_write);
        EXPECT_EQ(mode(file.string() + "-wal"), mode(file));
        store.recordSaved(out, "a", "A1.html");
        clock.advance(seconds(5));
        const std::vector<SavedFile> files = {{"b", "B.html"}, {keys[4], "\xc3\xa9.html"}};
        store.recordSaved(home.path() / "x" / ".." / "out" / "", files);
        store.recordSaved(home.path() / "other", "c", "C.html");
        store.keepAddresses(std::vector<KeptAddress>{{"z", "", ""}, {"old", "", ""}});
        store.keepAddresses(std::vector<KeptAddress>{{b, "", ""}, {a, "", ""}, {b, "", ""}});
        const SuggestedAddress moved{SuggestedAddress::Reason::Moved, "http://m.example/"};
        store.keepStatus(2, {b, "Moved to http://m.example/", "", moved});
        store.keepStatus(1, {a, "HTTP 404 Not Found", "404 Not Found\nat /feed"});
        // The list changed under them: Statuses for addresses no longer there.
        store.keepStatus(0, {a, "Timed out", ""});
        store.keepStatus(3, {b, "Timed out", ""});
    }
    UserStore store(file, clock.options());
    EXPECT_EQ(marksOf(store, out, keys), "A1.html@0 B.html@5 - A1.html@0 \xc3\xa9.html@5 ");
    EXPECT_EQ(marksOf(store, out.string() + "/.", keys), marksOf(store, out, keys));
    EXPECT_EQ(marksOf(store, "/", keys), "- - - - - ");
    EXPECT_EQ(listOf(store), b + "||\n" + a + "|HTTP 404 Not Found|404 Not Found\nat /feed\n" + b +
                                 "|Moved to http://m.example/||1 http://m.example/\n");
    // Kept whole with the list, and gone with a later Status.
    store.keepAddresses(store.keptAddresses());
    EXPECT_NE(listOf(store).find("|1 http://m.example/"), std::string::npos);
    store.keepStatus(2, {b, "20 items", ""});
    EXPECT_EQ(listOf(store).find("|1 "), std::string::npos);
    // Saved again, as a save of every item does: the latest file is what is shown.
    clock.advance(seconds(5));
    store.recordSaved(out, "a", "A2.html");
    EXPECT_EQ(marksOf(store, out, {"a"}), "A2.html@10 ");
    store.keepAddresses({});
    EXPECT_EQ(listOf(store), "");
    EXPECT_EQ(store.takeWarning(), std::nullopt);
}

// A list kept by the program before suggestions were kept comes back whole.
TEST(UserStore, UpgradesAListKeptWithoutSuggestionsInPlace) {
    const TempDir home;
    const auto file = home.path() / "memory.sqlite";
    Connection(file, seconds(1))
        .execute(
            "CREATE TABLE kept_address (position INTEGER PRIMARY KEY, address TEXT NOT NULL,"
            " status TEXT NOT NULL, detail TEXT NOT NULL);"
            "INSERT INTO kept_address VALUES (0, 'http://a/', '2 items', 'd');"
            "PRAGMA user_version = 1;");
    UserStore store(file);
    EXPECT_EQ(listOf(store), "http://a/|2 items|d\n");
    store.keepStatus(0, {"http://a/", "Moved", "", {{SuggestedAddress::Reason::Found, "f"}}});
    EXPECT_EQ(listOf(store), "http://a/|Moved||2 f\n");
    EXPECT_EQ(store.takeWarning(), std::nullopt);
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
    const std::string known = ::getpwuid(::getuid())->pw_dir;  // the password database's
    ScopedEnvironment environment;
    // HOME, then both XDG_CACHE_HOME and XDG_DATA_HOME; the folders the files go in.
    for (const auto& [home, xdg, cache, data] :
         std::vector<std::tuple<Value, Value, std::string, std::string>>{
             {"/h", "/x", "/x", "/x"},
             {"/h", std::nullopt, "/h/.cache", "/h/.local/share"},
             {"/h", "", "/h/.cache", "/h/.local/share"},
             {"/h", "relative", "/h/.cache", "/h/.local/share"},
             {"", "/x", "/x", "/x"},
             {"", std::nullopt, known + "/.cache", known + "/.local/share"},
             {std::nullopt, std::nullopt, known + "/.cache", known + "/.local/share"}}) {
        environment.set("HOME", home);
        environment.set("XDG_CACHE_HOME", xdg);
        environment.set("XDG_DATA_HOME", xdg);
        EXPECT_EQ(defaultCacheFile(), cache + "/lumeward/cache.sqlite");
        EXPECT_EQ(defaultUserFile(), data + "/lumeward/memory.sqlite");
    }
}
