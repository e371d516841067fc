#include "shell/Startup.h"

#include <QIcon>
#include <QTime>

#include "shell/HandCursor.h"
#include "shell/HomePage.h"
#include "shell/ProgramFiles.h"
#include "shell/Skin.h"
#include "shell/Splash.h"
#include "shell/WindowPlacement.h"
#include "window/Form1.h"
#include "window/Settings.h"

namespace lumeward::shell {

Startup::Startup(RandomSource& random, UrlOpener& opener, std::function<void(double)> pause)
    : m_random(random), m_opener(opener), m_pause(std::move(pause)) {}

Startup::~Startup() = default;

void Startup::load(window::Form1& form) {
    ApplySkin(form);
    CenterForm(form);
    LoadHandCursor(form);
    ShowHomePageAtRandom();
    SplashShow();
    SetCaptionAndIcon(form);
    FormLoad(form);
}

void Startup::ApplySkin(window::Form1& form) {
    shell::ApplySkin(form, findBesideProgram(QStringLiteral("x/o.cjs")));
}

void Startup::CenterForm(window::Form1& form) {
    shell::CenterForm(form);
}

void Startup::LoadHandCursor(window::Form1& form) {
    const QString path = findBesideProgram(QStringLiteral("HAND-M.CUR"));
    if (path.isEmpty()) {
        return;
    }
    if (const auto cursor = loadCursorFile(path)) {
        form.setMouseIcon(*cursor);
    }
}

void Startup::ShowHomePageAtRandom() {
    // "Show Home Page" at 0 turns the visit off; any other value, or none, keeps it.
    bool isNumber = false;
    const int show = window::GetSetting(QStringLiteral("Kelvarin"), QStringLiteral("Lumeward"),
                                        QStringLiteral("Show Home Page"), QStringLiteral("1"))
                         .toInt(&isNumber);
    if (isNumber && show == 0) {
        return;
    }
    shell::ShowHomePageAtRandom(m_random, m_opener,
                                QTime::currentTime().msecsSinceStartOfDay() / 1000);
}

void Startup::SplashShow() {
    if (!m_splash) {
        m_splash = std::make_unique<Splash>(m_pause, findBesideProgram(QStringLiteral("Splash")));
    }
    m_splash->SplashShow();
}

void Startup::SetCaptionAndIcon(window::Form1& form) {
    form.setWindowTitle(QStringLiteral("Lumeward"));
    form.setWindowIcon(QIcon(QStringLiteral(":/lumeward.svg")));
}

void Startup::FormLoad(window::Form1& form) {
    form.Form_Load();
}

}  // namespace lumeward::shell
