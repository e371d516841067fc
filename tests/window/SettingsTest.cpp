// The per-user settings store when its file or folder is damaged or cannot be
// used: the default comes back, and a save either lands or says that it failed.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include <QLineEdit>
#include "support/ChildProcess.h"
#include "support/ScopedHome.h"

#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"
#include "window/Form1.h"
#include "window/Settings.h"

namespace lumeward::window {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

TEST(SettingsStore, DamagedOrUnusableStoresGiveTheDefaultAndSavesSayWhetherTheyLanded) {
    // What the window does with the store: read the folder, save another, read again.
    const auto readSaveRead = [] {
        const QString before = GetSetting("Kelvarin", "Lumeward", "Download Location", "/default/");
        const bool saved = SaveSetting("Kelvarin", "Lumeward", "Download Location", "/\u00FC/");
        return (before + (saved ? " saved " : " lost ") +
                GetSetting("Kelvarin", "Lumeward", "Download Location", "/default/"))
            .toStdString();
    };
    // In the store's place: a file of the bytes (the first: this program's), a folder, a link
    // to itself or to a file, an unreadable file; or no configuration folder, or a file there.
    const std::string old = "[Lumeward]\r\nDownload%20Location=/old/\r\n";
    std::vector<std::pair<std::string, std::string>> cases = {
        {"link", old}, {"unreadable", old}, {"folder", ""},
        {"loop", ""},  {"no folder", ""},   {"file for folder", ""}};
    for (const std::string& bytes :
         {test::readFile("/proc/self/exe").substr(0, 65536),
          "[Lumeward]\r\nDownload\0%20Location=/a\r\n\0\0"s, std::string(4 << 20, 'x'),
          "[Lumeward]\r\nDownload\xff%20Location=/a\r\n[\xc0\xaf]\r\n\xed\xa0"s,
          "[Other]\r\nx=1\r\n[Lumeward"s, "[Lumeward/Download%20Location=/c\r\n"s}) {
        cases.emplace_back("file", bytes);
    }
    const test::ScopedHome restoredAfterwards;
    for (const auto& [kind, bytes] : cases) {
        SCOPED_TRACE(kind + ": " + bytes.substr(0, 20));
        const test::TempDir home;
        const fs::path store = home.path() / "Kelvarin.ini";
        if (!bytes.empty()) {
            home.write(kind == "link" ? "dotfiles.ini" : "Kelvarin.ini", bytes);
        }
        if (kind == "folder") {
            fs::create_directory(store);
        } else if (kind == "loop" || kind == "link") {
            fs::create_symlink(kind == "loop" ? store : home.path() / "dotfiles.ini", store);
        } else if (kind == "unreadable") {
            fs::permissions(store, fs::perms::none);
            test::handToUnprivilegedUser(home.path());
        }
        const fs::path config = kind == "file for folder" ? home.write("config", "x")
                                : kind == "no folder"     ? home.path() / "a/b"
                                                          : home.path();
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config.string()));
        const std::string before = kind == "link" ? "/old/" : "/default/";
        const bool lost = kind == "folder" || kind == "unreadable" || kind == "file for folder";
        EXPECT_EQ(kind == "unreadable" ? test::runForkedUnprivileged(readSaveRead).output
                                       : readSaveRead(),
                  before + (lost ? " lost " + before : " saved /\u00FC/"));
    }
}

TEST(SettingsStore, TheWindowTellsOfTheFirstFailedSaveOnlyNamingTheStoreAndTheReason) {
    const test::ScopedHome restoredAfterwards;
    const test::TempDir home;
    fs::create_directory(home.path() / "Kelvarin.ini");
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(home.path().string()));
    test::ScriptedDialogs dialogs;
    Form1 form(dialogs);
    form.Text1()->setText("/a/");
    form.Text1()->setText("/b/");
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_TRUE(dialogs.shown[0].text.startsWith(
        QString::fromStdString("Settings cannot be saved to " +
                               (home.path() / "Kelvarin.ini").string() + ": Is a directory.")))
        << dialogs.shown[0].text.toStdString();
    EXPECT_EQ(dialogs.shown[0].icon, Dialogs::Icon::Warning);
}

}  // namespace
}  // namespace lumeward::window
