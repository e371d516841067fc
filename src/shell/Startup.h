#pragma once

namespace lumeward::window {
class Form1;
}

namespace lumeward::shell {

class RandomSource;
class UrlOpener;

// The main window's load: the start-up steps in their fixed order, run while
// the window is still invisible. Each step is a virtual function so that a
// test can watch the order.
class Startup {
public:
    // random and opener must outlive the object.
    Startup(RandomSource& random, UrlOpener& opener);
    virtual ~Startup() = default;

    // Runs every step in order; the caller shows the window afterwards.
    void load(window::Form1& form);

protected:
    virtual void ApplySkin(window::Form1& form);
    virtual void CenterForm(window::Form1& form);
    virtual void LoadHandCursor(window::Form1& form);
    virtual void ShowHomePageAtRandom();
    virtual void SplashShow();
    virtual void SetCaptionAndIcon(window::Form1& form);
    virtual void FormLoad(window::Form1& form);

private:
    RandomSource& m_random;
    UrlOpener& m_opener;
};

}  // namespace lumeward::shell
