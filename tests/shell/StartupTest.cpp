#include "shell/Startup.h"

#include <QGuiApplication>
#include <QScreen>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/HomePage.h"
#include "support/ScriptedDialogs.h"
#include "window/Form1.h"
#include "window/ListView.h"

namespace lumeward::shell {
namespace {

class FixedRandom : public RandomSource {
public:
    explicit FixedRandom(double value) : m_value(value) {}
    void seed(unsigned) override {}
    double next() override { return m_value; }

private:
    double m_value;
};

class RecordingOpener : public UrlOpener {
public:
    void open(const QUrl& url) override { opened.push_back(url); }
    std::vector<QUrl> opened;
};

// Writes down each step as it starts, then runs the real step.
class WatchedStartup : public Startup {
public:
    using Startup::Startup;
    std::vector<std::string> steps;

protected:
    void ApplySkin(window::Form1& form) override {
        note("ApplySkin", [&] { Startup::ApplySkin(form); });
    }
    void CenterForm(window::Form1& form) override {
        note("CenterForm", [&] { Startup::CenterForm(form); });
    }
    void LoadHandCursor(window::Form1& form) override {
        note("LoadHandCursor", [&] { Startup::LoadHandCursor(form); });
    }
    void ShowHomePageAtRandom() override {
        note("ShowHomePageAtRandom", [&] { Startup::ShowHomePageAtRandom(); });
    }
    void SplashShow() override {
        note("SplashShow", [&] { Startup::SplashShow(); });
    }
    void SetCaptionAndIcon(window::Form1& form) override {
        note("SetCaptionAndIcon", [&] { Startup::SetCaptionAndIcon(form); });
    }
    void FormLoad(window::Form1& form) override {
        note("FormLoad", [&] { Startup::FormLoad(form); });
    }

private:
    template <class Step>
    void note(const char* name, Step step) {
        steps.emplace_back(name);
        step();
    }
};

TEST(Startup, RunsItsStepsInOrderAndLeavesTheWindowReadyButHidden) {
    test::ScriptedDialogs dialogs;
    window::Form1 form(dialogs);
    FixedRandom random(0.5);
    RecordingOpener opener;
    WatchedStartup startup(random, opener, [](double) {});
    startup.load(form);

    EXPECT_EQ(startup.steps, (std::vector<std::string>{"ApplySkin", "CenterForm", "LoadHandCursor",
                                                       "ShowHomePageAtRandom", "SplashShow",
                                                       "SetCaptionAndIcon", "FormLoad"}));
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.windowTitle(), "Lumeward");
    EXPECT_FALSE(form.windowIcon().isNull());
    EXPECT_EQ(form.ListView1()->columnCount(), 1);
    EXPECT_EQ(form.ListView2()->columnCount(), 4);
    EXPECT_TRUE(opener.opened.empty());
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_NEAR(form.frameGeometry().center().x(), screen.center().x(), 1);
    EXPECT_NEAR(form.frameGeometry().center().y(), screen.center().y(), 1);
}

TEST(Startup, OpensTheHomePageWhenTheDrawIsSeven) {
    test::ScriptedDialogs dialogs;
    window::Form1 form(dialogs);
    FixedRandom random(0.065);
    RecordingOpener opener;
    Startup(random, opener, [](double) {}).load(form);
    ASSERT_EQ(opener.opened.size(), 1u);
    EXPECT_EQ(opener.opened.front(), QUrl(kHomePageAddress));
}

}  // namespace
}  // namespace lumeward::shell
