#include "shell/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <gtest/gtest.h>

namespace lumeward::shell {
namespace {

struct PlacementCase {
    const char* name;
    // Outer window size as the screen size plus these amounts.
    int extraWidth;
    int extraHeight;
    // Expected position relative to the screen's origin.
    int left;
    int top;
};

class CenterFormTest : public testing::TestWithParam<PlacementCase> {};

TEST_P(CenterFormTest, PlacesTheWindowsFrameInTheMiddleOfThePrimaryScreen) {
    const PlacementCase& c = GetParam();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QSize outer(screen.width() + c.extraWidth, screen.height() + c.extraHeight);
    QWidget window;
    window.show();
    // The offscreen platform draws a thin frame; size the window so its outer size is `outer`.
    window.resize(outer - (window.frameGeometry().size() - window.size()));
    window.move(screen.topLeft() + QPoint(17, 23));
    ASSERT_EQ(window.frameGeometry().size(), outer);

    CenterForm(window);

    EXPECT_EQ(window.frameGeometry().topLeft() - screen.topLeft(), QPoint(c.left, c.top));
    EXPECT_EQ(window.frameGeometry().size(), outer);
}

INSTANTIATE_TEST_SUITE_P(
    WindowPlacement, CenterFormTest,
    testing::Values(PlacementCase{"SmallerWindow", -200, -100, 100, 50},
                    PlacementCase{"SameSizeWindow", 0, 0, 0, 0},
                    PlacementCase{"OddDifferencesRoundDown", -201, -99, 100, 49},
                    PlacementCase{"LargerWindowGoesNegative", 200, 60, -100, -30},
                    PlacementCase{"LargerOddWindowRoundsDownNotTowardZero", 201, 1, -101, -1},
                    PlacementCase{"WiderButShorterWindow", 41, -41, -21, 20}),
    [](const testing::TestParamInfo<PlacementCase>& param) { return param.param.name; });

}  // namespace
}  // namespace lumeward::shell
