#pragma once

#include <sys/stat.h>

#include <filesystem>

#include "support/ScopedEnvironment.h"
#include "support/TempDir.h"

namespace lumeward::test {

// Gives a test a home of its own for the object's lifetime: the settings
// (XDG_CONFIG_HOME, which path() names), the data and cache folders and the
// runtime folder (where the one-window socket lives) all point into a
// temporary folder, so nothing of the user's is read or written.
class ScopedHome {
public:
    ScopedHome() {
        const std::filesystem::path runtime = m_dir.path() / "runtime";
        std::filesystem::create_directory(runtime);
        ::chmod(runtime.c_str(), 0700);
        m_environment.set("XDG_CONFIG_HOME", m_dir.path().string());
        m_environment.set("XDG_DATA_HOME", (m_dir.path() / "data").string());
        m_environment.set("XDG_CACHE_HOME", (m_dir.path() / "cache").string());
        m_environment.set("XDG_RUNTIME_DIR", runtime.string());
    }
    ScopedHome(const ScopedHome&) = delete;
    ScopedHome& operator=(const ScopedHome&) = delete;

    // The settings folder; the others are below it.
    const std::filesystem::path& path() const { return m_dir.path(); }

private:
    TempDir m_dir;
    ScopedEnvironment m_environment;
};

}  // namespace lumeward::test
