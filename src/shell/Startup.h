#pragma once

#include <functional>
#include <memory>

namespace lumeward::window {
class Form1;
}

namespace lumeward::shell {

class RandomSource;
class Splash;
class UrlOpener;

// The main window's load: the start-up steps in their fixed order, run while
// the window is still invisible. Each step is a virtual function so that a
// test can watch the order.
class Startup {
public:
    // random and opener must outlive the object; pause waits while events are
    // handled (tests pass one that does not wait). The splash window, once
    // made, lives as long as the object.
    Startup(RandomSource& random, UrlOpener& opener, std::function<void(double)> pause);
    virtual ~Startup();

    // Runs every step in order; the caller shows the window afterwards.
    void load(window::Form1& form);

protected:
    virtual void ApplySkin(window::Form1& form);
    virtual void CenterForm(window::Form1& form);
    virtual void LoadHandCursor(window::Form1& form);
    // One start in a hundred, unless the setting "Show Home Page" is 0.
    virtual void ShowHomePageAtRandom();
    virtual void SplashShow();
    virtual void SetCaptionAndIcon(window::Form1& form);
    virtual void FormLoad(window::Form1& form);

private:
    RandomSource& m_random;
    UrlOpener& m_opener;
    std::function<void(double)> m_pause;
    std::unique_ptr<Splash> m_splash;
};

}  // namespace lumeward::shell
