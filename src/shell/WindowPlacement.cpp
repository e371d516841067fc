#include "shell/WindowPlacement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace lumeward::shell {

namespace {

constexpr char kCentreWhenFramed[] = "centreWhenFramed";

bool isFramed(const QWidget& window) {
    return window.frameGeometry().size() != window.size();
}

// Centres the window once more when its frame first becomes known, then goes.
class CentreWhenFramed : public QObject {
public:
    explicit CentreWhenFramed(QWidget& window) : QObject(&window) {
        setObjectName(QString::fromLatin1(kCentreWhenFramed));
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto& window = static_cast<QWidget&>(*watched);
        const auto type = event->type();
        if ((type == QEvent::Move || type == QEvent::Resize || type == QEvent::Show) &&
            isFramed(window)) {
            window.removeEventFilter(this);
            deleteLater();
            CenterForm(window);
        }
        return false;
    }
};

}  // namespace

QPoint centredFramePosition(const QRect& area, const QSize& frame) {
    // Halves round down, so an odd difference keeps the middles within half a pixel.
    const int left = std::max(0, (area.width() - frame.width()) / 2);
    const int top = std::max(0, (area.height() - frame.height()) / 2);
    return area.topLeft() + QPoint(left, top);
}

void CenterForm(QWidget& window) {
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    // A window's position is that of its frame's top left corner.
    window.move(centredFramePosition(screen->availableGeometry(), window.frameGeometry().size()));
    if (!isFramed(window) && window.findChild<QObject*>(QString::fromLatin1(kCentreWhenFramed),
                                                        Qt::FindDirectChildrenOnly) == nullptr) {
        new CentreWhenFramed(window);
    }
}

void bringToFront(QWidget& window) {
    if (!window.isVisible()) {
        return;
    }
    window.setWindowState((window.windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    window.raise();
    window.activateWindow();
}

}  // namespace lumeward::shell
