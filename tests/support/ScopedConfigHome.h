#pragma once

#include <QByteArray>

#include "support/TempDir.h"

namespace lumeward::test {

// Gives a test a settings store of its own: XDG_CONFIG_HOME points into a
// temporary folder for the object's lifetime.
class ScopedConfigHome {
public:
    ScopedConfigHome() : m_saved(qgetenv("XDG_CONFIG_HOME")) {
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(m_dir.path().string()));
    }
    ~ScopedConfigHome() { qputenv("XDG_CONFIG_HOME", m_saved); }
    ScopedConfigHome(const ScopedConfigHome&) = delete;
    ScopedConfigHome& operator=(const ScopedConfigHome&) = delete;

    const std::filesystem::path& path() const { return m_dir.path(); }

private:
    TempDir m_dir;
    QByteArray m_saved;
};

}  // namespace lumeward::test
