#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace lumeward::shell {

// Where a window's frame (title bar and borders included) of the given size
// goes to sit in the middle of the area, its top left corner never above or
// left of the area, so the title bar stays within reach on a small screen.
QPoint centredFramePosition(const QRect& area, const QSize& frame);

// Places the window's frame in the middle of the available area of its screen
// (the screen less panels and docks). The window manager adds the frame only
// once the window shows, so a window not yet framed is centred again as soon
// as its frame is known.
void CenterForm(QWidget& window);

// Brings a shown window, minimised or not, in front of the others. A window not
// yet shown stays hidden. Window managers may only mark it as asking for
// attention while another program has the focus.
void bringToFront(QWidget& window);

}  // namespace lumeward::shell
