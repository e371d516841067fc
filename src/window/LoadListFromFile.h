#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace lumeward::window {

class Dialogs;
class ListView;

// Appends every line of a text file to the list, by the address-file line
// rules, letting the window handle its events after each line and each piece
// (yield returns false to stop). A missing file shows "File not found"; a file
// that cannot be read shows which file and why. Nothing is added then.
void LoadListFromFile(ListView& list, const QString& path, Dialogs& dialogs, QWidget* parent,
                      const std::function<bool()>& yield);

}  // namespace lumeward::window
