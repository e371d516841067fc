#pragma once

class QAbstractButton;

namespace lumeward::window {

// Makes Enter (either key) press the button while it has the focus, as Space
// does: outside a dialog a push button answers only Space.
void pressOnEnter(QAbstractButton& button);

}  // namespace lumeward::window
