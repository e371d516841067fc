// The start-up sequence and each of its steps.
#include "shell/Startup.h"

#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QDataStream>
#include <QGroupBox>
#include <QImage>
#include <QLineEdit>
#include <QScreen>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "shell/HandCursor.h"
#include "shell/HomePage.h"
#include "shell/ProgramFiles.h"
#include "shell/Skin.h"
#include "shell/Splash.h"
#include "shell/WindowPlacement.h"
#include "support/ScopedHome.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"
#include "window/Form1.h"
#include "window/ListView.h"
#include "window/Settings.h"

namespace lumeward::shell {
namespace {

using window::Form1;

// Points an environment variable elsewhere for the object's lifetime.
struct ScopedEnvironment {
    ScopedEnvironment(const char* variable, const std::filesystem::path& value) : name(variable) {
        qputenv(name, QByteArray::fromStdString(value.string()));
    }
    ~ScopedEnvironment() { qputenv(name, saved); }
    const char* name;
    QByteArray saved = qgetenv(name);
};

// Hands out one draw; writes down the seeds, the addresses opened and the start-up steps.
struct Recorder : RandomSource, UrlOpener, Startup {
    explicit Recorder(double value)
        : Startup(*this, *this, [this](double) { log("pause"); }), draw(value) {}
    void seed(unsigned value) override { log("seed " + std::to_string(value)); }
    double next() override { return draw; }
    void open(const QUrl& url) override { log(url.toString().toStdString()); }
    void ApplySkin(Form1& f) override { log("skin"), Startup::ApplySkin(f); }
    void CenterForm(Form1& f) override { log("centre"), Startup::CenterForm(f); }
    void LoadHandCursor(Form1& f) override { log("cursor"), Startup::LoadHandCursor(f); }
    void ShowHomePageAtRandom() override { log("home"), Startup::ShowHomePageAtRandom(); }
    void SplashShow() override { log("splash"), Startup::SplashShow(); }
    void SetCaptionAndIcon(Form1& f) override { log("title"), Startup::SetCaptionAndIcon(f); }
    void FormLoad(Form1& f) override { log("load"), Startup::FormLoad(f); }
    void log(const std::string& step) { steps.push_back(step); }
    double draw;
    std::vector<std::string> steps;
};

// A red picture in PNG.
std::string png(QSize size) {
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

// A cursor file as pointer editors write it: a header (0, type 2 for a cursor, the entry
// count), one directory entry with the hot spot, then the picture, here a PNG.
std::string cursorFile(quint16 type, quint16 entries, int hotX, int hotY) {
    const std::string picture = png({32, 24});
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint16(0) << type << entries << quint8(32) << quint8(24) << quint16(0) << quint16(hotX)
        << quint16(hotY) << quint32(picture.size()) << quint32(22);
    return bytes.toStdString() + picture;
}

TEST(Startup, RunsItsStepsInOrderWithTheFilesBesideTheProgramAndLeavesTheWindowHidden) {
    const test::ScopedHome config;
    const test::TempDir data;
    const ScopedEnvironment dataHome("XDG_DATA_HOME", data.path());
    std::filesystem::create_directories(data.path() / "lumeward/x");
    std::filesystem::create_directories(data.path() / "lumeward/Splash");
    data.write("lumeward/HAND-M.CUR", cursorFile(2, 1, 31, 5));
    data.write("lumeward/x/o.cjs", "QPushButton { padding: 2px; }");
    data.write("lumeward/Splash/a.png", png({20, 10}));
    test::ScriptedDialogs dialogs;
    Form1 form(dialogs);
    Recorder startup(0.065);  // draws 7: the home page opens

    startup.load(form);

    // The seed is the time of day.
    std::erase_if(startup.steps, [](const std::string& step) { return step.starts_with("seed"); });
    EXPECT_EQ(startup.steps,
              (std::vector<std::string>{"skin", "centre", "cursor", "home", "https://lumeward.org/",
                                        "splash", "pause", "title", "load"}));
    EXPECT_EQ(form.styleSheet(), "QPushButton { padding: 2px; }");
    EXPECT_EQ(form.mouseIcon().value_or(QCursor()).hotSpot(), QPoint(31, 5));
    const QPoint middle = QGuiApplication::primaryScreen()->geometry().center();
    EXPECT_LE((form.frameGeometry().center() - middle).manhattanLength(), 2);  // centred
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.windowTitle(), "Lumeward");
    EXPECT_FALSE(form.windowIcon().isNull());
    EXPECT_EQ(form.ListView2()->columnCount(), 4);
    EXPECT_TRUE(std::filesystem::exists(config.path() / "Kelvarin.ini"))
        << "the settings the load writes land in the test's own home";
}

TEST(ProgramFiles, TakesTheFirstPlaceThatHasTheFile) {
    const test::TempDir root;
    const auto in = [&](const std::string& place) { return root.path() / place / "x/o.cjs"; };
    const auto find = [&] {
        return findBesideProgram("x/o.cjs", (root.path() / "program").c_str()).toStdString();
    };
    const ScopedEnvironment dataHome("XDG_DATA_HOME", root.path() / "user");
    const ScopedEnvironment dataDirs(
        "XDG_DATA_DIRS", root.path().string() + "/system1:" + root.path().string() + "/system2");
    EXPECT_EQ(find(), "");
    // Each place that gets the file comes before those that had it already.
    for (const char* place : {"system2/lumeward", "system1/lumeward", "user/lumeward", "program"}) {
        std::filesystem::create_directories(in(place).parent_path());
        root.write(in(place).lexically_relative(root.path()).string(), "skin");
        EXPECT_EQ(find(), in(place).string());
    }
}

TEST(HandCursor, GivesNothingForAFileThatIsNoCursor) {
    const test::TempDir folder;
    const std::string good = cursorFile(2, 1, 31, 5);
    for (const std::string& bytes :
         {std::string(), std::string("A text file, not a pointer.\n"), cursorFile(1, 1, 0, 0),
          cursorFile(2, 0, 31, 5), good.substr(0, 12), good.substr(0, good.size() - 20)}) {
        EXPECT_FALSE(loadCursorFile(folder.write("HAND-M.CUR", bytes).c_str())) << bytes.size();
    }
    EXPECT_FALSE(loadCursorFile((folder.path() / "missing.CUR").c_str()));
}

TEST(Skin, PaintsTheButtonFaceAndAppliesTheSheetOnlyWhenTheFileIsThere) {
    const test::TempDir folder;
    const QString sheet = QString::fromUtf8("/* caf\xC3\xA9 */ QPushButton { padding: 2px; }");
    test::ScriptedDialogs dialogs;
    Form1 skinned(dialogs), blank(dialogs), plain(dialogs);
    const QColor field = plain.Text1()->palette().color(QPalette::Base);

    ApplySkin(skinned, folder.write("o.cjs", sheet.toStdString()).c_str());
    ApplySkin(blank, folder.write("blank.cjs", "").c_str());  // paints, sets no sheet
    ApplySkin(plain, (folder.path() / "missing.cjs").c_str());

    EXPECT_EQ(skinned.styleSheet(), sheet);
    const QColor face = QApplication::palette().color(QPalette::Button), white(Qt::white);
    for (const auto& [form, background] :
         {std::pair(&skinned, face), std::pair(&blank, face), std::pair(&plain, white)}) {
        EXPECT_EQ(form->grab().toImage().pixelColor(2, 2), background);
        // A palette change on the frame reaches the field only without a skin.
        QPalette frame = form->Frame1()->palette();
        frame.setColor(QPalette::Base, Qt::darkGray);
        form->Frame1()->setPalette(frame);
        EXPECT_EQ(form->Text1()->palette().color(QPalette::Base) == field, background == face);
    }
}

TEST(HomePage, OpensOnlyWhenTheDrawGivesSevenAboutOnceInAHundredSeeds) {
    // n = floor(r * 100) + 1
    const std::vector<std::string> drawn{"seed 45296"}, opened{drawn[0], "https://lumeward.org/"};
    for (const auto& [draw, steps] : {std::pair(0.06, opened), std::pair(0.0699, opened),
                                      std::pair(0.0599, drawn), std::pair(0.07, drawn)}) {
        Recorder recorder(draw);
        ShowHomePageAtRandom(recorder, recorder, 45296);
        EXPECT_EQ(recorder.steps, steps) << draw;
    }
    StandardRandomSource random;
    Recorder opener(0);
    for (int second = 0; second < 86400; ++second) {
        ShowHomePageAtRandom(random, opener, second);
    }
    EXPECT_NEAR(opener.steps.size() / 86400.0, 0.01, 0.002);
}

TEST(HomePage, TheShowHomePageSettingAtZeroTurnsTheVisitOff) {
    const std::pair<const char*, int> cases[] = {{nullptr, 1}, {"1", 1}, {"0", 0},
                                                 {" 0 ", 0},   {"2", 1}, {"no", 1}};
    for (const auto& [value, opened] : cases) {
        const test::ScopedHome config;
        if (value != nullptr) {
            window::SaveSetting("Kelvarin", "Lumeward", "Show Home Page", value);
        }
        Recorder startup(0.065);  // draws 7
        startup.ShowHomePageAtRandom();
        EXPECT_EQ(std::ranges::count(startup.steps, "https://lumeward.org/"), opened) << value;
    }
}

// A splash over a Splash folder and a settings store of its own. Each pause writes down
// its seconds, or -1 when the window is not on screen.
struct SplashRun {
    test::ScopedHome config;
    test::TempDir files;
    std::vector<double> pauses;
    Splash splash{[this](double seconds) { pauses.push_back(splash.isVisible() ? seconds : -1); },
                  (files.path() / "Splash").c_str()};

    // A red picture, or a text file when the name does not end in ".png".
    void add(const std::string& name, QSize size = {20, 10}) {
        std::filesystem::create_directories(files.path() / "Splash");
        files.write("Splash/" + name, name.ends_with(".png") ? png(size) : "no picture");
    }
};

TEST(Splash, IsSkippedOrShortenedByItsSettingsAndSkippedWithoutAPicture) {
    const struct {
        const char* file;  // nullptr: no Splash folder
        const char* section;
        const char* key;
        const char* value;
        double seconds;  // 0: not shown
    } cases[] = {
        {"a.png", "Name", "Name", kDeveloperName, 0.4},
        {"a.png", "Lumeward", "ShowAgain", "1", 0},
        {"a.png", "Lumeward", "ShowAgain", "abc", 0},
        {"a.png", "Name", "Name2", kDeveloperName, 0},
        {nullptr, "Lumeward", "ShowAgain", "0", 0},
        {"a.txt", "Lumeward", "ShowAgain", "0", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        SplashRun run;
        if (c.file != nullptr) {
            run.add(c.file);
        }
        window::SaveSetting("Kelvarin", c.section, c.key, c.value);

        run.splash.SplashShow();

        EXPECT_EQ(run.pauses, c.seconds > 0 ? std::vector{c.seconds} : std::vector<double>{});
        EXPECT_FALSE(run.splash.isVisible());
    }
}

TEST(Splash, ShowsThePictureForFourSecondsAboveAWhiteStripAndItsBoxHidesItNextTime) {
    SplashRun run;
    run.add("a.png", {400, 200});

    run.splash.SplashShow();

    const QPoint middle = QGuiApplication::primaryScreen()->geometry().center();
    EXPECT_EQ(run.splash.frameGeometry().center(), middle);
    const QImage look = run.splash.grab().toImage();
    ASSERT_EQ(look.size(), QSize(400, 220));
    const QRgb red = qRgb(255, 0, 0), white = qRgb(255, 255, 255), line = qRgb(0, 0, 0);
    // The picture, the strip, the check box over the picture's last rows, the edge lines.
    const std::pair<QPoint, QRgb> pixels[] = {{{350, 197}, red},   {{350, 205}, white},
                                              {{280, 197}, white}, {{0, 205}, line},
                                              {{399, 205}, line},  {{350, 219}, line}};
    for (const auto& [at, colour] : pixels) {
        EXPECT_EQ(look.pixel(at), colour) << at.x() << ", " << at.y();
    }

    for (const char* showAgain : {"1", "0", "1"}) {
        run.splash.Check1()->click();
        EXPECT_EQ(window::GetSetting("Kelvarin", "Lumeward", "ShowAgain", ""), showAgain);
    }
    run.splash.SplashShow();
    EXPECT_EQ(run.pauses, std::vector{4.0});
}

// The frame, title bar included, sits in the middle of the area, never above or left of it.
TEST(WindowPlacement, CentresTheFrameKeepingItsTopLeftCornerWithinTheArea) {
    const QRect area(10, 30, 1024, 738);
    const std::pair<QSize, QPoint> cases[] = {{{448, 580}, {298, 109}},
                                              {{449, 581}, {297, 108}},
                                              {{896, 1110}, {74, 30}},
                                              {{2000, 400}, {10, 199}}};
    for (const auto& [frame, expected] : cases) {
        EXPECT_EQ(centredFramePosition(area, frame), expected) << frame.width();
    }
}

}  // namespace
}  // namespace lumeward::shell
