#include "shell/ProgramFiles.h"

#include "support/TempDir.h"

#include <QByteArray>
#include <QDir>
#include <QString>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>

namespace lumeward::shell {
namespace {

using lumeward::test::TempDir;

// Sets an environment variable for the life of the object, then puts back what was there.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const QByteArray& value) : m_name(name) {
        if (qEnvironmentVariableIsSet(name)) {
            m_saved = qgetenv(name);
        }
        qputenv(name, value);
    }
    ~ScopedEnvironment() {
        if (m_saved) {
            qputenv(m_name, *m_saved);
        } else {
            qunsetenv(m_name);
        }
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* m_name;
    std::optional<QByteArray> m_saved;
};

enum Place { Program = 1, User = 2, FirstSystem = 4, SecondSystem = 8 };

struct LookupCase {
    const char* name;
    const char* relativePath;
    bool isFolder;
    int presentIn;  // a set of Place values
    int expected;   // one Place, or 0 for "not found"
};

class FindBesideProgramTest : public testing::TestWithParam<LookupCase> {
protected:
    QString folderOf(int place) const {
        switch (place) {
            case Program:
                return QString::fromStdString(m_program.path().string());
            case User:
                return QString::fromStdString((m_user.path() / "lumeward").string());
            case FirstSystem:
                return QString::fromStdString((m_firstSystem.path() / "lumeward").string());
            default:
                return QString::fromStdString((m_secondSystem.path() / "lumeward").string());
        }
    }

    void place(int where, const LookupCase& c) const {
        const std::filesystem::path target =
            std::filesystem::path(folderOf(where).toStdString()) / c.relativePath;
        if (c.isFolder) {
            std::filesystem::create_directories(target);
            return;
        }
        std::filesystem::create_directories(target.parent_path());
        std::ofstream(target) << "content";
    }

    TempDir m_program;
    TempDir m_user;
    TempDir m_firstSystem;
    TempDir m_secondSystem;
};

TEST_P(FindBesideProgramTest, TakesTheFirstPlaceThatHasTheFile) {
    const LookupCase& c = GetParam();
    ScopedEnvironment dataHome("XDG_DATA_HOME", QByteArray::fromStdString(m_user.path().string()));
    ScopedEnvironment dataDirs("XDG_DATA_DIRS",
                               QByteArray::fromStdString(m_firstSystem.path().string() + ":" +
                                                         m_secondSystem.path().string()));
    for (const int where : {Program, User, FirstSystem, SecondSystem}) {
        if ((c.presentIn & where) != 0) {
            place(where, c);
        }
    }

    const QString found = findBesideProgram(QString::fromUtf8(c.relativePath), folderOf(Program));

    if (c.expected == 0) {
        EXPECT_TRUE(found.isEmpty()) << found.toStdString();
    } else {
        EXPECT_EQ(QDir::cleanPath(found),
                  QDir::cleanPath(folderOf(c.expected) + "/" + c.relativePath));
    }
}

INSTANTIATE_TEST_SUITE_P(
    ProgramFiles, FindBesideProgramTest,
    testing::Values(
        LookupCase{"ProgramFolderBeatsAll", "HAND-M.CUR", false,
                   Program | User | FirstSystem | SecondSystem, Program},
        LookupCase{"UserFolderBeatsSystem", "HAND-M.CUR", false, User | FirstSystem, User},
        LookupCase{"FirstSystemFolderBeatsSecond", "HAND-M.CUR", false, FirstSystem | SecondSystem,
                   FirstSystem},
        LookupCase{"SecondSystemFolderAlone", "HAND-M.CUR", false, SecondSystem, SecondSystem},
        LookupCase{"NowhereGivesEmpty", "HAND-M.CUR", false, 0, 0},
        LookupCase{"FolderInProgramFolder", "Splash", true, Program | User, Program},
        LookupCase{"FolderInUserFolder", "Splash", true, User | SecondSystem, User},
        LookupCase{"NestedPathInSystemFolder", "x/o.cjs", false, SecondSystem, SecondSystem},
        LookupCase{"NestedPathInUserFolder", "x/o.cjs", false, User | FirstSystem, User},
        LookupCase{"NestedPathNowhere", "x/o.cjs", false, 0, 0}),
    [](const testing::TestParamInfo<LookupCase>& param) { return param.param.name; });

TEST(ProgramFiles, IgnoresAFileOutsideTheLumewardSubfolderOfADataFolder) {
    TempDir program;
    TempDir user;
    ScopedEnvironment dataHome("XDG_DATA_HOME", QByteArray::fromStdString(user.path().string()));
    ScopedEnvironment dataDirs("XDG_DATA_DIRS", QByteArray::fromStdString(user.path().string()));
    user.write("HAND-M.CUR", "content");

    EXPECT_TRUE(
        findBesideProgram("HAND-M.CUR", QString::fromStdString(program.path().string())).isEmpty());
}

}  // namespace
}  // namespace lumeward::shell
