#pragma once

#include <QString>

#include <filesystem>

namespace lumeward::memory {
class UserStore;
}

namespace lumeward::window {

class ListView;
struct SavedAs;

// Marks the results whose items the record in store has as saved into folder:
// such a row is unchecked and greyed, so a save writes only what is new. A row
// marked before but not saved into this folder is checked again; every other
// row keeps its check. An empty folder marks nothing.
void markSavedResults(ListView& results, memory::UserStore& store,
                      const std::filesystem::path& folder);

// "Saved as NAME on DATE", the date in the user's locale.
QString savedAsText(const SavedAs& saved);

}  // namespace lumeward::window
