// The per-user settings store when its file is damaged or cannot be used: the
// defaults come back, nothing crashes, and a save either lands or says it failed.
#include <unistd.h>

#include <QByteArray>
#include <QString>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/ChildProcess.h"
#include "support/TempDir.h"
#include "window/Settings.h"

namespace lumeward::window {
namespace {

namespace fs = std::filesystem;
using test::ForkResult;
using test::handToUnprivilegedUser;
using test::readFile;
using test::runForkedUnprivileged;
using test::TempDir;

const QString kApplication = QStringLiteral("Kelvarin");
const QString kSection = QStringLiteral("Lumeward");
const QString kLocation = QStringLiteral("Download Location");
const QString kDefault = QStringLiteral("/home/default/");

// Each test gets a configuration folder of its own.
class SettingsStore : public testing::Test {
protected:
    SettingsStore() : m_saved(qgetenv("XDG_CONFIG_HOME")) { useConfigFolder(m_home.path()); }
    ~SettingsStore() override { qputenv("XDG_CONFIG_HOME", m_saved); }

    static void useConfigFolder(const fs::path& folder) {
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(folder.string()));
    }
    fs::path storeFile() const { return m_home.path() / "Kelvarin.ini"; }

    static QString location() { return GetSetting(kApplication, kSection, kLocation, kDefault); }
    static bool saveLocation(const QString& value) {
        return SaveSetting(kApplication, kSection, kLocation, value);
    }

    TempDir m_home;

private:
    QByteArray m_saved;
};

// A literal's bytes, NULs included.
template <std::size_t N>
std::string bytesOf(const char (&literal)[N]) {
    return std::string(literal, N - 1);
}

std::string garbage(std::size_t size) {
    std::string bytes(size, '\0');
    unsigned state = 12345;
    for (char& byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<char>(state >> 16);
    }
    return bytes;
}

TEST_F(SettingsStore, DamagedFileGivesTheDefaultAndALaterSaveIsReadBack) {
    struct Case {
        const char* what;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {"binary garbage", garbage(64 * 1024)},
        {"NULs around the key", bytesOf("[Lumeward]\r\nDownload\0%20Location=/a\r\n\0\0")},
        {"one 4 MB line", std::string(4 * 1024 * 1024, 'x')},
        {"invalid UTF-8",
         "[Lumeward]\r\nDownload\xff%20Location=/a\r\n\xc3\x28=\xed\xa0\x80\r\n"
         "[\xc0\xaf]\r\nDownload%20Location=/b\r\n"},
        {"section header without end at the end", "[Other]\r\nx=1\r\n[Lumeward"},
        {"section header running into the key", "[Lumeward/Download%20Location=/c\r\n"},
    };
    const QString chosen = QString::fromUtf8("/home/j\xc3\xbcrgen/\xe6\x96\xb0/");
    for (const auto& [what, bytes] : cases) {
        const TempDir folder;
        useConfigFolder(folder.path());
        const fs::path file = folder.write("Kelvarin.ini", bytes);

        EXPECT_EQ(location(), kDefault) << what;
        EXPECT_EQ(GetSetting(kApplication, QStringLiteral("Name"), QStringLiteral("Name"), "none"),
                  "none")
            << what;

        EXPECT_TRUE(saveLocation(chosen)) << what;
        EXPECT_TRUE(SaveSetting(kApplication, kSection, QStringLiteral("ShowAgain"), "1")) << what;
        EXPECT_EQ(location(), chosen) << what;
        EXPECT_EQ(GetSetting(kApplication, kSection, QStringLiteral("ShowAgain"), "0"), "1")
            << what;
        EXPECT_TRUE(readFile(file) != bytes) << what << ": the file was rewritten";
    }
}

TEST_F(SettingsStore, FolderInThePlaceOfTheFileGivesDefaultsAndFailedSaves) {
    fs::create_directory(storeFile());
    m_home.write("Kelvarin.ini/inside", "kept");

    EXPECT_EQ(location(), kDefault);
    EXPECT_FALSE(saveLocation(QStringLiteral("/lost/")));
    EXPECT_EQ(location(), kDefault);
    EXPECT_EQ(readFile(storeFile() / "inside"), "kept");

    // Once the folder is out of the way, saving works again.
    fs::remove_all(storeFile());
    EXPECT_TRUE(saveLocation(QStringLiteral("/found/")));
    EXPECT_EQ(location(), "/found/");
}

TEST_F(SettingsStore, ConfigurationFolderThatIsAFileGivesDefaultsAndFailedSaves) {
    const fs::path file = m_home.write("config", "not a folder");
    useConfigFolder(file);

    EXPECT_EQ(location(), kDefault);
    EXPECT_FALSE(saveLocation(QStringLiteral("/lost/")));
    EXPECT_EQ(location(), kDefault);
    EXPECT_EQ(readFile(file), "not a folder");
}

TEST_F(SettingsStore, MissingConfigurationFolderIsCreatedBySaving) {
    const fs::path folder = m_home.path() / "a" / "b";
    useConfigFolder(folder);

    EXPECT_EQ(location(), kDefault);
    EXPECT_TRUE(saveLocation(QStringLiteral("/made/")));
    EXPECT_TRUE(fs::is_regular_file(folder / "Kelvarin.ini"));
    EXPECT_EQ(location(), "/made/");
}

TEST_F(SettingsStore, SymbolicLinkLoopGivesDefaultsAndASaveReplacesIt) {
    fs::create_symlink("Kelvarin.ini", storeFile());

    EXPECT_EQ(location(), kDefault);
    EXPECT_TRUE(saveLocation(QStringLiteral("/after/loop/")));
    EXPECT_EQ(location(), "/after/loop/");
}

TEST_F(SettingsStore, SavingThroughALinkKeepsTheLinkAndWritesItsTarget) {
    // As when the settings live with the user's other configuration elsewhere.
    const fs::path target = m_home.path() / "dotfiles.ini";
    m_home.write("dotfiles.ini", "[Lumeward]\r\nDownload%20Location=/old/\r\n");
    fs::create_symlink("dotfiles.ini", storeFile());

    EXPECT_EQ(location(), "/old/");
    EXPECT_TRUE(saveLocation(QStringLiteral("/new/")));
    EXPECT_TRUE(fs::is_symlink(storeFile()));
    EXPECT_EQ(location(), "/new/");
    EXPECT_NE(readFile(target).find("/new/"), std::string::npos);
}

TEST_F(SettingsStore, FileWithoutPermissionsGivesDefaultsAndFailedSaves) {
    const std::string bytes = "[Lumeward]\r\nDownload%20Location=/hidden/\r\n";
    handToUnprivilegedUser(m_home.path());
    m_home.write("Kelvarin.ini", bytes);
    fs::permissions(storeFile(), fs::perms::none);

    const ForkResult child = runForkedUnprivileged([] {
        return (location() + (saveLocation(QStringLiteral("/lost/")) ? " saved" : " not saved"))
            .toStdString();
    });
    ASSERT_TRUE(child.exitedNormally) << child.output;
    EXPECT_EQ(child.output, kDefault.toStdString() + " not saved");
    fs::permissions(storeFile(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(readFile(storeFile()), bytes);
}

}  // namespace
}  // namespace lumeward::window
