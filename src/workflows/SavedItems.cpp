#include "workflows/SavedItems.h"

#include <unordered_set>

#include "memory/ItemKey.h"

namespace lumeward::workflows {

namespace {

std::vector<std::string> keysOf(std::span<const ResultRow> rows) {
    std::vector<std::string> keys;
    keys.reserve(rows.size());
    for (const ResultRow& row : rows) {
        keys.push_back(itemKeyOf(row));
    }
    return keys;
}

}  // namespace

std::string itemKeyOf(const ResultRow& row) {
    return memory::itemKey(row.feed, row.id, row.url, row.title, row.description);
}

std::vector<std::optional<memory::SavedMark>> savedMarks(memory::UserStore& store,
                                                         const std::filesystem::path& folder,
                                                         std::span<const ResultRow> rows) {
    return store.savedInto(folder, keysOf(rows));
}

std::vector<ResultRow> unsavedRows(memory::UserStore& store, const std::filesystem::path& folder,
                                   std::vector<ResultRow> rows) {
    const auto keys = keysOf(rows);
    const auto marks = store.savedInto(folder, keys);
    std::unordered_set<std::string_view> taken;
    std::vector<ResultRow> unsaved;
    for (std::size_t index = 0; index < rows.size(); ++index) {
        if (!marks[index] && taken.insert(keys[index]).second) {
            unsaved.push_back(std::move(rows[index]));
        }
    }
    return unsaved;
}

SavedRecord::~SavedRecord() {
    flush();
}

void SavedRecord::add(const ResultRow& row, const std::filesystem::path& file) {
    if (file.parent_path() != m_folder) {
        flush();
        m_folder = file.parent_path();
    }
    m_files.push_back({itemKeyOf(row), file.filename().string()});
    if (m_files.size() >= kBatch) {
        flush();
    }
}

void SavedRecord::flush() {
    if (!m_files.empty()) {
        m_store.recordSaved(m_folder, m_files);
        m_files.clear();
    }
}

}  // namespace lumeward::workflows
