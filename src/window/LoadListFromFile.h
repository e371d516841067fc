#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace lumeward::window {

class Dialogs;
class ListView;

// Appends every address of an address file to the list, by the address-file
// rules and in one insertion, letting the window handle its events while the
// file is read (yield returns false to stop). A missing file shows "File not
// found"; a file that cannot be read (not a regular file, too large, no access)
// shows which file and why. Nothing is added then.
void LoadListFromFile(ListView& list, const QString& path, Dialogs& dialogs, QWidget* parent,
                      const std::function<bool()>& yield);

}  // namespace lumeward::window
