#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

#include "memory/UserStore.h"
#include "workflows/Export.h"

namespace lumeward::workflows {

// The item's key in the record of saved items (memory::itemKey).
std::string itemKeyOf(const ResultRow& row);

// For each row, what is recorded of its item as saved into folder; none for
// an item never saved there.
std::vector<std::optional<memory::SavedMark>> savedMarks(memory::UserStore& store,
                                                         const std::filesystem::path& folder,
                                                         std::span<const ResultRow> rows);

// The rows whose items are not recorded as saved into folder, each item once.
std::vector<ResultRow> unsavedRows(memory::UserStore& store, const std::filesystem::path& folder,
                                   std::vector<ResultRow> rows);

// Records the files an export writes (pass add as exportRows's written), a
// batch at a time: a commit per file would slow a large export by a third. A
// crash then costs at most one batch's items, which are saved again next time;
// never a record without its file.
class SavedRecord {
public:
    static constexpr std::size_t kBatch = 256;

    explicit SavedRecord(memory::UserStore& store) : m_store(store) {}
    // Records what is not yet recorded.
    ~SavedRecord();
    SavedRecord(const SavedRecord&) = delete;
    SavedRecord& operator=(const SavedRecord&) = delete;

    void add(const ResultRow& row, const std::filesystem::path& file);
    void flush();

private:
    memory::UserStore& m_store;
    std::filesystem::path m_folder;
    std::vector<memory::SavedFile> m_files;  // written into m_folder, not yet recorded
};

}  // namespace lumeward::workflows
