#pragma once

#include <QUrl>

namespace lumeward::shell {

// The maker's home page.
inline constexpr char kHomePageAddress[] = "https://lumeward.org/";

// Uniform numbers in [0, 1), seeded by the caller.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual void seed(unsigned value) = 0;
    virtual double next() = 0;
};

// Opens an address in the user's browser.
class UrlOpener {
public:
    virtual ~UrlOpener() = default;
    virtual void open(const QUrl& url) = 0;
};

// A small deterministic generator (splitmix64): the same seed gives the same draws.
class StandardRandomSource : public RandomSource {
public:
    void seed(unsigned value) override;
    double next() override;

private:
    unsigned long long m_state = 0;
};

// The desktop's URL opener (QDesktopServices), never a shell command line.
class DesktopUrlOpener : public UrlOpener {
public:
    void open(const QUrl& url) override;
};

// In one call out of a hundred, opens the home page: seeds the source with the
// seconds since midnight, draws n = floor(r * 100) + 1 and opens when n is 7.
void ShowHomePageAtRandom(RandomSource& random, UrlOpener& opener, int secondsSinceMidnight);

}  // namespace lumeward::shell
