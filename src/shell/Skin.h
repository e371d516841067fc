#pragma once

#include <QString>

namespace lumeward::window {
class Form1;
}

namespace lumeward::shell {

// When the skin file exists: the main window and Frame1 take the desktop's
// button-face colour and the file's text is applied to the main window as a Qt
// style sheet. Without the file nothing changes. skinFile is the path found
// for "x/o.cjs" beside the program, or "" when there is none.
void ApplySkin(window::Form1& form, const QString& skinFile);

}  // namespace lumeward::shell
