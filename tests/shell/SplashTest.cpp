#include "shell/Splash.h"

#include "support/TempDir.h"
#include "window/Settings.h"
#include "window/Twips.h"

#include <QCheckBox>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QScreen>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

namespace lumeward::shell {
namespace {

using test::TempDir;
using window::GetSetting;
using window::pixelsToTwips;
using window::SaveSetting;
using window::twipsToPixels;

// What the window looked like while the display time was running.
struct Display {
    double seconds;
    bool visible;
    QRect geometry;
    QImage look;
};

QString qPath(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

void writePicture(const std::filesystem::path& folder, const char* name, QSize size,
                  QColor colour = Qt::red) {
    std::filesystem::create_directories(folder);
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(colour);
    ASSERT_TRUE(picture.save(qPath(folder / name), "PNG"));
}

class SplashWindow : public testing::Test {
protected:
    SplashWindow() : m_savedConfigHome(qgetenv("XDG_CONFIG_HOME")) {
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(m_config.path().string()));
    }
    ~SplashWindow() override { qputenv("XDG_CONFIG_HOME", m_savedConfigHome); }

    std::filesystem::path splashFolder() const { return m_files.path() / "Splash"; }

    // Runs SplashShow on a fresh window and keeps it for inspection afterwards.
    Splash& showSplash() {
        m_splash.emplace(
            [this](double seconds) {
                m_displays.push_back({seconds, m_splash->isVisible(), m_splash->geometry(),
                                      m_splash->grab().toImage()});
            },
            qPath(splashFolder()));
        m_splash->SplashShow();
        return *m_splash;
    }

    std::vector<Display> m_displays;

private:
    TempDir m_config;
    TempDir m_files;
    QByteArray m_savedConfigHome;
    std::optional<Splash> m_splash;
};

struct GeometryCase {
    const char* name;
    int pictureWidth;
    int pictureHeight;
    // Expected values in twips.
    int windowWidth;
    int windowHeight;
    int checkTop;
    int rightLine;
    int bottomLine;
};

class SplashGeometry : public SplashWindow, public testing::WithParamInterface<GeometryCase> {};

TEST_P(SplashGeometry, ShowsThePictureAboveAWhiteStripForFourSecondsAndHidesAgain) {
    const GeometryCase& c = GetParam();
    writePicture(splashFolder(), "picture.png", {c.pictureWidth, c.pictureHeight});

    Splash& splash = showSplash();

    ASSERT_EQ(m_displays.size(), 1u);
    const Display& shown = m_displays.front();
    EXPECT_EQ(shown.seconds, 4.0);
    EXPECT_TRUE(shown.visible);
    EXPECT_FALSE(splash.isVisible());
    EXPECT_EQ(splash.windowTitle(), "Lumeward");

    EXPECT_EQ(pixelsToTwips(shown.geometry.width()), c.windowWidth);
    EXPECT_EQ(pixelsToTwips(shown.geometry.height()), c.windowHeight);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(shown.geometry.center(), screen.center());

    EXPECT_EQ(splash.Image1()->geometry(),
              QRect(0, 0, shown.geometry.width(), shown.geometry.height()));
    EXPECT_EQ(splash.Image1()->pixmap().size(), QSize(c.pictureWidth, c.pictureHeight));

    // The check box keeps its twips only through pixels, so compare the rounded value.
    EXPECT_EQ(splash.Check1()->geometry(), QRect(twipsToPixels(120), twipsToPixels(c.checkTop),
                                                 twipsToPixels(4215), twipsToPixels(375)));
    EXPECT_FALSE(splash.Check1()->isChecked());

    EXPECT_EQ(splash.borderLineTwips(0), QLine(0, 0, 0, 10000));
    EXPECT_EQ(splash.borderLineTwips(1), QLine(0, 0, 10000, 0));
    EXPECT_EQ(splash.borderLineTwips(2), QLine(c.rightLine, 0, c.rightLine, 10000));
    EXPECT_EQ(splash.borderLineTwips(3), QLine(0, c.bottomLine, 10000, c.bottomLine));
}

// A 4000-twips-wide picture would be 266.67 pixels; 267 pixels make 4005 twips, while
// the heights match the worked example of a 4000 x 3000 twips picture exactly.
INSTANTIATE_TEST_SUITE_P(
    Splash, SplashGeometry,
    testing::Values(GeometryCase{"WorkedExample", 267, 200, 4005, 3300, 2905, 3995, 3290},
                    GeometryCase{"WidePicture", 640, 48, 9600, 1020, 625, 9590, 1010},
                    GeometryCase{"OnePixelPicture", 1, 1, 15, 315, -80, 5, 305}),
    [](const testing::TestParamInfo<GeometryCase>& param) { return param.param.name; });

struct SkipCase {
    const char* name;
    void (*arrange)(const std::filesystem::path& splashFolder);
};

class SplashSkipped : public SplashWindow, public testing::WithParamInterface<SkipCase> {};

TEST_P(SplashSkipped, NeverShowsTheWindow) {
    GetParam().arrange(splashFolder());

    const Splash& splash = showSplash();

    EXPECT_TRUE(m_displays.empty());
    EXPECT_FALSE(splash.isVisible());
    EXPECT_TRUE(splash.Image1()->pixmap().isNull());
}

INSTANTIATE_TEST_SUITE_P(
    Splash, SplashSkipped,
    testing::Values(SkipCase{"ShowAgainTicked",
                             [](const std::filesystem::path& folder) {
                                 writePicture(folder, "picture.png", {20, 10});
                                 SaveSetting("Kelvarin", "Lumeward", "ShowAgain", "1");
                             }},
                    SkipCase{"ShowAgainNotANumber",
                             [](const std::filesystem::path& folder) {
                                 writePicture(folder, "picture.png", {20, 10});
                                 SaveSetting("Kelvarin", "Lumeward", "ShowAgain", "abc");
                             }},
                    SkipCase{"ShowAgainEmpty",
                             [](const std::filesystem::path& folder) {
                                 writePicture(folder, "picture.png", {20, 10});
                                 SaveSetting("Kelvarin", "Lumeward", "ShowAgain", "");
                             }},
                    SkipCase{"DeveloperMarkerInName2",
                             [](const std::filesystem::path& folder) {
                                 writePicture(folder, "picture.png", {20, 10});
                                 SaveSetting("Kelvarin", "Name", "Name2", kDeveloperName);
                             }},
                    SkipCase{"FolderMissing", [](const std::filesystem::path&) {}},
                    SkipCase{"FolderEmpty",
                             [](const std::filesystem::path& folder) {
                                 std::filesystem::create_directories(folder);
                             }},
                    SkipCase{"OnlyASubfolder",
                             [](const std::filesystem::path& folder) {
                                 writePicture(folder / "inner", "picture.png", {20, 10});
                             }},
                    SkipCase{"OnlyHiddenFiles",
                             [](const std::filesystem::path& folder) {
                                 writePicture(folder, ".picture.png", {20, 10});
                             }},
                    SkipCase{"FileIsNoPicture",
                             [](const std::filesystem::path& folder) {
                                 std::filesystem::create_directories(folder);
                                 std::ofstream(folder / "picture.png") << "not a picture\n";
                             }}),
    [](const testing::TestParamInfo<SkipCase>& param) { return param.param.name; });

struct PauseCase {
    const char* name;
    const char* showAgain;
    const char* developerName;
    const char* developerName2;
    double seconds;
};

class SplashDisplayTime : public SplashWindow, public testing::WithParamInterface<PauseCase> {};

TEST_P(SplashDisplayTime, DependsOnTheDeveloperMarker) {
    const PauseCase& c = GetParam();
    writePicture(splashFolder(), "picture.png", {20, 10});
    if (c.showAgain != nullptr) {
        SaveSetting("Kelvarin", "Lumeward", "ShowAgain", c.showAgain);
    }
    SaveSetting("Kelvarin", "Name", "Name", c.developerName);
    SaveSetting("Kelvarin", "Name", "Name2", c.developerName2);

    showSplash();

    ASSERT_EQ(m_displays.size(), 1u);
    EXPECT_EQ(m_displays.front().seconds, c.seconds);
    EXPECT_TRUE(m_displays.front().visible);
}

INSTANTIATE_TEST_SUITE_P(
    Splash, SplashDisplayTime,
    testing::Values(PauseCase{"DeveloperSeesItBriefly", nullptr, kDeveloperName, "", 0.4},
                    PauseCase{"OtherNameSeesItFourSeconds", nullptr, "Someone Else", "", 4},
                    PauseCase{"MarkerMustMatchExactly", nullptr, "maren holst", "Maren Holst ", 4},
                    PauseCase{"ShowAgainZeroWritten", "0", "", "", 4},
                    PauseCase{"ShowAgainZeroWithSign", "+0", "", "", 4}),
    [](const testing::TestParamInfo<PauseCase>& param) { return param.param.name; });

TEST_F(SplashWindow, ShowsOnlyTheFirstFileTheFolderLists) {
    writePicture(splashFolder(), "a.png", {30, 20}, Qt::red);
    writePicture(splashFolder(), "b.png", {40, 10}, Qt::blue);
    const QString first = QDir(qPath(splashFolder())).entryList(QDir::Files, QDir::NoSort).first();
    const QSize firstSize = first == "a.png" ? QSize(30, 20) : QSize(40, 10);

    const Splash& splash = showSplash();

    ASSERT_EQ(m_displays.size(), 1u);
    EXPECT_EQ(splash.Image1()->pixmap().size(), firstSize);
    EXPECT_EQ(m_displays.front().geometry.size(), firstSize + QSize(0, 20));
}

TEST_F(SplashWindow, SkipsHiddenFilesAndFoldersWhenLookingForThePicture) {
    writePicture(splashFolder() / "inner", "big.png", {90, 90});
    writePicture(splashFolder(), ".hidden.png", {80, 80});
    writePicture(splashFolder(), "shown.png", {30, 20});

    const Splash& splash = showSplash();

    ASSERT_EQ(m_displays.size(), 1u);
    EXPECT_EQ(splash.Image1()->pixmap().size(), QSize(30, 20));
}

TEST_F(SplashWindow, IsBorderlessWhiteAndFramedByOnePixelLines) {
    writePicture(splashFolder(), "picture.png", {400, 200}, Qt::red);

    const Splash& splash = showSplash();

    EXPECT_TRUE(splash.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(splash.windowType(), Qt::SplashScreen);
    ASSERT_EQ(m_displays.size(), 1u);
    const QImage& look = m_displays.front().look;
    ASSERT_EQ(look.size(), QSize(400, 220));
    const QRgb line = splash.palette().color(QPalette::WindowText).rgb();
    const QRgb white = QColor(Qt::white).rgb();
    EXPECT_EQ(look.pixel(100, 100), QColor(Qt::red).rgb());
    // The strip right of the check box: white, with the lines at the window's edges.
    EXPECT_EQ(look.pixel(350, 205), white);
    EXPECT_EQ(look.pixel(398, 205), white);
    EXPECT_EQ(look.pixel(399, 205), line);
    EXPECT_EQ(look.pixel(350, 218), white);
    EXPECT_EQ(look.pixel(350, 219), line);
    EXPECT_EQ(look.pixel(0, 205), line);
    EXPECT_EQ(look.pixel(3, 205), white);
    // Inside the check box, right of its text.
    EXPECT_EQ(look.pixel(280, 205), white);
    EXPECT_EQ(splash.Check1()->palette().color(splash.Check1()->backgroundRole()).rgb(), white);
    EXPECT_TRUE(splash.Check1()->autoFillBackground());
    EXPECT_EQ(splash.Check1()->font().family(), "Arial");
    EXPECT_EQ(splash.Check1()->font().pointSize(), 9);
    EXPECT_TRUE(splash.Check1()->font().bold());
    EXPECT_EQ(splash.Check1()->text(), "Hide this at next startup");
}

TEST_F(SplashWindow, CheckBoxClicksRememberWhetherToShowAgain) {
    writePicture(splashFolder(), "picture.png", {20, 10});
    Splash& splash = showSplash();

    splash.Check1()->click();
    EXPECT_EQ(GetSetting("Kelvarin", "Lumeward", "ShowAgain", "unset"), "1");
    splash.Check1()->click();
    EXPECT_EQ(GetSetting("Kelvarin", "Lumeward", "ShowAgain", "unset"), "0");
    splash.Check1()->click();
    EXPECT_EQ(GetSetting("Kelvarin", "Lumeward", "ShowAgain", "unset"), "1");

    m_displays.clear();
    showSplash();
    EXPECT_TRUE(m_displays.empty());
}

}  // namespace
}  // namespace lumeward::shell
