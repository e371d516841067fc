#pragma once

class QWidget;

namespace lumeward::shell {

// Places the window in the middle of the primary screen by its outer (frame)
// size: Left = (screen width - window width) / 2, Top likewise. A window larger
// than the screen gets a negative Left or Top.
void CenterForm(QWidget& window);

}  // namespace lumeward::shell
