#include "shell/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <cmath>

namespace lumeward::shell {

namespace {

// Rounds down, so an odd difference keeps the window's middle within half a pixel
// of the screen's middle also when the window is the larger one.
int halfRoundedDown(int difference) {
    return static_cast<int>(std::floor(difference / 2.0));
}

}  // namespace

void CenterForm(QWidget& window) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    const QRect screenArea = screen->geometry();
    const QSize outer = window.frameGeometry().size();
    const int left = halfRoundedDown(screenArea.width() - outer.width());
    const int top = halfRoundedDown(screenArea.height() - outer.height());
    window.move(screenArea.x() + left, screenArea.y() + top);
}

}  // namespace lumeward::shell
