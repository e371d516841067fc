#pragma once

#include <QRect>

namespace lumeward::window {

// Window geometry is designed in twips: 1440 per inch, 15 per pixel at 96 dpi.
// Qt's pixels are device-independent, so HiDPI screens keep the proportions.
inline constexpr int kTwipsPerPixel = 15;

int twipsToPixels(int twips);
int pixelsToTwips(int pixels);
QRect twipsRect(int left, int top, int width, int height);

}  // namespace lumeward::window
